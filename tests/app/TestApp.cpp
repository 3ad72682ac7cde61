#include "app/AboutView.h"
#include "app/AppInfo.h"
#include "app/KorvelApp.h"
#include "engine/SSHConfigModel.h"
#include "hosts/MainWindow.h"
#include "support/TestSupport.h"
#include "ui/Dialogs.h"

#include <QAbstractButton>
#include <QAction>
#include <QDesktopServices>
#include <QDialog>
#include <QScopeGuard>
#include <QtTest>

using namespace Qt::StringLiterals;

class TestApp final : public QObject
{
    Q_OBJECT
public slots:
    void recordUrl(const QUrl &url)
    {
        m_opened.append(url);
    }

private slots:
    void initTestCase();
    void init()
    {
        Dialogs::setTestMode(true);
    }
    void cleanup()
    {
        Dialogs::reset();
    }
    void shortcutsAndAboutBelongToTheWindow();
    void closingWithUnsavedEditsAsksFirst();

private:
    QList<QUrl> m_opened;
    QTemporaryDir m_dir;
    const Locations m_locations = Locations::forHome(m_dir.filePath(u"home"_s), m_dir.filePath(u"bin"_s));
};

void TestApp::initTestCase()
{
    // The built-in guide is written to the cache folder, which must not be the real one.
    QStandardPaths::setTestModeEnabled(true);
    // The icon lives in a static library's resources, which a link can silently drop.
    AppInfo::configure(*qApp);
    const QImage icon = qApp->windowIcon().pixmap(64, 64).toImage();
    QVERIFY(!icon.isNull() && qAlpha(icon.pixel(32, 32)) > 0);
}

void TestApp::shortcutsAndAboutBelongToTheWindow()
{
    TestSupport::writeFile(m_locations.configFile, "Host alpha\n    User a\n\nHost beta\n");
    KorvelApp app(m_locations);
    app.launch();
    MainWindow *window = app.mainWindow();
    QVERIFY(QTest::qWaitForWindowActive(window));
    QCOMPARE(app.model()->blocks().size(), 2); // the model loaded at once

    // Ctrl+N belongs to "New Host" alone (an ambiguous shortcut fires nothing).
    QTest::keyClick(window->windowHandle(), Qt::Key_N, Qt::ControlModifier);
    QDialog *sheet = nullptr;
    QTRY_VERIFY((sheet = window->findChild<QDialog *>(u"addHostSheet"_s)) && sheet->isVisible());
    sheet->reject();

    // The About panel belongs to the window, which the window system places it over; About again
    // raises it rather than stacking another.
    auto *about = window->findChild<QAction *>(u"aboutAction"_s);
    about->trigger();
    QPointer<AboutPanel> panel = app.aboutCommand()->panel();
    QVERIFY(panel && panel->isVisible() && panel->parentWidget() == window);
    QVERIFY(!panel->testAttribute(Qt::WA_Moved));
    about->trigger();
    QCOMPARE(app.aboutCommand()->panel(), panel);

    // Its link opens the README as a file.
    QDesktopServices::setUrlHandler(u"file"_s, this, "recordUrl");
    const auto unset = qScopeGuard([] {
        QDesktopServices::unsetUrlHandler(u"file"_s);
    });
    QTest::mouseClick(panel->findChild<QAbstractButton *>(u"readmeButton"_s), Qt::LeftButton);
    QCOMPARE(m_opened.size(), 1);
    const QFileInfo readme(m_opened.constFirst().toLocalFile());
    QVERIFY(readme.isFile() && readme.fileName() == u"README.md"_s);

    // Escape closes it, and the closed panel is dropped, not kept around, when About is chosen again.
    QTest::keyClick(panel, Qt::Key_Escape);
    QVERIFY(!panel->isVisible());
    about->trigger();
    QVERIFY(!panel && app.aboutCommand()->panel()->isVisible());
}

void TestApp::closingWithUnsavedEditsAsksFirst()
{
    using TestSupport::readFile;
    const QByteArray original = "Host alpha\n    User a\n";
    TestSupport::writeFile(m_locations.configFile, original);
    auto launchAndEdit = [](KorvelApp &app, const QString &user, const QString &answer) {
        app.launch();
        app.model()->setOption(app.model()->blocks().constFirst().id, u"User"_s, user);
        QVERIFY(app.model()->isDirty());
        Dialogs::setNextAnswer(answer);
    };
    {
        KorvelApp app(m_locations);
        launchAndEdit(app, u"discarded"_s, u"Cancel"_s);
        Dialogs::asked().clear();
        QVERIFY(!app.mainWindow()->close());
        QCOMPARE(Dialogs::asked().size(), 1);
        QCOMPARE(Dialogs::asked().constFirst().defaultChoice, 2); // Return cancels

        // Quit from the menu asks the same way and stays when cancelled: the loop goes on past the
        // question.
        Dialogs::setNextAnswer(u"Cancel"_s);
        QTimer::singleShot(0, app.mainWindow()->findChild<QAction *>(u"quitAction"_s), &QAction::trigger);
        QTimer asked;
        connect(&asked, &QTimer::timeout, qApp, [] {
            if (Dialogs::asked().size() == 2)
                QCoreApplication::exit(1);
        });
        asked.start(0);
        QCOMPARE(qApp->exec(), 1);

        // One question per close, however many watch for it.
        Dialogs::setNextAnswer(u"Discard & Quit"_s);
        QVERIFY(app.mainWindow()->close());
        QCOMPARE(Dialogs::asked().size(), 3);
        QCOMPARE(readFile(m_locations.configFile), original);
    }
    // A save that is cancelled or fails must not close the window and lose the edit; once it can,
    // it saves and closes. The config going away with its folder is an outside change, so each
    // save asks before replacing it.
    KorvelApp app(m_locations);
    launchAndEdit(app, u"saved"_s, u"Save & Quit"_s);
    QVERIFY(QDir(m_locations.sshDir).removeRecursively());
    TestSupport::writeFile(m_locations.sshDir, "not a directory");
    Dialogs::setNextAnswer(u"Cancel"_s);
    QVERIFY(!app.mainWindow()->close());
    QCOMPARE(Dialogs::asked().constLast().title, u"Overwrite Changes on Disk?"_s);
    QVERIFY(app.model()->isDirty() && !app.model()->errorMessage());
    Dialogs::setNextAnswer(u"Save & Quit"_s);
    Dialogs::setNextAnswer(u"Overwrite"_s);
    QVERIFY(!app.mainWindow()->close());
    QVERIFY(app.model()->isDirty() && app.model()->errorMessage());
    app.model()->setErrorMessage(std::nullopt);
    QVERIFY(QFile::remove(m_locations.sshDir));
    Dialogs::setNextAnswer(u"Save & Quit"_s);
    Dialogs::setNextAnswer(u"Overwrite"_s);
    QVERIFY(app.mainWindow()->close());
    QVERIFY(readFile(m_locations.configFile).contains("User saved"));
}

QTEST_MAIN(TestApp)
#include "TestApp.moc"
