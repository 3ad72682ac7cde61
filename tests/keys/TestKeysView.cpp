#include "keys/CopiedMark.h"
#include "keys/GenerateKeySheet.h"
#include "keys/KeyEditor.h"
#include "keys/KeyListModel.h"
#include "keys/PublicKeySheet.h"
#include "keys/SSHKeysModel.h"
#include "keys/SSHKeysView.h"
#include "support/TestSupport.h"
#include "ui/Dialogs.h"
#include "ui/PaneChrome.h"

#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDialog>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;
using TestSupport::readFile;
using TestSupport::writeFile;

namespace {
    // A shown pane on a home with two hand-made pairs, loaded; the fake key tool reports a
    // fingerprint, changes comments, and fails everything else, noting its arguments. No agent is named.
    struct Pane {
        QTemporaryDir dir;
        Locations locations = Locations::forHome(dir.path(), dir.filePath(u"bin"_s), dir.filePath(u"keygen"_s));
        std::unique_ptr<SSHKeysView> view;
        QListView *list = nullptr;
        Pane()
        {
            TestSupport::writeScript(locations.keygenPath,
                                     "[ \"$1\" = -l ] && exec <\"$3\" && echo '256 SHA256:fake x (ED25519)' && exit 0\n"
                                     "printf '[%s]' \"$@\" >>\"$0.log\"; [ \"$1\" = -c ] && exit 0\n"
                                     "echo 'Saving key failed: nope'; exit 1\n");
            writeFile(locations.sshDir + u"/id_ed25519"_s, "private");
            writeFile(locations.sshDir + u"/id_ed25519.pub"_s, "ssh-ed25519 AAAAone me@laptop\n");
            writeFile(locations.sshDir + u"/work"_s, "private");
            writeFile(locations.sshDir + u"/work.pub"_s, "ssh-rsa AAAAtwo\n");
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
        QVariant row(int i, int role = Qt::DisplayRole) const
        {
            return list->model()->index(i, 0).data(role);
        }
        QStringList names() const
        {
            QStringList names;
            for (int i = 0; i < list->model()->rowCount(); ++i)
                names << row(i).toString();
            return names;
        }
        bool isCopied(int i) const
        {
            return row(i, KeyListModel::CopiedRole).toBool();
        }
        void select(int i) const
        {
            list->setCurrentIndex(list->model()->index(i, 0));
        }
        QString status() const
        {
            return child<StatusLine>(u"statusLine"_s)->fullText();
        }
        bool showsEmptyState() const
        {
            return child<QStackedWidget>(u"detailStack"_s)->currentWidget()->objectName() == "emptyState"_L1;
        }
    };

    // Every button on show without text can be found by name and explained by a tooltip.
    void checkIconButtons(const QWidget *root)
    {
        for (const QAbstractButton *button : root->findChildren<QAbstractButton *>()) {
            if (!button->text().isEmpty() || !button->isVisibleTo(root))
                continue;
            QVERIFY2(!button->accessibleName().isEmpty() && !button->toolTip().isEmpty(),
                     qPrintable(button->objectName()));
        }
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
        Dialogs::setTestMode(false);
        Dialogs::asked().clear();
    }
    void displayRefreshAndDelete();
    void copyMarksAppearAndClear();
    void replacingAKeyAsksAndKeepsTheOldPair();
    void generationSheet();
    void keyActionsAskThenRunTheirTools();
};

void TestKeysView::displayRefreshAndDelete()
{
    Pane pane;
    QCOMPARE(pane.names(), (QStringList{u"id_ed25519"_s, u"work"_s}));
    QCOMPARE(pane.status(), u"Found 2 key pairs"_s);
    QVERIFY(pane.showsEmptyState());

    pane.select(1); // "work": no comment
    auto *comment = pane.child(u"commentValue"_s);
    QCOMPARE(comment->text(), u"(none)"_s);
    QCOMPARE(pane.child(u"pathValue"_s)->text(), u"~/.ssh/work"_s);
    QCOMPARE(pane.child(u"fingerprintValue"_s)->text(), u"256 SHA256:fake x (ED25519)"_s);
    pane.select(0);
    QCOMPARE(comment->text(), u"me@laptop"_s);
    // Without an agent: a plain word, and nothing to add or remove.
    QCOMPARE(pane.child(u"agentValue"_s)->text(), u"No SSH agent is running"_s);
    QVERIFY(!pane.child<QPushButton>(u"addToAgentButton"_s)->isEnabled());
    QVERIFY(!pane.child<QPushButton>(u"removeFromAgentButton"_s)->isEnabled());

    // Every scan makes new identifiers, so the selection goes.
    QSignalSpy reloaded(pane.view->model(), &SSHKeysModel::keyPairsChanged);
    QTest::mouseClick(pane.child<QToolButton>(u"refreshButton"_s), Qt::LeftButton);
    QVERIFY(reloaded.wait());
    QCOMPARE(pane.names().size(), 2);
    QVERIFY(!pane.view->selectedID() && !pane.list->selectionModel()->hasSelection());
    QVERIFY(pane.showsEmptyState());

    // The hosts that use a key are listed, and named again before it goes.
    pane.view->setHostLookup(
        [](const QString &key) {
            return key.endsWith(u"/work"_s) ? QStringList{u"web"_s, u"db"_s} : QStringList();
        },
        {});
    pane.select(0);
    QCOMPARE(pane.child(u"usedByValue"_s)->text(), u"No host in the config"_s);
    // The Delete key asks what the button asks, and Return on the question gives Cancel.
    pane.select(1);
    QCOMPARE(pane.child(u"usedByValue"_s)->text(), u"web, db"_s);
    auto *remove = pane.child<QPushButton>(u"deleteButton"_s);
    Dialogs::asked().clear();
    QTest::keyClick(pane.list, Qt::Key_Delete); // dismissed
    QCOMPARE(pane.names().size(), 2);
    const Dialogs::Asked question = Dialogs::asked().value(0);
    QCOMPARE(question.text,
             u"Permanently delete work and work.pub? This cannot be undone.\n\n"
             "These hosts in the config use it: web, db"_s);
    QCOMPARE(question.buttons.value(question.defaultChoice), u"Cancel"_s);
    Dialogs::setNextAnswer(u"Delete"_s);
    QTest::mouseClick(remove, Qt::LeftButton);
    QCOMPARE(pane.names(), QStringList{u"id_ed25519"_s});
    QCOMPARE(pane.status(), u"Deleted: work"_s);
    QTest::keyClick(pane.list, Qt::Key_Delete); // nothing selected: nothing to ask
    QCOMPARE(Dialogs::asked().size(), 2);
    QVERIFY(pane.showsEmptyState() && !pane.list->selectionModel()->hasSelection());
    QVERIFY(!QFile::exists(pane.locations.sshDir + u"/work"_s));
    QVERIFY(!QFile::exists(pane.locations.sshDir + u"/work.pub"_s));

    checkIconButtons(pane.view.get());
}

void TestKeysView::copyMarksAppearAndClear()
{
    Pane pane;
    CopiedMark::setInterval(1s);
    pane.select(0);
    auto *copy = pane.child<QPushButton>(u"copyButton"_s);
    QTest::mouseClick(copy, Qt::LeftButton);
    QCOMPARE(QGuiApplication::clipboard()->text(), u"ssh-ed25519 AAAAone me@laptop"_s);
    QCOMPARE(pane.status(), u"Public key copied to clipboard"_s);
    QCOMPARE(copy->text(), u"Copied!"_s);
    QVERIFY(pane.isCopied(0) && !pane.isCopied(1));

    CopiedMark::setInterval(50ms);
    QTest::mouseClick(copy, Qt::LeftButton);
    QTRY_COMPARE(copy->text(), u"Copy Public Key"_s);
    QVERIFY(!pane.isCopied(0) && !pane.view->copiedID());

    // The public key sheet has a mark of its own and leaves the list's alone.
    pane.select(0);
    QTest::mouseClick(pane.child<QPushButton>(u"viewPublicKeyButton"_s), Qt::LeftButton);
    auto *sheet = pane.child<PublicKeySheet>(u"publicKeySheet"_s);
    QVERIFY(sheet && sheet->isVisible());
    QGuiApplication::clipboard()->clear();
    auto *sheetCopy = sheet->findChild<QPushButton *>(u"copyToClipboardButton"_s);
    QTest::mouseClick(sheetCopy, Qt::LeftButton);
    QCOMPARE(QGuiApplication::clipboard()->text(), u"ssh-ed25519 AAAAone me@laptop"_s);
    QCOMPARE(sheetCopy->text(), u"Copied!"_s);
    QVERIFY(!pane.isCopied(0) && copy->text() == u"Copy Public Key"_s);
    QTRY_COMPARE(sheetCopy->text(), u"Copy to Clipboard"_s);
}

void TestKeysView::replacingAKeyAsksAndKeepsTheOldPair()
{
    Pane pane;
    const QDir ssh(pane.locations.sshDir);
    const auto openSheet = [&] {
        QTest::mouseClick(pane.child<QToolButton>(u"generateButton"_s), Qt::LeftButton);
        return pane.child<GenerateKeySheet>(u"generateKeySheet"_s);
    };

    // "+" then Return on the standard name only asks; the question's own Return is Cancel.
    GenerateKeySheet *sheet = openSheet();
    QTest::keyClick(sheet, Qt::Key_Return); // dismissed, as Escape does
    const Dialogs::Asked question = Dialogs::asked().value(0);
    QCOMPARE(question.text, u"Replace id_ed25519 and id_ed25519.pub?"_s);
    QCOMPARE(question.buttons, (QStringList{u"Replace"_s, u"Cancel"_s}));
    QCOMPARE(question.defaultChoice, 1);
    Dialogs::setNextAnswer(u"Cancel"_s);
    QTest::mouseClick(sheet->findChild<QPushButton *>(u"generateButton"_s), Qt::LeftButton);
    QVERIFY(sheet->isVisible() && !pane.view->model()->isGenerating());
    QCOMPARE(ssh.entryList(QDir::Files).size(), 4);
    QCOMPARE(readFile(ssh.filePath(u"id_ed25519"_s)), "private");

    // Replace: the old pair is copied first, even when the key tool then fails; the alert says why.
    QSignalSpy finished(pane.view->model(), &SSHKeysModel::generationFinished);
    Dialogs::setNextAnswer(u"Replace"_s);
    QTest::keyClick(sheet, Qt::Key_Return);
    QVERIFY(finished.wait());
    const QStringList kept = ssh.entryList({u"id_ed25519*.bak.*"_s}, QDir::Files);
    QCOMPARE(kept.size(), 2);
    QCOMPARE(readFile(ssh.filePath(kept.value(0))), "private");
    QCOMPARE(kept.value(1), kept.value(0).replace(u".bak."_s, u".pub.bak."_s));
    QTRY_COMPARE(pane.view->findChildren<QMessageBox *>().size(), 1);
    auto *alert = pane.child<QMessageBox>(u"errorAlert"_s);
    QCOMPARE(alert->text(), u"Saving key failed: nope\n"_s);
    alert->buttons().first()->click();
    QVERIFY(!pane.view->model()->errorMessage());
}

void TestKeysView::generationSheet()
{
    QTemporaryDir dir;
    writeFile(dir.filePath(u"id_ed25519"_s), "existing");
    writeFile(dir.filePath(u"taken"_s), "existing");
    writeFile(dir.filePath(u"lone.pub"_s), "existing");
    GenerateKeySheet sheet(dir.path());
    QSignalSpy requested(&sheet, &GenerateKeySheet::generateRequested);
    sheet.show();
    checkIconButtons(&sheet);
    // It fits a 1366x768 screen with its title bar and a panel, and keeps its size whatever is
    // typed or switched below.
    const auto laidOut = [&] {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        return std::pair(sheet.size(), sheet.minimumSizeHint());
    };
    const auto [size, least] = laidOut();
    QVERIFY2(size.height() <= 680, qPrintable(QString::number(size.height())));
    auto shown = [&](const QString &name) {
        return sheet.findChild<QWidget *>(name)->isVisible();
    };
    auto radio = [&](const QString &type) {
        return sheet.findChild<QRadioButton *>(u"typeRadio_"_s + type);
    };
    auto *name = sheet.findChild<QLineEdit *>(u"filenameEdit"_s);
    auto *preview = sheet.findChild<StatusLine *>(u"previewLabel"_s);
    auto *generate = sheet.findChild<QPushButton *>(u"generateButton"_s);

    // The passphrase fields replace the tip when switched on; Generate waits for both to agree.
    QVERIFY(shown(u"passphraseTip"_s) && !shown(u"passphraseEdit"_s));
    auto *passphraseSwitch = sheet.findChild<QCheckBox *>(u"passphraseSwitch"_s);
    passphraseSwitch->click();
    QVERIFY(!shown(u"passphraseTip"_s) && shown(u"passphraseEdit"_s) && shown(u"confirmPassphraseEdit"_s));
    QCOMPARE(laidOut(), std::pair(size, least));
    QTest::keyClicks(sheet.findChild<QLineEdit *>(u"passphraseEdit"_s), u"secret"_s);
    QVERIFY(!generate->isEnabled());
    auto *confirm = sheet.findChild<QLineEdit *>(u"confirmPassphraseEdit"_s);
    QTest::keyClicks(confirm, u"secret"_s);
    QVERIFY(generate->isEnabled());
    QTest::keyClick(confirm, Qt::Key_Backspace);
    QVERIFY(!generate->isEnabled());
    passphraseSwitch->click();
    QVERIFY(generate->isEnabled());

    // The file name follows the key type until the user types one of their own.
    QCOMPARE(name->text(), u"id_ed25519"_s);
    QCOMPARE(sheet.findChild<StatusLine *>(u"overwriteWarningText"_s)->fullText(),
             u"id_ed25519 already exists \u2014 will overwrite."_s);
    radio(u"rsa"_s)->click();
    QCOMPARE(name->text(), u"id_rsa"_s);
    QVERIFY(!shown(u"overwriteWarning"_s));
    name->setText(u"deploy"_s);
    radio(u"ed25519"_s)->click();
    QCOMPARE(name->text(), u"deploy"_s);

    // Whitespace alone counts as empty, and the standard name it falls back to is checked too; a
    // public key alone would be replaced as well. The key is written under the key directory
    // whatever the name starts with; so says the preview.
    const QList<std::tuple<QString, QString, bool>> names{{u"  \t"_s, u"(enter filename)"_s, true},
                                                          {u" taken"_s, u"taken"_s, true},
                                                          {u"lone"_s, u"lone"_s, true},
                                                          {u"/abs/key"_s, u"abs/key"_s, false},
                                                          {QString(200, u'k'), QString(200, u'k'), false}};
    for (const auto &[typed, path, warns] : names) {
        name->setText(typed);
        QCOMPARE(preview->fullText(), u"Saves as: ~/.ssh/"_s + path);
        QCOMPARE(shown(u"overwriteWarning"_s), warns);
        QCOMPARE(laidOut(), std::pair(size, least));
    }

    // The name goes out as typed; a blank one falls back to the type's standard name, which exists
    // here, so only after Replace.
    name->setText(u" spaced"_s);
    QTest::keyClick(name, Qt::Key_Return);
    QVERIFY(!sheet.isVisible());
    QCOMPARE(requested.value(0).value(0).value<KeyGenOptions>().filename, u" spaced"_s);
    QVERIFY(Dialogs::asked().isEmpty());
    sheet.show();
    radio(u"ecdsa"_s)->click();
    writeFile(dir.filePath(u"id_ecdsa"_s), "existing");
    name->setText(u" "_s);
    Dialogs::setNextAnswer(u"Replace"_s);
    QTest::mouseClick(generate, Qt::LeftButton);
    QCOMPARE(Dialogs::asked().value(0).text, u"Replace id_ecdsa and id_ecdsa.pub?"_s);
    const auto options = requested.value(1).value(0).value<KeyGenOptions>();
    QCOMPARE(options.filename, u"id_ecdsa"_s);
    QCOMPARE(options.keyType, KeyType::ecdsa);
    sheet.show();
    QTest::keyClick(&sheet, Qt::Key_Escape);
    QCOMPARE(requested.size(), 2);
}

void TestKeysView::keyActionsAskThenRunTheirTools()
{
    Pane pane;
    pane.select(0);
    const auto sheet = [&](const QString &button, const QString &name) {
        pane.child<QPushButton>(button)->click();
        return pane.child<QDialog>(name);
    };
    const auto field = [](QDialog *dialog, const QString &name) {
        return dialog->findChild<QLineEdit *>(name);
    };

    // The new passphrase twice alike, or no confirming; none of them reaches the tool's arguments,
    // and no second change starts while the tool runs.
    QDialog *passphrase = sheet(u"changePassphraseButton"_s, u"passphraseSheet"_s);
    field(passphrase, u"oldPassphraseEdit"_s)->setText(u"old"_s);
    field(passphrase, u"newPassphraseEdit"_s)->setText(u"new"_s);
    QVERIFY(!passphrase->findChild<QPushButton *>(u"confirmButton"_s)->isEnabled());
    QTest::keyClicks(field(passphrase, u"confirmPassphraseEdit"_s), u"new"_s);
    QTest::keyClick(passphrase, Qt::Key_Return);
    QVERIFY(!pane.child<QPushButton>(u"changeCommentButton"_s)->isEnabled());
    QTRY_VERIFY(pane.child<QMessageBox>(u"errorAlert"_s));
    pane.child<QMessageBox>(u"errorAlert"_s)->buttons().first()->click();
    // The comment starts as it is.
    QDialog *comment = sheet(u"changeCommentButton"_s, u"commentSheet"_s);
    QCOMPARE(field(comment, u"commentEdit"_s)->text(), u"me@laptop"_s);
    field(comment, u"commentEdit"_s)->setText(u"new one"_s);
    QTest::keyClick(comment, Qt::Key_Return);
    // Changed: the list is read again, and the pair stays selected.
    QTRY_COMPARE(pane.status(), u"Comment changed: id_ed25519"_s);
    QTRY_VERIFY(pane.view->selectedID());
    QCOMPARE(pane.child(u"filenameValue"_s)->text(), u"id_ed25519"_s);
    QCOMPARE(QString::fromUtf8(readFile(pane.locations.keygenPath + u".log"_s)),
             u"[-p][-f][%1][-c][-C][new one][-f][%1]"_s.arg(pane.locations.sshDir + u"/id_ed25519"_s));

    // Copy to Server: nothing to offer without hosts; else ssh-copy-id in a terminal that notes
    // what it was asked to run.
    pane.select(1);
    QVERIFY(!sheet(u"copyToServerButton"_s, u"copyToServerSheet"_s));
    QCOMPARE(Dialogs::asked().value(0).title, u"No Host to Copy To"_s);
    const QString terminal = pane.dir.filePath(u"term"_s);
    TestSupport::writeScript(terminal, "printf '[%s]' \"$@\" >\"$0.log\"\n");
    const QByteArray saved = qgetenv("TERMINAL");
    qputenv("TERMINAL", terminal.toLocal8Bit());
    pane.view->setHostLookup({}, [] {
        return QStringList{u"web"_s, u"db; rm -rf ~"_s};
    });
    QDialog *copy = sheet(u"copyToServerButton"_s, u"copyToServerSheet"_s);
    copy->findChild<QComboBox *>(u"hostChoice"_s)->setCurrentIndex(1);
    QTest::keyClick(copy, Qt::Key_Return);
    qputenv("TERMINAL", saved);
    // The terminal runs on its own, so its note may take a moment.
    QTRY_COMPARE(QString::fromUtf8(readFile(terminal + u".log"_s)),
                 u"[-e][ssh-copy-id][-i][%1/work.pub][--][db; rm -rf ~]"_s.arg(pane.locations.sshDir));
}

QTEST_MAIN(TestKeysView)
#include "TestKeysView.moc"
