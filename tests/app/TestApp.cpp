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
#include <QDir>
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
    void closingWithUnsavedEditsAsksFirst();

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

void TestApp::closingWithUnsavedEditsAsksFirst()
{
    QTemporaryDir dir;
    const Locations locations = Locations::forHome(dir.filePath(u"home"_s), dir.filePath(u"bin"_s));
    const QByteArray original = "Host alpha\n    User a\n";
    TestSupport::writeFile(locations.configFile, original);
    auto edit = [](KorvelApp &app, const QString &user) {
        app.model()->setOption(app.model()->blocks().constFirst().id, u"User"_s, user);
        QVERIFY(app.model()->isDirty());
    };

    {
        KorvelApp app(locations);
        app.launch();
        edit(app, u"discarded"_s);
        Dialogs::asked().clear();
        Dialogs::setNextAnswer(u"Cancel"_s);
        QVERIFY(!app.mainWindow()->close());
        QVERIFY(app.mainWindow()->isVisible());
        QCOMPARE(Dialogs::asked().size(), 1);
        QCOMPARE(Dialogs::asked().constFirst().buttons,
                 (QStringList{u"Save & Quit"_s, u"Discard & Quit"_s, u"Cancel"_s}));

        // Quit from the menu asks the same way and stays when cancelled.
        auto *quit = app.mainWindow()->findChild<QAction *>(u"quitAction"_s);
        QVERIFY(quit);
        Dialogs::setNextAnswer(u"Cancel"_s);
        QTimer::singleShot(0, quit, &QAction::trigger);
        QTimer::singleShot(200, qApp, [] {
            QCoreApplication::exit(1);
        });
        QCOMPARE(QApplication::exec(), 1);
        QCOMPARE(Dialogs::asked().size(), 2);

        Dialogs::setNextAnswer(u"Discard & Quit"_s);
        QVERIFY(app.mainWindow()->close());
        QCOMPARE(TestSupport::readFile(locations.configFile), original);
    }
    {
        KorvelApp app(locations);
        app.launch();
        edit(app, u"saved"_s);
        Dialogs::setNextAnswer(u"Save & Quit"_s);
        QVERIFY(app.mainWindow()->close());
        QVERIFY(TestSupport::readFile(locations.configFile).contains("User saved"));
    }
    {
        // A save that fails must not close the window and lose the edit.
        KorvelApp app(locations);
        app.launch();
        edit(app, u"lost"_s);
        QVERIFY(QDir(locations.sshDir).removeRecursively());
        TestSupport::writeFile(locations.sshDir, "not a directory");
        Dialogs::setNextAnswer(u"Save & Quit"_s);
        QVERIFY(!app.mainWindow()->close());
        QVERIFY(app.model()->isDirty());
        app.model()->setErrorMessage(std::nullopt);
    }
}

QTEST_MAIN(TestApp)
#include "TestApp.moc"
