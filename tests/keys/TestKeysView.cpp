#include "keys/CopiedMark.h"
#include "keys/GenerateKeySheet.h"
#include "keys/KeyDetailView.h"
#include "keys/KeyListModel.h"
#include "keys/KeyRowView.h"
#include "keys/PublicKeySheet.h"
#include "keys/SSHKeysModel.h"
#include "keys/SSHKeysView.h"
#include "support/TestSupport.h"
#include "ui/Dialogs.h"
#include "ui/PaneChrome.h"
#include "ui/Style.h"

#include <QCheckBox>
#include <QClipboard>
#include <QDir>
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
using TestSupport::writeScript;

namespace {
    // A home directory with two hand-made pairs; the fake key tool reports a fingerprint.
    struct Home {
        QTemporaryDir dir;
        Locations locations;
        Home()
        {
            locations = Locations::forHome(dir.path(), dir.filePath(u"bin"_s), dir.filePath(u"keygen"_s));
            writeScript(locations.keygenPath,
                        "[ \"$1\" = -l ] && echo '256 SHA256:fake x (ED25519)' && exit 0\n"
                        "echo 'Saving key failed: nope'; exit 1\n");
            writeFile(locations.sshDir + u"/id_ed25519"_s, "private");
            writeFile(locations.sshDir + u"/id_ed25519.pub"_s, "ssh-ed25519 AAAAone me@laptop\n");
            writeFile(locations.sshDir + u"/work"_s, "private");
            writeFile(locations.sshDir + u"/work.pub"_s, "ssh-rsa AAAAtwo\n");
        }
    };

    template <typename T>
    T *child(QObject *parent, const QString &name)
    {
        T *found = parent->findChild<T *>(name);
        if (!found)
            qWarning("no child %s", qPrintable(name));
        return found;
    }

    QListView *list(SSHKeysView &view)
    {
        return child<QListView>(&view, u"keyList"_s);
    }
    int rowCount(SSHKeysView &view)
    {
        return list(view)->model()->rowCount();
    }
    bool showsEmptyState(SSHKeysView &view)
    {
        return child<QStackedWidget>(&view, u"detailStack"_s)->currentWidget()->objectName() == "emptyState"_L1;
    }
    QVariant row(SSHKeysView &view, int i, int role = Qt::DisplayRole)
    {
        return list(view)->model()->index(i, 0).data(role);
    }
    bool isCopied(SSHKeysView &view, int i)
    {
        return row(view, i, KeyListModel::CopiedRole).toBool();
    }
    void select(SSHKeysView &view, int i)
    {
        list(view)->setCurrentIndex(list(view)->model()->index(i, 0));
    }
} // namespace

class TestKeysView final : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        Dialogs::setTestMode(true);
    }
    void init()
    {
        Dialogs::asked().clear();
    }
    void firstDisplayAndRefresh();
    void detailShowsThePair();
    void deleteAsksFirst();
    void typeIconRule_data();
    void typeIconRule();
    void copyMarksAppearTogetherAndRestart();
    void publicKeySheetCopies();
    void failedGenerationShowsTheAlertOnce();
    void sheetDefaultsAndTypeSwitch();
    void sheetPreviewWarningAndGenerate();
};

void TestKeysView::firstDisplayAndRefresh()
{
    Home home;
    SSHKeysView view(home.locations);
    view.show();
    QCOMPARE(rowCount(view), 2);
    QCOMPARE(row(view, 0).toString(), u"id_ed25519"_s);
    QCOMPARE(child<StatusLine>(&view, u"statusLine"_s)->fullText(), u"Found 2 key pairs"_s);
    QVERIFY(showsEmptyState(view));

    select(view, 1);
    QVERIFY(!showsEmptyState(view));
    QCOMPARE(view.selectedID(), row(view, 1, KeyListModel::IdRole).toUuid());
    QTest::mouseClick(child<QToolButton>(&view, u"refreshButton"_s), Qt::LeftButton);
    QCOMPARE(rowCount(view), 2);
    QVERIFY(!view.selectedID());
    QVERIFY(!list(view)->selectionModel()->hasSelection());
    QVERIFY(showsEmptyState(view));
}

void TestKeysView::detailShowsThePair()
{
    Home home;
    SSHKeysView view(home.locations);
    view.show();
    select(view, 1); // "work": no comment
    auto *comment = child<QLabel>(&view, u"commentValue"_s);
    QCOMPARE(comment->text(), u"(none)"_s);
    QCOMPARE(comment->palette().color(QPalette::WindowText), Style::tertiary());
    // Without a comment the row has the name line alone.
    QVERIFY(row(view, 1, KeyListModel::CommentRole).toString().isEmpty());
    QVERIFY(list(view)->sizeHintForRow(1) < list(view)->sizeHintForRow(0));
    QCOMPARE(child<QLabel>(&view, u"pathValue"_s)->text(), u"~/.ssh/work"_s);
    QCOMPARE(child<QLabel>(&view, u"fingerprintValue"_s)->text(), u"256 SHA256:fake x (ED25519)"_s);

    select(view, 0);
    QCOMPARE(comment->text(), u"me@laptop"_s);
    QVERIFY(comment->palette().color(QPalette::WindowText) != Style::tertiary());
    QCOMPARE(row(view, 0, KeyListModel::CommentRole).toString(), u"me@laptop"_s);
}

void TestKeysView::deleteAsksFirst()
{
    Home home;
    SSHKeysView view(home.locations);
    view.show();
    select(view, 1);
    auto *remove = child<QPushButton>(&view, u"deleteButton"_s);

    Dialogs::setNextAnswer(u"Cancel"_s);
    QTest::mouseClick(remove, Qt::LeftButton);
    QCOMPARE(rowCount(view), 2);
    QVERIFY(!showsEmptyState(view));
    QCOMPARE(Dialogs::asked().size(), 1);
    QCOMPARE(Dialogs::asked().first().title, u"Delete Key Pair?"_s);
    QCOMPARE(Dialogs::asked().first().text, u"Permanently delete work and work.pub? This cannot be undone."_s);
    QCOMPARE(Dialogs::asked().first().buttons, (QStringList{u"Delete"_s, u"Cancel"_s}));

    Dialogs::setNextAnswer(u"Delete"_s);
    QTest::mouseClick(remove, Qt::LeftButton);
    QCOMPARE(rowCount(view), 1);
    QCOMPARE(row(view, 0).toString(), u"id_ed25519"_s);
    QCOMPARE(child<StatusLine>(&view, u"statusLine"_s)->fullText(), u"Deleted: work"_s);
    QVERIFY(showsEmptyState(view));
    QVERIFY(!view.selectedID());
    QVERIFY(!list(view)->selectionModel()->hasSelection());
    QVERIFY(!QFile::exists(home.locations.sshDir + u"/work"_s));
    QVERIFY(!QFile::exists(home.locations.sshDir + u"/work.pub"_s));
}

void TestKeysView::typeIconRule_data()
{
    QTest::addColumn<QString>("keyType");
    QTest::addColumn<QString>("symbol");
    QTest::addColumn<bool>("green");
    QTest::newRow("ed25519") << u"ssh-ed25519"_s << u"key.fill"_s << true;
    QTest::newRow("longer ed25519") << u"ssh-ed25519-cert-v01@openssh.com"_s << u"key"_s << false;
    QTest::newRow("rsa") << u"ssh-rsa"_s << u"key"_s << false;
    QTest::newRow("rsa before ecdsa") << u"ecdsa-rsa"_s << u"key"_s << false;
    QTest::newRow("ecdsa") << u"ecdsa-sha2-nistp521"_s << u"key.radiowaves.forward"_s << false;
    QTest::newRow("upper-case RSA") << u"SSH-RSA"_s << u"key"_s << false;
    QTest::newRow("empty") << QString() << u"key"_s << false;
}

void TestKeysView::typeIconRule()
{
    QFETCH(QString, keyType);
    QFETCH(QString, symbol);
    QFETCH(bool, green);
    const KeyRowView::TypeIcon icon = KeyRowView::typeIcon(keyType);
    QCOMPARE(icon.symbol, symbol);
    QCOMPARE(icon.color, green ? Style::green() : Style::blue());
}

void TestKeysView::copyMarksAppearTogetherAndRestart()
{
    Home home;
    SSHKeysView view(home.locations);
    view.show();
    CopiedMark::setInterval(400ms);
    select(view, 0);
    auto *copy = child<QPushButton>(&view, u"copyButton"_s);
    QCOMPARE(copy->text(), u"Copy Public Key"_s);

    QTest::mouseClick(copy, Qt::LeftButton);
    QCOMPARE(QGuiApplication::clipboard()->text(), u"ssh-ed25519 AAAAone me@laptop"_s);
    QCOMPARE(child<StatusLine>(&view, u"statusLine"_s)->fullText(), u"Public key copied to clipboard"_s);
    QCOMPARE(copy->text(), u"Copied!"_s);
    QVERIFY(isCopied(view, 0));
    QVERIFY(!isCopied(view, 1));

    // A second click restarts the wait: past the first click's interval the marks are still there.
    // (A loaded machine may oversleep the waits; then there is nothing to see.)
    QElapsedTimer sinceFirst;
    sinceFirst.start();
    QTest::qWait(250);
    const qint64 gap = sinceFirst.elapsed();
    QTest::mouseClick(copy, Qt::LeftButton);
    QTest::qWait(250);
    if (gap < 350 && sinceFirst.elapsed() - gap < 350 && sinceFirst.elapsed() > 450) {
        QCOMPARE(copy->text(), u"Copied!"_s);
        QVERIFY(isCopied(view, 0));
    }
    QTRY_COMPARE_WITH_TIMEOUT(copy->text(), u"Copy Public Key"_s, 1000);
    QVERIFY(!isCopied(view, 0));
    QVERIFY(!view.copiedID());

    // The mark belongs to the pair copied: moving on to another pair clears it on time too.
    QTest::mouseClick(copy, Qt::LeftButton);
    select(view, 1);
    QCOMPARE(copy->text(), u"Copy Public Key"_s);
    QVERIFY(isCopied(view, 0));
    QTRY_VERIFY_WITH_TIMEOUT(!isCopied(view, 0), 1000);
    CopiedMark::setInterval(2000ms);
}

void TestKeysView::publicKeySheetCopies()
{
    Home home;
    SSHKeysView view(home.locations);
    view.show();
    CopiedMark::setInterval(200ms);
    select(view, 0);
    QTest::mouseClick(child<QPushButton>(&view, u"viewPublicKeyButton"_s), Qt::LeftButton);
    auto *sheet = child<PublicKeySheet>(&view, u"publicKeySheet"_s);
    QVERIFY(sheet && sheet->isVisible());
    QCOMPARE(child<QLabel>(sheet, u"fileLabel"_s)->text(), u"id_ed25519.pub"_s);

    QGuiApplication::clipboard()->clear();
    auto *copy = child<QPushButton>(sheet, u"copyToClipboardButton"_s);
    QTest::mouseClick(copy, Qt::LeftButton);
    QCOMPARE(QGuiApplication::clipboard()->text(), u"ssh-ed25519 AAAAone me@laptop"_s);
    QCOMPARE(copy->text(), u"Copied!"_s);
    QVERIFY(!isCopied(view, 0)); // the sheet's copy leaves the list alone
    QTRY_COMPARE_WITH_TIMEOUT(copy->text(), u"Copy to Clipboard"_s, 1000);
    QTest::mouseClick(child<QPushButton>(sheet, u"doneButton"_s), Qt::LeftButton);
    QVERIFY(!sheet->isVisible());
    CopiedMark::setInterval(2000ms);
}

void TestKeysView::failedGenerationShowsTheAlertOnce()
{
    Home home;
    SSHKeysView view(home.locations);
    view.show();
    QSignalSpy finished(view.model(), &SSHKeysModel::generationFinished);
    QTest::mouseClick(child<QToolButton>(&view, u"generateButton"_s), Qt::LeftButton);
    auto *sheet = child<GenerateKeySheet>(&view, u"generateKeySheet"_s);
    QTest::mouseClick(child<QPushButton>(sheet, u"generateButton"_s), Qt::LeftButton);
    QVERIFY(finished.wait());

    QTRY_VERIFY(view.findChild<QMessageBox *>(u"errorAlert"_s));
    auto *alert = view.findChild<QMessageBox *>(u"errorAlert"_s);
    QCOMPARE(alert->text(), u"Saving key failed: nope\n"_s);
    QCOMPARE(view.findChildren<QMessageBox *>().size(), 1);
    alert->buttons().first()->click();
    QVERIFY(!view.model()->errorMessage());
    QTRY_VERIFY(!view.findChild<QMessageBox *>(u"errorAlert"_s));
    QCOMPARE(rowCount(view), 2);
}

void TestKeysView::sheetDefaultsAndTypeSwitch()
{
    QTemporaryDir dir;
    GenerateKeySheet sheet(dir.path());
    sheet.show();
    auto *name = child<QLineEdit>(&sheet, u"filenameEdit"_s);
    auto *passphraseSwitch = child<QCheckBox>(&sheet, u"passphraseSwitch"_s);
    QVERIFY(child<QRadioButton>(&sheet, u"typeRadio_ed25519"_s)->isChecked());
    QCOMPARE(name->text(), u"id_ed25519"_s);
    QVERIFY(child<QLineEdit>(&sheet, u"commentEdit"_s)->text().isEmpty());
    QVERIFY(!passphraseSwitch->isChecked());
    QVERIFY(child<QLabel>(&sheet, u"passphraseTip"_s)->isVisible());
    QVERIFY(!child<QLineEdit>(&sheet, u"passphraseEdit"_s)->isVisible());

    passphraseSwitch->click();
    QVERIFY(!child<QLabel>(&sheet, u"passphraseTip"_s)->isVisible());
    QVERIFY(child<QLineEdit>(&sheet, u"passphraseEdit"_s)->isVisible());

    child<QRadioButton>(&sheet, u"typeRadio_rsa"_s)->click();
    QCOMPARE(name->text(), u"id_rsa"_s);
    child<QRadioButton>(&sheet, u"typeRadio_ecdsa"_s)->click();
    QCOMPARE(name->text(), u"id_ecdsa"_s);
    name->setText(u"deploy"_s);
    child<QRadioButton>(&sheet, u"typeRadio_ed25519"_s)->click();
    QCOMPARE(name->text(), u"deploy"_s);
    name->clear();
    child<QRadioButton>(&sheet, u"typeRadio_rsa"_s)->click();
    QCOMPARE(name->text(), u"id_rsa"_s);
}

void TestKeysView::sheetPreviewWarningAndGenerate()
{
    QTemporaryDir dir;
    writeFile(dir.filePath(u"id_ed25519"_s), "existing");
    writeFile(dir.filePath(u"taken"_s), "existing");
    GenerateKeySheet sheet(dir.path());
    QSignalSpy requested(&sheet, &GenerateKeySheet::generateRequested);
    sheet.show();
    auto *name = child<QLineEdit>(&sheet, u"filenameEdit"_s);
    auto *preview = child<QLabel>(&sheet, u"previewLabel"_s);
    auto *warning = child<QWidget>(&sheet, u"overwriteWarning"_s);
    auto *warningText = child<QLabel>(&sheet, u"overwriteWarningText"_s);

    QCOMPARE(preview->text(), u"Saves as: ~/.ssh/id_ed25519"_s);
    QVERIFY(warning->isVisible());
    QCOMPARE(warningText->text(), u"id_ed25519 already exists \u2014 will overwrite."_s);

    // Whitespace alone counts as empty, and the standard name it falls back to is checked too.
    name->setText(u"  \t"_s);
    QCOMPARE(preview->text(), u"Saves as: ~/.ssh/(enter filename)"_s);
    QVERIFY(warning->isVisible());

    name->setText(u" taken"_s);
    QCOMPARE(preview->text(), u"Saves as: ~/.ssh/taken"_s);
    QVERIFY(warning->isVisible());
    name->setText(u"fresh"_s);
    QVERIFY(!warning->isVisible());
    // The key is written under the key directory whatever the name starts with; so says the preview.
    name->setText(u"/abs/key"_s);
    QCOMPARE(preview->text(), u"Saves as: ~/.ssh/abs/key"_s);

    name->setText(u" spaced"_s);
    child<QLineEdit>(&sheet, u"commentEdit"_s)->setText(u"me"_s);
    QTest::keyClick(name, Qt::Key_Return);
    QCOMPARE(requested.size(), 1);
    const auto options = requested.first().first().value<KeyGenOptions>();
    QCOMPARE(options.filename, u" spaced"_s);
    QCOMPARE(options.comment, u"me"_s);
    QVERIFY(!sheet.isVisible());

    GenerateKeySheet blank(dir.path());
    QSignalSpy blankRequested(&blank, &GenerateKeySheet::generateRequested);
    blank.show();
    child<QRadioButton>(&blank, u"typeRadio_ecdsa"_s)->click();
    child<QLineEdit>(&blank, u"filenameEdit"_s)->setText(u" "_s);
    QTest::mouseClick(child<QPushButton>(&blank, u"generateButton"_s), Qt::LeftButton);
    QCOMPARE(blankRequested.first().first().value<KeyGenOptions>().filename, u"id_ecdsa"_s);
    QCOMPARE(blankRequested.first().first().value<KeyGenOptions>().keyType, KeyType::ecdsa);

    GenerateKeySheet cancelled(dir.path());
    QSignalSpy cancelledRequested(&cancelled, &GenerateKeySheet::generateRequested);
    cancelled.show();
    QTest::keyClick(&cancelled, Qt::Key_Escape);
    QVERIFY(!cancelled.isVisible());
    QCOMPARE(cancelledRequested.size(), 0);
}

QTEST_MAIN(TestKeysView)
#include "TestKeysView.moc"
