#include "hosts/HostsFixture.h"
#include "keys/CopiedMark.h"
#include "keys/GenerateKeySheet.h"
#include "keys/KeyListModel.h"
#include "keys/SSHAgent.h"
#include "keys/SSHKeysModel.h"
#include "keys/SSHKeysView.h"
#include "ui/PaneChrome.h"

#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QToolButton>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;
using TestSupport::readFile;
using TestSupport::writeFile;

namespace {
    const QString keygen = u"/usr/bin/ssh-keygen"_s;

    // A shown pane over a temporary home, loaded. By default the home holds two hand-made pairs and
    // a fake key tool that reports a fingerprint, changes comments, and fails everything else,
    // noting its arguments; the agent named is not running. `setUp` may lay out the home otherwise.
    struct Pane {
        QTemporaryDir dir;
        Locations locations = Locations::forHome(dir.path(), dir.filePath(u"bin"_s), dir.filePath(u"keygen"_s));
        std::unique_ptr<SSHKeysView> view;
        QListView *list = nullptr;
        explicit Pane(const std::function<void(Locations &)> &setUp = {})
        {
            if (setUp) {
                setUp(locations);
            } else {
                locations.agentSocket = dir.filePath(u"gone.sock"_s);
                TestSupport::writeScript(
                    locations.keygenPath,
                    "[ \"$1\" = -l ] && exec <\"$3\" && echo '256 SHA256:fake x (ED25519)' && exit 0\n"
                    "printf '[%s]' \"$@\" >>\"$0.log\"; [ \"$1\" = -c ] && exit 0\n"
                    "echo 'Saving key failed: nope'; exit 1\n");
                writeFile(locations.sshDir + u"/id_ed25519"_s, "private");
                writeFile(locations.sshDir + u"/id_ed25519.pub"_s, "ssh-ed25519 AAAAone me@laptop\n");
                writeFile(locations.sshDir + u"/work"_s, "private");
                writeFile(locations.sshDir + u"/work.pub"_s, "ssh-rsa AAAAtwo\n");
            }
            view = std::make_unique<SSHKeysView>(locations);
            QSignalSpy loaded(view->model(), &SSHKeysModel::keyPairsChanged);
            view->show();
            QVERIFY(!loaded.isEmpty() || loaded.wait());
            list = child<QListView>(u"keyList"_s);
        }
        template <typename T = QLabel>
        T *child(const QString &name) const
        {
            return view->findChild<T *>(name);
        }
        void select(int i) const
        {
            list->setCurrentIndex(list->model()->index(i, 0));
        }
        // Clicks a button of the detail and returns the sheet it opens, if any.
        QDialog *sheet(const QString &button, const QString &name) const
        {
            child<QPushButton>(button)->click();
            return child<QDialog>(name);
        }
    };

    void makeKey(const QString &path, const QString &passphrase)
    {
        const ProcessResult r =
            ProcessRunner::run(keygen,
                               {u"-q"_s, u"-t"_s, u"ed25519"_s, u"-N"_s, passphrase, u"-C"_s, u"c"_s, u"-f"_s, path});
        QCOMPARE(r.exitCode, 0);
    }
} // namespace

class TestKeysView final : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        Dialogs::setTestMode(true);
    }
    void cleanup()
    {
        CopiedMark::setInterval(2000ms);
        Dialogs::reset();
    }
    void copyEditRefreshAndDelete();
    void generationSheetAsksBeforeReplacing();
    void agentLoadsAndUnloadsKeys();
    void hostsOfIncludedFilesCount();
};

void TestKeysView::copyEditRefreshAndDelete()
{
    Pane pane;
    pane.select(0);
    const auto copied = [&] {
        return pane.list->model()->index(0, 0).data(KeyListModel::CopiedRole).toBool();
    };
    CopiedMark::setInterval(50ms);
    QTest::mouseClick(pane.child<QPushButton>(u"copyButton"_s), Qt::LeftButton);
    QCOMPARE(QGuiApplication::clipboard()->text(), u"ssh-ed25519 AAAAone me@laptop"_s);
    QVERIFY(copied() && !pane.list->model()->index(1, 0).data(KeyListModel::CopiedRole).toBool());
    QTRY_VERIFY(!copied() && !pane.view->copiedID());
    // The public key sheet copies the same key.
    QGuiApplication::clipboard()->clear();
    QDialog *sheet = pane.sheet(u"viewPublicKeyButton"_s, u"publicKeySheet"_s);
    QTest::mouseClick(sheet->findChild<QPushButton *>(u"copyToClipboardButton"_s), Qt::LeftButton);
    QCOMPARE(QGuiApplication::clipboard()->text(), u"ssh-ed25519 AAAAone me@laptop"_s);

    // No agent listens on the socket (ssh-add says 2): a plain word, and nothing to add or remove.
    QTRY_COMPARE(pane.child(u"agentValue"_s)->text(), u"No SSH agent is running"_s);
    QVERIFY(!pane.child<QPushButton>(u"addToAgentButton"_s)->isEnabled());
    QVERIFY(!pane.child<QPushButton>(u"removeFromAgentButton"_s)->isEnabled());

    // Every scan makes new identifiers, so the selection goes.
    QSignalSpy reloaded(pane.view->model(), &SSHKeysModel::keyPairsChanged);
    QTest::mouseClick(pane.child<QToolButton>(u"refreshButton"_s), Qt::LeftButton);
    QVERIFY(reloaded.wait());
    QVERIFY(!pane.view->selectedID() && !pane.list->selectionModel()->hasSelection());
    QCOMPARE(pane.child<QStackedWidget>(u"detailStack"_s)->currentWidget()->objectName(), u"emptyState"_s);

    pane.select(0);
    // The new passphrase twice alike, or no confirming; none of them reaches the tool's arguments,
    // and no second change starts while the tool runs.
    QDialog *passphrase = pane.sheet(u"changePassphraseButton"_s, u"passphraseSheet"_s);
    passphrase->findChild<QLineEdit *>(u"oldPassphraseEdit"_s)->setText(u"old"_s);
    passphrase->findChild<QLineEdit *>(u"newPassphraseEdit"_s)->setText(u"new"_s);
    QVERIFY(!passphrase->findChild<QPushButton *>(u"confirmButton"_s)->isEnabled());
    QTest::keyClicks(passphrase->findChild<QLineEdit *>(u"confirmPassphraseEdit"_s), u"new"_s);
    QTest::keyClick(passphrase, Qt::Key_Return);
    QVERIFY(!pane.child<QPushButton>(u"changeCommentButton"_s)->isEnabled());
    QTRY_VERIFY(pane.child<QMessageBox>(u"errorAlert"_s));
    pane.child<QMessageBox>(u"errorAlert"_s)->buttons().first()->click();
    // The comment starts as it is. Changed: the list is read again, and the pair stays selected.
    QDialog *comment = pane.sheet(u"changeCommentButton"_s, u"commentSheet"_s);
    auto *commentEdit = comment->findChild<QLineEdit *>(u"commentEdit"_s);
    QCOMPARE(commentEdit->text(), u"me@laptop"_s);
    QCOMPARE(comment->focusWidget(), commentEdit); // ready to type in
    commentEdit->setText(u"new one"_s);
    QSignalSpy reread(pane.view->model(), &SSHKeysModel::keyPairsChanged);
    QTest::keyClick(comment, Qt::Key_Return);
    QVERIFY(reread.wait());
    QVERIFY(pane.view->selectedID());
    QCOMPARE(pane.child(u"filenameValue"_s)->text(), u"id_ed25519"_s);
    QCOMPARE(QString::fromUtf8(readFile(pane.locations.keygenPath + u".log"_s)),
             u"[-p][-f][%1][-c][-C][new one][-f][%1]"_s.arg(pane.locations.sshDir + u"/id_ed25519"_s));

    // Copy to Server: nothing to offer without hosts; else ssh-copy-id in a terminal that notes
    // what it was asked to run, each argument apart.
    pane.select(1);
    QVERIFY(!pane.sheet(u"copyToServerButton"_s, u"copyToServerSheet"_s));
    QCOMPARE(Dialogs::asked().value(0).title, u"No Host to Copy To"_s);
    const QString terminal = pane.dir.filePath(u"term"_s);
    TestSupport::writeScript(terminal, "printf '[%s]' \"$@\" >\"$0.log\"\n");
    const QByteArray saved = qgetenv("TERMINAL");
    qputenv("TERMINAL", terminal.toLocal8Bit());
    pane.view->setHostLookup({}, [] {
        return QStringList{u"web"_s, u"db; rm -rf ~"_s};
    });
    QDialog *copy = pane.sheet(u"copyToServerButton"_s, u"copyToServerSheet"_s);
    copy->findChild<QComboBox *>(u"hostChoice"_s)->setCurrentIndex(1);
    QTest::keyClick(copy, Qt::Key_Return);
    qputenv("TERMINAL", saved);
    // The terminal runs on its own, so its note may take a moment.
    QTRY_COMPARE(QString::fromUtf8(readFile(terminal + u".log"_s)),
                 u"[-e][ssh-copy-id][-i][%1/work.pub][--][db; rm -rf ~]"_s.arg(pane.locations.sshDir));

    // The hosts that use a key are listed, and named again before it goes.
    pane.view->setHostLookup(
        [](const QString &key) {
            return key.endsWith(u"/work"_s) ? QStringList{u"web"_s, u"db"_s} : QStringList();
        },
        {});
    // The Delete key asks what the button asks, and Return on the question gives Cancel.
    QTest::keyClick(pane.list, Qt::Key_Delete); // dismissed
    QCOMPARE(pane.list->model()->rowCount(), 2);
    const Dialogs::Asked question = Dialogs::asked().constLast();
    QCOMPARE(question.text,
             u"Permanently delete work and work.pub? This cannot be undone.\n\n"
             "These hosts in the config use it: web, db"_s);
    QCOMPARE(question.buttons.value(question.defaultChoice), u"Cancel"_s);
    Dialogs::setNextAnswer(u"Delete"_s);
    QTest::mouseClick(pane.child<QPushButton>(u"deleteButton"_s), Qt::LeftButton);
    QCOMPARE(pane.list->model()->rowCount(), 1);
    QTest::keyClick(pane.list, Qt::Key_Delete); // nothing selected: nothing to ask
    QCOMPARE(Dialogs::asked().size(), 3);
}

void TestKeysView::generationSheetAsksBeforeReplacing()
{
    Pane pane;
    const QDir ssh(pane.locations.sshDir);
    writeFile(ssh.filePath(u"lone.pub"_s), "existing");
    // "+" then Return on the standard name only asks; the question's own Return is Cancel.
    QTest::mouseClick(pane.child<QToolButton>(u"generateButton"_s), Qt::LeftButton);
    auto *sheet = pane.child<GenerateKeySheet>(u"generateKeySheet"_s);
    QTest::keyClick(sheet, Qt::Key_Return); // dismissed, as Escape does
    const Dialogs::Asked question = Dialogs::asked().value(0);
    QCOMPARE(question.text, u"Replace id_ed25519 and id_ed25519.pub?"_s);
    QCOMPARE(question.buttons.value(question.defaultChoice), u"Cancel"_s);
    QVERIFY(sheet->isVisible() && !pane.view->model()->isGenerating());

    // Generate waits for both passphrases to agree.
    auto *generate = sheet->findChild<QPushButton *>(u"generateButton"_s);
    sheet->findChild<QCheckBox *>(u"passphraseSwitch"_s)->click();
    QTest::keyClicks(sheet->findChild<QLineEdit *>(u"passphraseEdit"_s), u"secret"_s);
    auto *confirm = sheet->findChild<QLineEdit *>(u"confirmPassphraseEdit"_s);
    QTest::keyClicks(confirm, u"secret"_s);
    QVERIFY(generate->isEnabled());
    QTest::keyClick(confirm, Qt::Key_Backspace);
    QVERIFY(!generate->isEnabled());
    sheet->findChild<QCheckBox *>(u"passphraseSwitch"_s)->click();

    // The file name follows the key type until the user types one of their own.
    auto *name = sheet->findChild<QLineEdit *>(u"filenameEdit"_s);
    sheet->findChild<QRadioButton *>(u"typeRadio_rsa"_s)->click();
    QCOMPARE(name->text(), u"id_rsa"_s);
    name->setText(u"deploy"_s);
    sheet->findChild<QRadioButton *>(u"typeRadio_ed25519"_s)->click();
    QCOMPARE(name->text(), u"deploy"_s);

    // Whitespace alone counts as empty, and the standard name it falls back to is checked too; a
    // public key alone would be replaced as well. The key is written under the key directory
    // whatever the name starts with; so says the preview.
    const QList<std::tuple<QString, QString, bool>> names{{u"  \t"_s, u"(enter filename)"_s, true},
                                                          {u" work"_s, u"work"_s, true},
                                                          {u"lone"_s, u"lone"_s, true},
                                                          {u"/abs/key"_s, u"abs/key"_s, false}};
    for (const auto &[typed, path, warns] : names) {
        name->setText(typed);
        QCOMPARE(sheet->findChild<StatusLine *>(u"previewLabel"_s)->fullText(), u"Saves as: ~/.ssh/"_s + path);
        QCOMPARE(sheet->findChild<QWidget *>(u"overwriteWarning"_s)->isVisible(), warns);
    }

    // Replace on a blank name: the old standard pair is copied first, even when the key tool then
    // fails; the alert says why.
    name->setText(u" "_s);
    QSignalSpy finished(pane.view->model(), &SSHKeysModel::generationFinished);
    Dialogs::setNextAnswer(u"Replace"_s);
    QTest::mouseClick(generate, Qt::LeftButton);
    QVERIFY(finished.wait());
    const QStringList kept = ssh.entryList({u"id_ed25519*.bak.*"_s}, QDir::Files);
    QCOMPARE(kept.size(), 2);
    QCOMPARE(readFile(ssh.filePath(kept.value(0))), "private");
    QTRY_VERIFY(pane.child<QMessageBox>(u"errorAlert"_s));
    QCOMPARE(pane.child<QMessageBox>(u"errorAlert"_s)->text(), u"Saving key failed: nope\n"_s);
}

void TestKeysView::agentLoadsAndUnloadsKeys()
{
    QTemporaryDir agentDir;
    const QString socket = agentDir.filePath(u"agent.sock"_s);
    QProcess running;
    running.start(u"/usr/bin/ssh-agent"_s, {u"-D"_s, u"-a"_s, socket});
    QTRY_VERIFY(QFileInfo::exists(socket));
    Pane pane([&](Locations &locations) {
        locations.agentSocket = socket;
        locations.keygenPath = keygen;
        QDir().mkpath(locations.sshDir);
        makeKey(locations.sshDir + u"/locked"_s, u"pw d\u00e9"_s);
        makeKey(locations.sshDir + u"/open"_s, {});
    });
    SSHAgent *agent = pane.view->agent();
    auto *add = pane.child<QPushButton>(u"addToAgentButton"_s);
    auto *remove = pane.child<QPushButton>(u"removeFromAgentButton"_s);
    const auto inAgent = [&](int row) {
        return pane.list->model()->index(row, 0).data(KeyListModel::AgentRole).toBool();
    };
    pane.select(1);
    QTRY_VERIFY(add->isEnabled());
    add->click();
    QTRY_VERIFY(inAgent(1) && remove->isEnabled());
    QCOMPARE(pane.child(u"agentValue"_s)->text(), u"Loaded"_s);

    // The locked key needs its passphrase: a sheet asks, and Add waits for one. A wrong one is
    // said plainly, and ssh-add is not left asking for ever.
    pane.select(0);
    const auto askedFor = [&](const QString &passphrase) {
        add->click();
        QDialog *sheet = nullptr;
        if (!QTest::qWaitFor([&] {
                return (sheet = pane.child<QDialog>(u"agentPassphraseSheet"_s)) && sheet->isVisible();
            }))
            return false;
        auto *confirm = sheet->findChild<QPushButton *>(u"confirmButton"_s);
        const bool waited = !confirm->isEnabled();
        sheet->findChild<QLineEdit *>(u"passphraseEdit"_s)->setText(passphrase);
        confirm->click();
        return waited;
    };
    QVERIFY(askedFor(u"wrong"_s));
    QTRY_VERIFY(agent->errorMessage());
    QCOMPARE(*agent->errorMessage(), u"The passphrase for locked is wrong; the key was not added to the agent."_s);
    agent->setErrorMessage(std::nullopt);
    QTRY_VERIFY(add->isEnabled());
    QVERIFY(askedFor(u"pw d\u00e9"_s));
    QTRY_VERIFY(inAgent(0));

    pane.select(1);
    remove->click();
    QTRY_VERIFY(!inAgent(1) && add->isEnabled());
    QVERIFY(inAgent(0));
    running.terminate();
    running.waitForFinished();
}

void TestKeysView::hostsOfIncludedFilesCount()
{
    // The pane as the main window builds it, over the window's config and the files it includes.
    HostsFixture f("Include extra.conf\n\nHost web \"web 2\" *.lan\n    IdentityFile ~/.ssh/id_a\n");
    writeFile(f.locations.sshDir + u"/extra.conf"_s,
              "Host inc\n    CertificateFile %d/.ssh/id_a-cert.pub\nHost other\n    IdentityFile ~/.ssh/b\n");
    writeFile(f.locations.sshDir + u"/id_a"_s, "private");
    writeFile(f.locations.sshDir + u"/id_a.pub"_s, "ssh-ed25519 AAAA a\n");
    f.content->setSelectedItem(SidebarItem::sshKeys());
    auto *keys = f.find<QListView>(u"keyList"_s);
    QVERIFY(keys);
    QTRY_COMPARE(keys->model()->rowCount(), 1);
    keys->setCurrentIndex(keys->model()->index(0, 0));
    QCOMPARE(f.find<QLabel>(u"usedByValue"_s)->text(), u"web \"web 2\" *.lan, inc"_s);
}

QTEST_MAIN(TestKeysView)
#include "TestKeysView.moc"
