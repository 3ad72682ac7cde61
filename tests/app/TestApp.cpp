#include "app/AboutView.h"
#include "app/AppInfo.h"
#include "app/KorvelApp.h"
#include "engine/SSHConfigModel.h"
#include "hosts/MainWindow.h"
#include "support/TestSupport.h"
#include "ui/Dialogs.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QMenu>
#include <QMenuBar>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;

class TestApp final : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void menuBarOffersAboutButNoHelpOrNewWindow();

private:
    static QString plain(QString text)
    {
        return text.remove(u'&');
    }
};

void TestApp::initTestCase()
{
    AppInfo::configure(*qApp);
    Dialogs::setTestMode(true);
}

void TestApp::menuBarOffersAboutButNoHelpOrNewWindow()
{
    QTemporaryDir dir;
    const Locations locations = Locations::forHome(dir.filePath(u"home"_s), dir.filePath(u"bin"_s));
    TestSupport::writeFile(locations.configFile, "Host alpha\n    User a\n\nHost beta\n");

    KorvelApp app(locations);
    app.launch();
    MainWindow *window = app.mainWindow();
    QVERIFY(QTest::qWaitForWindowActive(window));
    QCOMPARE(window->size(), QSize(1060, 700));
    QCOMPARE(app.model()->blocks().size(), 2); // the model loaded at once

    QAction *about = nullptr;
    QStringList menus;
    const auto actions = window->menuBar()->actions();
    for (QAction *top : actions) {
        menus.append(plain(top->text()));
        if (!top->menu())
            continue;
        for (QAction *item : top->menu()->actions()) {
            if (plain(item->text()) == u"About Korvel"_s)
                about = item;
        }
    }
    QVERIFY2(!menus.contains(u"Help"_s), qPrintable(menus.join(u", "_s)));
    QVERIFY(about);
    QCOMPARE(about->menuRole(), QAction::AboutRole);

    // Ctrl+N belongs to "New Host" alone, and the key reaches it.
    QStringList ctrlN;
    for (QAction *action : window->findChildren<QAction *>()) {
        if (action->shortcuts().contains(QKeySequence(Qt::CTRL | Qt::Key_N)))
            ctrlN.append(plain(action->text()));
    }
    QCOMPARE(ctrlN, QStringList{u"New Host"_s});
    QTest::keyClick(window->windowHandle(), Qt::Key_N, Qt::ControlModifier);
    QDialog *sheet = nullptr;
    QTRY_VERIFY((sheet = window->findChild<QDialog *>(u"addHostSheet"_s)) && sheet->isVisible());
    sheet->reject();

    about->trigger();
    AboutPanel *panel = app.appDelegate()->aboutPanel();
    QVERIFY(panel && panel->isVisible());
    about->trigger();
    QCOMPARE(app.appDelegate()->aboutPanel(), panel);
}

QTEST_MAIN(TestApp)
#include "TestApp.moc"
