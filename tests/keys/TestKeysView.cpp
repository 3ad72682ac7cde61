#include "keys/CopiedMark.h"
#include "keys/GenerateKeySheet.h"
#include "keys/KeyDelegate.h"
#include "keys/KeyListModel.h"
#include "keys/PublicKeySheet.h"
#include "keys/SSHKeysModel.h"
#include "keys/SSHKeysView.h"
#include "support/TestSupport.h"
#include "ui/Dialogs.h"
#include "ui/PaneChrome.h"
#include "ui/Style.h"

#include <QCheckBox>
#include <QClipboard>
#include <QElapsedTimer>
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
using TestSupport::writeFile;

namespace {
    // A shown pane on a home with two hand-made pairs; the fake key tool reports a fingerprint and
    // fails to generate.
    struct Pane {
        QTemporaryDir dir;
        Locations locations = Locations::forHome(dir.path(), dir.filePath(u"bin"_s), dir.filePath(u"keygen"_s));
        std::unique_ptr<SSHKeysView> view;
        QListView *list = nullptr;
        Pane()
        {
            TestSupport::writeScript(locations.keygenPath,
                                     "[ \"$1\" = -l ] && echo '256 SHA256:fake x (ED25519)' && exit 0\n"
                                     "echo 'Saving key failed: nope'; exit 1\n");
            writeFile(locations.sshDir + u"/id_ed25519"_s, "private");
            writeFile(locations.sshDir + u"/id_ed25519.pub"_s, "ssh-ed25519 AAAAone me@laptop\n");
            writeFile(locations.sshDir + u"/work"_s, "private");
            writeFile(locations.sshDir + u"/work.pub"_s, "ssh-rsa AAAAtwo\n");
            view = std::make_unique<SSHKeysView>(locations);
            view->show();
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
        bool showsEmptyState() const
        {
            return child<QStackedWidget>(u"detailStack"_s)->currentWidget()->objectName() == "emptyState"_L1;
        }
    };
} // namespace

class TestKeysView final : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        Dialogs::setTestMode(true);
    }
    void displayRefreshAndDelete();
    void typeIconRule();
    void copyMarksAppearAndClear();
    void failedGenerationShowsTheAlertOnce();
    void generationSheet();
};

void TestKeysView::displayRefreshAndDelete()
{
    Pane pane;
    QCOMPARE(pane.names(), (QStringList{u"id_ed25519"_s, u"work"_s}));
    QCOMPARE(pane.child<StatusLine>(u"statusLine"_s)->fullText(), u"Found 2 key pairs"_s);
    QVERIFY(pane.showsEmptyState());

    pane.select(1); // "work": no comment, so the row has the name line alone
    QVERIFY(!pane.showsEmptyState());
    auto *comment = pane.child(u"commentValue"_s);
    QCOMPARE(comment->text(), u"(none)"_s);
    QCOMPARE(comment->palette().color(QPalette::WindowText), Style::tertiary());
    QVERIFY(pane.row(1, KeyListModel::CommentRole).toString().isEmpty());
    QVERIFY(pane.list->sizeHintForRow(1) < pane.list->sizeHintForRow(0));
    QCOMPARE(pane.child(u"pathValue"_s)->text(), u"~/.ssh/work"_s);
    QCOMPARE(pane.child(u"fingerprintValue"_s)->text(), u"256 SHA256:fake x (ED25519)"_s);
    pane.select(0);
    QCOMPARE(comment->text(), u"me@laptop"_s);
    QVERIFY(comment->palette().color(QPalette::WindowText) != Style::tertiary());
    QCOMPARE(pane.row(0, KeyListModel::CommentRole).toString(), u"me@laptop"_s);

    QTest::mouseClick(pane.child<QToolButton>(u"refreshButton"_s), Qt::LeftButton);
    QCOMPARE(pane.names().size(), 2);
    QVERIFY(!pane.view->selectedID());
    QVERIFY(!pane.list->selectionModel()->hasSelection());
    QVERIFY(pane.showsEmptyState());

    pane.select(1);
    auto *remove = pane.child<QPushButton>(u"deleteButton"_s);
    Dialogs::asked().clear();
    Dialogs::setNextAnswer(u"Cancel"_s);
    QTest::mouseClick(remove, Qt::LeftButton);
    QCOMPARE(pane.names().size(), 2);
    QVERIFY(!pane.showsEmptyState());
    QCOMPARE(Dialogs::asked().size(), 1);
    QCOMPARE(Dialogs::asked().first().title, u"Delete Key Pair?"_s);
    QCOMPARE(Dialogs::asked().first().text, u"Permanently delete work and work.pub? This cannot be undone."_s);
    QCOMPARE(Dialogs::asked().first().buttons, (QStringList{u"Delete"_s, u"Cancel"_s}));

    Dialogs::setNextAnswer(u"Delete"_s);
    QTest::mouseClick(remove, Qt::LeftButton);
    QCOMPARE(pane.names(), QStringList{u"id_ed25519"_s});
    QCOMPARE(pane.child<StatusLine>(u"statusLine"_s)->fullText(), u"Deleted: work"_s);
    QVERIFY(pane.showsEmptyState());
    QVERIFY(!pane.list->selectionModel()->hasSelection());
    QVERIFY(!QFile::exists(pane.locations.sshDir + u"/work"_s));
    QVERIFY(!QFile::exists(pane.locations.sshDir + u"/work.pub"_s));
}

void TestKeysView::typeIconRule()
{
    // clang-format off
    const QList<std::tuple<QString, QString, bool>> cases{
        {u"ssh-ed25519"_s, u"key.fill"_s, true},
        {u"ssh-ed25519-cert-v01@openssh.com"_s, u"key"_s, false},
        {u"ssh-rsa"_s, u"key"_s, false},
        {u"ecdsa-rsa"_s, u"key"_s, false}, // rsa is checked before ecdsa
        {u"ecdsa-sha2-nistp521"_s, u"key.radiowaves.forward"_s, false},
        {u"SSH-RSA"_s, u"key"_s, false},
        {QString(), u"key"_s, false},
    };
    // clang-format on
    for (const auto &[keyType, symbol, green] : cases) {
        const KeyDelegate::TypeIcon icon = KeyDelegate::typeIcon(keyType);
        QCOMPARE(icon.symbol, symbol);
        QCOMPARE(icon.color, green ? Style::green() : Style::blue());
    }
}

void TestKeysView::copyMarksAppearAndClear()
{
    Pane pane;
    CopiedMark::setInterval(400ms);
    pane.select(0);
    auto *copy = pane.child<QPushButton>(u"copyButton"_s);
    QCOMPARE(copy->text(), u"Copy Public Key"_s);
    QTest::mouseClick(copy, Qt::LeftButton);
    QCOMPARE(QGuiApplication::clipboard()->text(), u"ssh-ed25519 AAAAone me@laptop"_s);
    QCOMPARE(pane.child<StatusLine>(u"statusLine"_s)->fullText(), u"Public key copied to clipboard"_s);
    QCOMPARE(copy->text(), u"Copied!"_s);
    QVERIFY(pane.isCopied(0) && !pane.isCopied(1));

    // A second click restarts the wait: past the first click's interval the marks are still there,
    // unless a loaded machine overslept the waits.
    QElapsedTimer sinceFirst;
    sinceFirst.start();
    QTest::qWait(250);
    const qint64 gap = sinceFirst.elapsed();
    QTest::mouseClick(copy, Qt::LeftButton);
    QTest::qWait(250);
    if (gap < 350 && sinceFirst.elapsed() - gap < 350 && sinceFirst.elapsed() > 450) {
        QCOMPARE(copy->text(), u"Copied!"_s);
        QVERIFY(pane.isCopied(0));
    }
    QTRY_COMPARE_WITH_TIMEOUT(copy->text(), u"Copy Public Key"_s, 1000);
    QVERIFY(!pane.isCopied(0));
    QVERIFY(!pane.view->copiedID());

    // The mark belongs to the pair copied: moving on to another pair clears it on time too.
    QTest::mouseClick(copy, Qt::LeftButton);
    pane.select(1);
    QCOMPARE(copy->text(), u"Copy Public Key"_s);
    QVERIFY(pane.isCopied(0));
    QTRY_VERIFY_WITH_TIMEOUT(!pane.isCopied(0), 1000);

    // The public key sheet has a mark of its own and leaves the list's alone.
    pane.select(0);
    QTest::mouseClick(pane.child<QPushButton>(u"viewPublicKeyButton"_s), Qt::LeftButton);
    auto *sheet = pane.child<PublicKeySheet>(u"publicKeySheet"_s);
    QVERIFY(sheet && sheet->isVisible());
    QCOMPARE(sheet->findChild<QLabel *>(u"fileLabel"_s)->text(), u"id_ed25519.pub"_s);

    QGuiApplication::clipboard()->clear();
    auto *sheetCopy = sheet->findChild<QPushButton *>(u"copyToClipboardButton"_s);
    QTest::mouseClick(sheetCopy, Qt::LeftButton);
    QCOMPARE(QGuiApplication::clipboard()->text(), u"ssh-ed25519 AAAAone me@laptop"_s);
    QCOMPARE(sheetCopy->text(), u"Copied!"_s);
    QVERIFY(!pane.isCopied(0) && copy->text() == u"Copy Public Key"_s);
    QTRY_COMPARE_WITH_TIMEOUT(sheetCopy->text(), u"Copy to Clipboard"_s, 1000);
    QTest::mouseClick(sheet->findChild<QPushButton *>(u"doneButton"_s), Qt::LeftButton);
    QVERIFY(!sheet->isVisible());
    CopiedMark::setInterval(2000ms);
}

void TestKeysView::failedGenerationShowsTheAlertOnce()
{
    Pane pane;
    QSignalSpy finished(pane.view->model(), &SSHKeysModel::generationFinished);
    QTest::mouseClick(pane.child<QToolButton>(u"generateButton"_s), Qt::LeftButton);
    auto *sheet = pane.child<GenerateKeySheet>(u"generateKeySheet"_s);
    QTest::mouseClick(sheet->findChild<QPushButton *>(u"generateButton"_s), Qt::LeftButton);
    QVERIFY(finished.wait());

    QTRY_VERIFY(pane.child<QMessageBox>(u"errorAlert"_s));
    auto *alert = pane.child<QMessageBox>(u"errorAlert"_s);
    QCOMPARE(alert->text(), u"Saving key failed: nope\n"_s);
    QCOMPARE(pane.view->findChildren<QMessageBox *>().size(), 1);
    alert->buttons().first()->click();
    QVERIFY(!pane.view->model()->errorMessage());
    QTRY_VERIFY(!pane.child<QMessageBox>(u"errorAlert"_s));
    QCOMPARE(pane.names().size(), 2);
}

void TestKeysView::generationSheet()
{
    QTemporaryDir dir;
    writeFile(dir.filePath(u"id_ed25519"_s), "existing");
    writeFile(dir.filePath(u"taken"_s), "existing");
    GenerateKeySheet sheet(dir.path());
    QSignalSpy requested(&sheet, &GenerateKeySheet::generateRequested);
    sheet.show();
    auto shown = [&](const QString &name) {
        return sheet.findChild<QWidget *>(name)->isVisible();
    };
    auto radio = [&](const QString &type) {
        return sheet.findChild<QRadioButton *>(u"typeRadio_"_s + type);
    };
    auto *name = sheet.findChild<QLineEdit *>(u"filenameEdit"_s);
    auto *preview = sheet.findChild<QLabel *>(u"previewLabel"_s);

    // Defaults; the passphrase field replaces the tip when switched on.
    QVERIFY(radio(u"ed25519"_s)->isChecked());
    QCOMPARE(name->text(), u"id_ed25519"_s);
    QVERIFY(sheet.findChild<QLineEdit *>(u"commentEdit"_s)->text().isEmpty());
    QVERIFY(shown(u"passphraseTip"_s) && !shown(u"passphraseEdit"_s));
    sheet.findChild<QCheckBox *>(u"passphraseSwitch"_s)->click();
    QVERIFY(!shown(u"passphraseTip"_s) && shown(u"passphraseEdit"_s));

    // The file name follows the key type until the user types one of their own.
    QCOMPARE(preview->text(), u"Saves as: ~/.ssh/id_ed25519"_s);
    QVERIFY(shown(u"overwriteWarning"_s));
    QCOMPARE(sheet.findChild<QLabel *>(u"overwriteWarningText"_s)->text(),
             u"id_ed25519 already exists \u2014 will overwrite."_s);
    radio(u"rsa"_s)->click();
    QCOMPARE(name->text(), u"id_rsa"_s);
    QVERIFY(!shown(u"overwriteWarning"_s));
    radio(u"ecdsa"_s)->click();
    QCOMPARE(name->text(), u"id_ecdsa"_s);
    name->setText(u"deploy"_s);
    radio(u"ed25519"_s)->click();
    QCOMPARE(name->text(), u"deploy"_s);

    // Whitespace alone counts as empty, and the standard name it falls back to is checked too. The key
    // is written under the key directory whatever the name starts with; so says the preview.
    const QList<std::tuple<QString, QString, bool>> names{{u"  \t"_s, u"(enter filename)"_s, true},
                                                          {u" taken"_s, u"taken"_s, true},
                                                          {u"/abs/key"_s, u"abs/key"_s, false}};
    for (const auto &[typed, path, warns] : names) {
        name->setText(typed);
        QCOMPARE(preview->text(), u"Saves as: ~/.ssh/"_s + path);
        QCOMPARE(shown(u"overwriteWarning"_s), warns);
    }

    name->setText(u" spaced"_s);
    sheet.findChild<QLineEdit *>(u"commentEdit"_s)->setText(u"me"_s);
    QTest::keyClick(name, Qt::Key_Return);
    QVERIFY(!sheet.isVisible());
    auto options = requested.value(0).value(0).value<KeyGenOptions>();
    QCOMPARE(options.filename, u" spaced"_s);
    QCOMPARE(options.comment, u"me"_s);

    // A blank name falls back to the standard one for the type; Escape requests nothing.
    sheet.show();
    radio(u"ecdsa"_s)->click();
    name->setText(u" "_s);
    QTest::mouseClick(sheet.findChild<QPushButton *>(u"generateButton"_s), Qt::LeftButton);
    options = requested.value(1).value(0).value<KeyGenOptions>();
    QCOMPARE(options.filename, u"id_ecdsa"_s);
    QCOMPARE(options.keyType, KeyType::ecdsa);
    sheet.show();
    QTest::keyClick(&sheet, Qt::Key_Escape);
    QVERIFY(!sheet.isVisible());
    QCOMPARE(requested.size(), 2);
}

QTEST_MAIN(TestKeysView)
#include "TestKeysView.moc"
