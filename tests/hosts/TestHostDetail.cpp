#include "HostsFixture.h"
#include "hosts/HostDetailView.h"
#include "ui/InfoButton.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QToolButton>

using namespace Qt::StringLiterals;

namespace {
    const QByteArray sampleConfig = "Host web\n  HostName web.internal\n  User deploy\n  AddKeysToAgent yes\n"
                                    "  ControlMaster sometimes\n  alpha 1\n  Zeta 2\n\n"
                                    "Host db\n  HostName db.internal\n";
    const QString realSsh = u"/usr/bin/ssh"_s;
    constexpr int sshTimeout = 15000;

    // Refuses UseKeychain as ssh on Linux does and takes everything else; logs every run.
    QString fakeSsh(const QTemporaryDir &dir)
    {
        const QString path = dir.filePath(u"ssh"_s);
        TestSupport::writeScript(
            path,
            "echo \"$*\" >> '" + QFile::encodeName(dir.filePath(u"ssh.log"_s))
                + "'\n"
                  "case \"$*\" in *UseKeychain=*)\n"
                  "  echo \"command-line: line 0: Bad configuration option: usekeychain\" >&2; exit 255;;\n"
                  "esac\n");
        return path;
    }

    // The one on screen: a closed sheet or alert lingers until it is deleted.
    template <typename T>
    T *shownChild(const HostsFixture &f, const QString &name)
    {
        for (T *child : f.window->findChildren<T *>(name)) {
            if (child->isVisible())
                return child;
        }
        return nullptr;
    }

    // Types a name into the add-option sheet and confirms it; the sheet may stay to ask.
    QDialog *addOption(const HostsFixture &f, const QString &name)
    {
        QTest::mouseClick(f.find<QToolButton>(u"addOptionButton"_s), Qt::LeftButton);
        auto *sheet = shownChild<QDialog>(f, u"addOptionSheet"_s);
        auto *field = sheet ? sheet->findChild<QLineEdit *>(u"nameEdit"_s) : nullptr;
        if (field) {
            QTest::keyClicks(field, name);
            QTest::keyClick(field, Qt::Key_Return);
        }
        return sheet;
    }
} // namespace

class TestHostDetail final : public QObject
{
    Q_OBJECT
private slots:
    void cleanup()
    {
        Dialogs::reset();
    }
    void formFollowsTheSelectedHostAndEditsOnlyWhatChanged();
    void repeatedOptionsGetOneFieldPerLine();
    void laterLinesOfSingleOptionsAreNoted();
    void unknownKeywordsAreAskedOnceAndSkipped();
    void realSshJudgesValuesAndMarksRefusedLines();
};

void TestHostDetail::formFollowsTheSelectedHostAndEditsOnlyWhatChanged()
{
    HostsFixture f(sampleConfig);
    f.clickRow(f.host(u"web"_s));
    // Tab goes from the sidebar to the header's toggle, then from field to field; the clear and
    // help buttons are for the mouse.
    f.list->setFocus();
    QStringList reached;
    for (int i = 0; i < 5; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        reached << QApplication::focusWidget()->objectName();
    }
    QCOMPARE(reached,
             QStringList({u"resolvedToggle"_s, u"hostAliasEdit"_s, u"HostNameEdit"_s, u"UserEdit"_s, u"PortEdit"_s}));
    // F1 opens the help of the field's row; Escape closes it and the field has the keys again.
    auto *help = f.find(u"PortRow"_s)->findChild<InfoButton *>();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F1);
    QVERIFY(help->isShown());
    QTest::keyClick(help->popover(), Qt::Key_Escape);
    QTRY_VERIFY(!help->isShown() && f.find(u"PortEdit"_s)->hasFocus());

    auto *multiplexing = f.find(u"MultiplexingSection"_s);
    QTest::mouseClick(f.find<QToolButton>(u"advancedButton"_s), Qt::LeftButton);
    QVERIFY(multiplexing->isVisible());
    // Every button without text says what it does.
    for (QAbstractButton *button : f.window->findChildren<QAbstractButton *>()) {
        if (button->text().isEmpty() && !button->objectName().startsWith(u"qt_"_s))
            QVERIFY2(!button->accessibleName().isEmpty() && !button->toolTip().isEmpty(),
                     qPrintable(button->objectName()));
    }
    // A stored value outside the pop-up's list is shown but left alone.
    auto *control = f.find<QComboBox>(u"ControlMasterPicker"_s);
    QVERIFY(control->currentIndex() == -1 && control->placeholderText() == "sometimes"_L1);

    // Another host: advanced options hidden again, its own values, and no edit made by the refill.
    f.clickRow(f.host(u"db"_s));
    QVERIFY(!multiplexing->isVisible() && !f.find(u"customOptionsSection"_s)->isVisible());
    QCOMPARE(f.find<QComboBox>(u"AddKeysToAgentPicker"_s)->currentText(), u"(unset)"_s);
    QVERIFY(!f.model->isDirty());

    // Emptying a custom option removes it and its row.
    f.clickRow(f.host(u"web"_s));
    auto *alpha = f.find<QLineEdit>(u"alphaEdit"_s);
    alpha->setFocus();
    alpha->end(false);
    QTest::keyClick(alpha, Qt::Key_Backspace);
    QTRY_VERIFY(!f.find(u"alphaEdit"_s));
    QVERIFY(!f.model->blocks().at(0).value(u"alpha"));

    // "(unset)" removes a picked option.
    auto *picker = f.find<QComboBox>(u"AddKeysToAgentPicker"_s);
    picker->setFocus();
    QTest::keyClick(picker, Qt::Key_Down); // the next allowed value
    QCOMPARE(f.model->blocks().at(0).value(u"AddKeysToAgent"), u"no"_s);
    QTest::keyClick(picker, Qt::Key_Home);
    QVERIFY(picker->currentText() == u"(unset)"_s && !f.model->blocks().at(0).value(u"AddKeysToAgent"));

    // The alias shows in the sidebar and header at once; the field keeps focus and cursor.
    auto *alias = f.find<QLineEdit>(u"hostAliasEdit"_s);
    alias->setFocus();
    alias->end(false);
    QTest::keyClicks(alias, u"2 "_s);
    QCOMPARE(f.listedHosts(), QStringList({u"web2 "_s, u"db"_s}));
    QCOMPARE(f.find<QLabel>(u"hostNameLabel"_s)->text(), u"web2 "_s);
    QVERIFY(alias->hasFocus() && alias->cursorPosition() == 5);

    f.clickRow(f.host(u"db"_s));
    // Empty, or with a blank or "=" (read back from the file as another option): not taken.
    QPointer<QDialog> sheet = addOption(f, QString());
    auto *name = sheet->findChild<QLineEdit *>(u"nameEdit"_s);
    for (const QString &bad : {u"Hash Known"_s, u"A=b"_s}) {
        QTest::keyClicks(name, bad);
        QVERIFY2(!sheet->findChild<QAbstractButton *>(u"confirmButton"_s)->isEnabled(), qPrintable(bad));
        name->clear();
    }
    QTest::keyClick(name, Qt::Key_Escape);
    QTRY_VERIFY(!sheet);

    // Added twice, listed once; a "&" is shown as written, though the label has a mnemonic buddy.
    for (const QString &added : {u" HashKnownHosts "_s, u" HashKnownHosts "_s, u"Tom&Jerry"_s}) {
        sheet = addOption(f, added);
        QTRY_VERIFY(!sheet);
    }
    QCOMPARE(f.shownText(f.find(u"Tom&JerryRow"_s)->findChild<QLabel *>()), u"Tom&Jerry"_s);
    QCOMPARE(f.content->hostDetailView()->customOptionNames(), QStringList({u"HashKnownHosts"_s, u"Tom&Jerry"_s}));
    // No value yet: nothing for the file until one is typed.
    auto *field = f.find<QLineEdit>(u"HashKnownHostsEdit"_s);
    QVERIFY(field->isVisible() && !f.model->blocks().at(1).value(u"HashKnownHosts"));
    QTest::keyClicks(field, u"yes"_s);
    QCOMPARE(f.model->blocks().at(1).value(u"HashKnownHosts"), u"yes"_s);
}

void TestHostDetail::repeatedOptionsGetOneFieldPerLine()
{
    QByteArray expected = "Host multi\n  IdentityFile ~/.ssh/a\n  User u\n  IdentityFile ~/.ssh/b\n  Port 2\n";
    HostsFixture f(expected);
    f.clickRow(f.host(u"multi"_s));
    f.content->hostDetailView()->setShowAdvanced(true);
    QCoreApplication::processEvents(); // lays the shown rows out, so their buttons take clicks
    // Typing in the second field rewrites its line only, and the field keeps focus and cursor.
    auto *second = f.find<QLineEdit>(u"IdentityFileEdit2"_s);
    second->setFocus();
    second->end(false);
    QTest::keyClicks(second, u"2"_s);
    QVERIFY(second->hasFocus() && second->cursorPosition() == 9);
    expected.replace("~/.ssh/b", "~/.ssh/b2");
    QCOMPARE(f.model->text(), expected);

    // An added field reaches the file once a value is typed, after the option's last line.
    QTest::mouseClick(f.find<QToolButton>(u"IdentityFileAddButton"_s), Qt::LeftButton);
    auto *added = f.find<QLineEdit>(u"IdentityFileEdit3"_s);
    QVERIFY(added && added->hasFocus() && added->text().isEmpty());
    QCOMPARE(f.model->text(), expected);
    QCoreApplication::processEvents();
    QTest::keyClicks(added, u"~/.ssh/c"_s);
    expected.replace("~/.ssh/b2\n", "~/.ssh/b2\n  IdentityFile ~/.ssh/c\n");
    QCOMPARE(f.model->text(), expected);

    // Each field has its own key chooser, which stores paths inside the home directory with "~".
    const QString home = f.home.path();
    const auto choose = [&f](const QString &chosen) {
        Dialogs::setNextFileName(chosen); // empty: cancelled
        QTest::mouseClick(f.find<QToolButton>(u"browseButton3"_s), Qt::LeftButton);
        return f.model->blocks().at(0).values(u"IdentityFile");
    };
    QCOMPARE(choose(home + u"x/key"_s).at(2), home + u"x/key"_s); // a sibling merely starting with its name
    const QStringList chosen = {u"~/.ssh/a"_s, u"~/.ssh/b2"_s, u"~/.ssh/id_ed25519"_s};
    QCOMPARE(choose(home + u"/.ssh/id_ed25519"_s), chosen);
    QCOMPARE(choose(QString()), chosen);

    // The fields below move up and take the names of the removed one.
    QTest::mouseClick(f.find<QToolButton>(u"IdentityFileClearButton"_s), Qt::LeftButton);
    QCOMPARE(f.model->blocks().at(0).values(u"IdentityFile"), chosen.mid(1));
    QCOMPARE(f.find<QLineEdit>(u"IdentityFileEdit2"_s)->text(), chosen.at(2));
    QTRY_VERIFY(!f.find(u"IdentityFileEdit3"_s));
}

void TestHostDetail::laterLinesOfSingleOptionsAreNoted()
{
    HostsFixture f("Host two\n  hostname h.example\n  user a\n  User b\n  USER c\n  Custom x\n  custom y\n");
    f.clickRow(f.host(u"two"_s));
    // Names match in any letter case, as ssh reads them; a custom row takes its first spelling.
    QCOMPARE(f.content->hostDetailView()->customOptionNames(), QStringList{u"Custom"_s});
    QVERIFY(f.find<QLabel>(u"CustomIgnoredLabel"_s)->isVisible());

    auto *user = f.find<QLineEdit>(u"UserEdit"_s);
    auto *note = f.find<QLabel>(u"UserIgnoredLabel"_s);
    QCOMPARE(user->text(), u"a"_s);
    QVERIFY(note->text().contains(u"2 later lines"_s));

    // Clearing drops the first line, and the next one shows as what ssh now uses.
    auto *clear = f.find<QToolButton>(u"UserClearButton"_s);
    QTest::mouseClick(clear, Qt::LeftButton);
    QCOMPARE(user->text(), u"b"_s);
    QVERIFY(note->text().contains(u"1 later line "_s));
    QTest::mouseClick(clear, Qt::LeftButton);
    QVERIFY(user->text() == u"c"_s && !note->isVisible());
    QCOMPARE(f.model->text(), QByteArray("Host two\n  hostname h.example\n  USER c\n  Custom x\n  custom y\n"));
}

void TestHostDetail::unknownKeywordsAreAskedOnceAndSkipped()
{
    QTemporaryDir tools;
    QByteArray expected = "Host mac\n  HostName m\n\nHost later\n  UseKeychain yes\n  IgnoreUnknown Foo\n\nHost db\n";
    HostsFixture f(expected, fakeSsh(tools));
    const auto warned = [&f] {
        QWidget *note = f.find(u"UseKeychainUnknownNote"_s);
        return note && note->isVisible();
    };
    f.clickRow(f.host(u"mac"_s));
    QPointer<QDialog> sheet = addOption(f, u"UseKeychain"_s);
    QVERIFY(sheet);
    auto *note = sheet->findChild<QLabel *>(u"sshCheckLabel"_s);
    auto *confirm = sheet->findChild<QAbstractButton *>(u"confirmButton"_s);
    // The sheet waits for ssh without blocking, and says so.
    QVERIFY(note->isVisible() && !confirm->isEnabled());
    QTRY_VERIFY(confirm->isEnabled());
    QVERIFY2(note->text().contains(u"Bad configuration option: usekeychain"_s), qPrintable(note->text()));
    QVERIFY(sheet->isVisible() && f.shownText(confirm) == u"Add Anyway"_s && !f.model->isDirty());
    QTest::mouseClick(confirm, Qt::LeftButton);
    QTRY_VERIFY(!sheet);
    expected.replace("Host mac\n", "Host mac\n  IgnoreUnknown UseKeychain\n");
    QCOMPARE(f.model->text(), expected);
    QVERIFY(!warned());

    // Asked once for the session: a host using it warns at once. A list standing below the option
    // covers nothing, so it moves up as it takes the name.
    f.clickRow(f.host(u"later"_s));
    QVERIFY(warned() && f.find(u"UseKeychainEdit"_s)->accessibleDescription().contains(u"UseKeychain"_s));
    QTest::mouseClick(f.find<QAbstractButton>(u"UseKeychainSkipUnknownButton"_s), Qt::LeftButton);
    expected.replace("  UseKeychain yes\n  IgnoreUnknown Foo\n",
                     "  IgnoreUnknown Foo,UseKeychain\n  UseKeychain yes\n");
    QCOMPARE(f.model->text(), expected);
    QVERIFY(!warned());
    QCOMPARE(TestSupport::readFile(tools.filePath(u"ssh.log"_s)).count("UseKeychain="), 1);

    // The sheet knows the answer at once too. Another name drops it; Cancel adds nothing.
    f.clickRow(f.host(u"db"_s));
    sheet = addOption(f, u"UseKeychain"_s);
    note = sheet->findChild<QLabel *>(u"sshCheckLabel"_s);
    confirm = sheet->findChild<QAbstractButton *>(u"confirmButton"_s);
    QVERIFY(note->isVisible() && f.shownText(confirm) == u"Add Anyway"_s);
    QTest::keyClick(sheet->findChild<QLineEdit *>(u"nameEdit"_s), Qt::Key_Backspace);
    QVERIFY(!note->isVisible() && f.shownText(confirm) == u"Add"_s && confirm->isEnabled());
    QTest::mouseClick(sheet->findChild<QAbstractButton *>(u"cancelButton"_s), Qt::LeftButton);
    QTRY_VERIFY(!sheet);
    QCOMPARE(f.model->text(), expected);
}

void TestHostDetail::realSshJudgesValuesAndMarksRefusedLines()
{
    if (!QFileInfo(realSsh).isExecutable())
        QSKIP("no /usr/bin/ssh");
    HostsFixture f("Host jump\n  HostName j\n\nHost db\n  HostName d\n", realSsh);
    f.model->setSshPath(realSsh);
    // Saves, waits for ssh's refusal in the alert and dismisses it.
    const auto saveAndDismiss = [&f] {
        f.find<QAction>(u"saveAction"_s)->trigger();
        QMessageBox *alert = nullptr;
        QTRY_VERIFY_WITH_TIMEOUT((alert = shownChild<QMessageBox>(f, u"errorAlert"_s)), sshTimeout);
        alert->buttons().constFirst()->click();
        QTRY_VERIFY(!f.model->errorMessage());
    };
    const auto shown = [&f](const QString &name) {
        QWidget *w = f.find(name);
        return w && w->isVisible();
    };
    f.clickRow(f.host(u"db"_s));
    // A keyword ssh knows is added as it is; a value it refuses is named when leaving the field.
    QPointer<QDialog> sheet = addOption(f, u"HashKnownHosts"_s);
    QTRY_VERIFY_WITH_TIMEOUT(!sheet, sshTimeout);
    QVERIFY(!f.model->isDirty());
    auto *value = f.find<QLineEdit>(u"HashKnownHostsEdit"_s);
    value->setFocus();
    QTest::keyClicks(value, u"maybe"_s);
    QTest::keyClick(value, Qt::Key_Return);
    QWidget *refused = nullptr;
    QTRY_VERIFY_WITH_TIMEOUT((refused = f.find(u"HashKnownHostsValueNote"_s)) && refused->isVisible(), sshTimeout);
    QVERIFY(value->accessibleDescription().contains(u"unsupported option \"maybe\""_s));
    value->selectAll();
    QTest::keyClicks(value, u"yes"_s);
    QVERIFY(!refused->isVisible() && value->accessibleDescription().isEmpty());

    // After a save ssh refuses, the field of the line it names is marked.
    f.clickRow(f.host(u"jump"_s));
    auto *port = f.find<QLineEdit>(u"PortEdit"_s);
    QTest::keyClicks(port, u"abc"_s);
    saveAndDismiss();
    QVERIFY(shown(u"PortRejectedNote"_s) && port->accessibleDescription().contains(u"Bad port 'abc'"_s));
    // Only on the host whose line it is.
    f.clickRow(f.host(u"db"_s));
    QVERIFY(!shown(u"PortRejectedNote"_s) && port->toolTip().isEmpty());
    f.clickRow(f.host(u"jump"_s));
    QVERIFY(shown(u"PortRejectedNote"_s));
    // Edits after the save move the lines below the number ssh named, not the mark.
    QTest::mouseClick(f.find<QToolButton>(u"HostNameClearButton"_s), Qt::LeftButton);
    QVERIFY(shown(u"PortRejectedNote"_s));

    // ssh stops at the first line it refuses: now the Host line, marked on the alias.
    auto *alias = f.find<QLineEdit>(u"hostAliasEdit"_s);
    alias->setFocus();
    alias->end(false);
    QTest::keyClicks(alias, u" \"x"_s);
    saveAndDismiss();
    QVERIFY(shown(u"hostAliasRejectedNote"_s) && !shown(u"PortRejectedNote"_s) && !alias->toolTip().isEmpty());

    // Mended and saved: the marks go with the refusal.
    for (int i = 0; i < 3; ++i)
        QTest::keyClick(alias, Qt::Key_Backspace);
    port->selectAll();
    QTest::keyClicks(port, u"22"_s);
    f.find<QAction>(u"saveAction"_s)->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(!shown(u"hostAliasRejectedNote"_s) && !f.model->isDirty(), sshTimeout);
    QVERIFY(!shown(u"PortRejectedNote"_s) && !shownChild<QMessageBox>(f, u"errorAlert"_s));
}

QTEST_MAIN(TestHostDetail)
#include "TestHostDetail.moc"
