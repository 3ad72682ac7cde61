#include "scripts/BinScriptsView.h"
#include "scripts/ScriptEditorWindowController.h"
#include "support/TestSupport.h"
#include "ui/Dialogs.h"

#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

using namespace Qt::StringLiterals;
using TestSupport::readFile;
using TestSupport::writeFile;

namespace {
    struct FailingRunner final : PrivilegedRunner {
        std::optional<QString> runElevated(const QString &) override
        {
            return u"denied"_s;
        }
    };

    auto &editors()
    {
        return ScriptEditorWindowController::openScriptEditors();
    }

    void selectRow(BinScriptsView &view, const QString &name)
    {
        auto *list = view.findChild<QListWidget *>(u"scriptList"_s);
        const auto items = list->findItems(name, Qt::MatchExactly);
        QVERIFY(!items.isEmpty());
        list->setCurrentItem(items.first());
    }

    QString labelText(const QWidget &view, const QString &objectName)
    {
        const auto *label = view.findChild<QLabel *>(objectName);
        return label ? label->text() : QString();
    }
} // namespace

class TestBinScriptsView final : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        Dialogs::setTestMode(true);
    }
    void cleanup();
    void lineCountCutsAtEveryBreak_data();
    void lineCountCutsAtEveryBreak();
    void detailShowsTextAndBinaryFiles();
    void newScriptPromptChecksTheName();
    void deleteAsksThenShowsThePlaceholder();
    void oneEditorPerScript();
    void ctrlSSavesAndCloses();
    void closingDiscardsEdits();
    void editorKeepsBytesItWasNotAskedToChange();
    void editorSavesAfterItsPaneIsGone();
    void errorAlertClearsTheMessage();
};

void TestBinScriptsView::cleanup()
{
    const auto open = editors();
    editors().clear();
    qDeleteAll(open);
}

void TestBinScriptsView::lineCountCutsAtEveryBreak_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("lines");
    QTest::newRow("empty") << QString() << 1;
    QTest::newRow("two lines") << u"a\nb\n"_s << 3;
    QTest::newRow("crlf cuts twice") << u"a\r\nb"_s << 3;
    QTest::newRow("other breaks") << u"\u000B\u000C\u0085\u2028\u2029"_s << 6;
    QTest::newRow("no break") << u"echo hi"_s << 1;
}

void TestBinScriptsView::lineCountCutsAtEveryBreak()
{
    QFETCH(QString, text);
    QFETCH(int, lines);
    QCOMPARE(BinScriptsView::lineCount(text), lines);
}

void TestBinScriptsView::detailShowsTextAndBinaryFiles()
{
    QTemporaryDir tmp;
    writeFile(tmp.filePath(u"empty"_s), "");
    writeFile(tmp.filePath(u"two"_s), "a\nb\n");
    writeFile(tmp.filePath(u"tool"_s),
              QByteArray("\x7f"
                         "ELF\0\0",
                         6));
    QFile::setPermissions(tmp.filePath(u"two"_s), QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther);
    BinScriptsView view(Locations::forHome(tmp.path(), tmp.path()), std::make_shared<FailingRunner>());
    view.show(); // showing loads
    auto *stack = view.findChild<QStackedWidget *>();
    QCOMPARE(view.findChild<QListWidget *>(u"scriptList"_s)->count(), 3);
    QCOMPARE(stack->currentWidget()->objectName(), u"noSelectionPlaceholder"_s);

    selectRow(view, u"empty"_s);
    QCOMPARE(view.findChild<QPlainTextEdit *>(u"previewText"_s)->toPlainText(), u"(empty file)"_s);
    QCOMPARE(labelText(view, u"lineCountLabel"_s), u"1 line"_s);
    QCOMPARE(labelText(view, u"typeValue"_s), u"Text / Shell Script"_s);

    selectRow(view, u"two"_s);
    QCOMPARE(view.previewLines(), 3);
    QCOMPARE(labelText(view, u"lineCountLabel"_s), u"3 lines"_s);
    QCOMPARE(labelText(view, u"permissionsValue"_s), u"604"_s);
    QCOMPARE(labelText(view, u"sizeValue"_s), QLocale().formattedDataSize(4));
    QCOMPARE(labelText(view, u"pathValue"_s), tmp.filePath(u"two"_s));

    selectRow(view, u"tool"_s);
    QCOMPARE(labelText(view, u"typeValue"_s), u"Binary Executable"_s);
    QVERIFY(view.findChild<QLabel *>(u"binaryNotice"_s));
    QVERIFY(!view.findChild<QLabel *>(u"lineCountLabel"_s));
    QVERIFY(!view.findChild<QPushButton *>(u"editButton"_s));
    QVERIFY(!view.findChild<QPlainTextEdit *>(u"previewText"_s));

    QTest::mouseClick(view.findChild<QToolButton *>(u"refreshButton"_s), Qt::LeftButton);
    QVERIFY(!view.selectedID());
    QCOMPARE(stack->currentWidget()->objectName(), u"noSelectionPlaceholder"_s);
}

void TestBinScriptsView::newScriptPromptChecksTheName()
{
    QTemporaryDir tmp;
    BinScriptsView view(Locations::forHome(tmp.path(), tmp.path()), std::make_shared<FailingRunner>());
    view.show();
    auto *model = view.model();

    for (const QString &bad : {u"my script"_s, u"a/b"_s}) {
        model->setErrorMessage(std::nullopt);
        Dialogs::setNextText(bad);
        QTest::mouseClick(view.findChild<QToolButton *>(u"newScriptButton"_s), Qt::LeftButton);
        QCOMPARE(model->errorMessage(), u"Script name cannot contain slashes or spaces."_s);
    }
    QCOMPARE(Dialogs::asked().last().title, u"New Script"_s);
    QCOMPARE(Dialogs::asked().last().buttons, (QStringList{u"Create"_s, u"Cancel"_s}));
    model->setErrorMessage(std::nullopt);
    Dialogs::setNextText(u" \t "_s);
    view.createNewScript();
    Dialogs::setNextText(std::nullopt);
    view.createNewScript();
    QVERIFY(!model->errorMessage());
    QVERIFY(model->scripts().isEmpty());

    // The placeholder's button runs the same prompt; outer blanks are trimmed.
    Dialogs::setNextText(u"  tool  "_s);
    QTest::mouseClick(view.findChild<QPushButton *>(u"placeholderNewButton"_s), Qt::LeftButton);
    QCOMPARE(readFile(tmp.filePath(u"tool"_s)), BinScriptsModel::scriptTemplate(u"tool"_s));
    QCOMPARE(model->statusMessage(), u"Created: tool"_s);
    QVERIFY(view.selectedID() && *view.selectedID() == model->scripts().constFirst().id);
    QCOMPARE(view.previewLines(), 7);
    QCOMPARE(editors().keys(), QStringList{tmp.filePath(u"tool"_s)});
}

void TestBinScriptsView::deleteAsksThenShowsThePlaceholder()
{
    QTemporaryDir tmp;
    writeFile(tmp.filePath(u"old"_s), "echo\n");
    BinScriptsView view(Locations::forHome(tmp.path(), tmp.path()), std::make_shared<FailingRunner>());
    view.show();
    selectRow(view, u"old"_s);
    Dialogs::setNextAnswer(u"Cancel"_s);
    QTest::mouseClick(view.findChild<QPushButton *>(u"deleteButton"_s), Qt::LeftButton);
    QVERIFY(QFile::exists(tmp.filePath(u"old"_s)));
    QCOMPARE(Dialogs::asked().last().title, u"Delete Script?"_s);
    QCOMPARE(Dialogs::asked().last().text, u"Permanently delete \"old\"? This cannot be undone."_s);

    Dialogs::setNextAnswer(u"Delete"_s);
    QTest::mouseClick(view.findChild<QPushButton *>(u"deleteButton"_s), Qt::LeftButton);
    QVERIFY(!QFile::exists(tmp.filePath(u"old"_s)));
    QCOMPARE(view.model()->statusMessage(), u"Deleted: old"_s);
    QVERIFY(!view.selectedID());
    QCOMPARE(view.findChild<QStackedWidget *>()->currentWidget()->objectName(), u"noSelectionPlaceholder"_s);
}

void TestBinScriptsView::oneEditorPerScript()
{
    QTemporaryDir tmp;
    writeFile(tmp.filePath(u"a"_s), "a\n");
    writeFile(tmp.filePath(u"b"_s), "b\n");
    BinScriptsView view(Locations::forHome(tmp.path(), tmp.path()), std::make_shared<FailingRunner>());
    view.show();
    const auto scripts = view.model()->scripts();
    view.openEditor(scripts.at(0));
    auto *first = editors().value(scripts.at(0).url);
    QVERIFY(first && first->isVisible());
    QCOMPARE(first->textView()->toPlainText(), u"a\n"_s);
    view.openEditor(scripts.at(0));
    QCOMPARE(editors().size(), 1);
    QCOMPARE(editors().value(scripts.at(0).url), first);
    view.openEditor(scripts.at(1));
    QCOMPARE(editors().size(), 2);

    // Saving "a" while "b" is selected leaves b's preview alone.
    selectRow(view, u"b"_s);
    first->textView()->setPlainText(u"changed\n"_s);
    first->findChild<QPushButton *>(u"saveButton"_s)->click();
    QCOMPARE(readFile(scripts.at(0).url), QByteArray("changed\n"));
    QCOMPARE(view.previewContent(), u"b\n"_s);
    QCOMPARE(editors().size(), 1);
}

void TestBinScriptsView::ctrlSSavesAndCloses()
{
    QTemporaryDir tmp;
    writeFile(tmp.filePath(u"s"_s), "old\n");
    BinScriptsView view(Locations::forHome(tmp.path(), tmp.path()), std::make_shared<FailingRunner>());
    view.show();
    selectRow(view, u"s"_s);
    QTest::mouseClick(view.findChild<QPushButton *>(u"editButton"_s), Qt::LeftButton);
    QPointer<ScriptEditorWindowController> editor = editors().value(tmp.filePath(u"s"_s));
    QVERIFY(editor);
    QVERIFY(QTest::qWaitForWindowActive(editor));
    QVERIFY(!editor->isWindowModified());
    QTest::keyClicks(editor->textView(), u"x"_s);
    QVERIFY(editor->isWindowModified());
    QTest::keyClick(editor->textView(), Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(readFile(tmp.filePath(u"s"_s)), QByteArray("xold\n"));
    QVERIFY(!editors().contains(tmp.filePath(u"s"_s)));
    QTRY_VERIFY(!editor);
    QCOMPARE(view.model()->statusMessage(), u"Saved: s"_s);
    QCOMPARE(view.previewContent(), u"xold\n"_s);
    QCOMPARE(labelText(view, u"lineCountLabel"_s), u"2 lines"_s);
}

void TestBinScriptsView::closingDiscardsEdits()
{
    QTemporaryDir tmp;
    writeFile(tmp.filePath(u"s"_s), "keep\n");
    BinScriptsView view(Locations::forHome(tmp.path(), tmp.path()), std::make_shared<FailingRunner>());
    view.show();
    view.openEditor(view.model()->scripts().constFirst());
    auto *editor = editors().value(tmp.filePath(u"s"_s));
    editor->textView()->setPlainText(u"changed"_s);
    editor->close();
    QVERIFY(editors().isEmpty());
    QCOMPARE(readFile(tmp.filePath(u"s"_s)), QByteArray("keep\n"));
}

void TestBinScriptsView::editorKeepsBytesItWasNotAskedToChange()
{
    // No-break spaces, line separators and CR LF endings survive an edit elsewhere in the text.
    const QByteArray original = "a\xc2\xa0"
                                "b\xe2\x80\xa8"
                                "c\r\nd\r\n";
    QTemporaryDir tmp;
    writeFile(tmp.filePath(u"s"_s), original);
    BinScriptsView view(Locations::forHome(tmp.path(), tmp.path()), std::make_shared<FailingRunner>());
    view.show();
    view.openEditor(view.model()->scripts().constFirst());
    auto *editor = editors().value(tmp.filePath(u"s"_s));
    QTest::keyClicks(editor->textView(), u"#"_s);
    editor->findChild<QPushButton *>(u"saveButton"_s)->click();
    QCOMPARE(readFile(tmp.filePath(u"s"_s)), "#" + original);
}

void TestBinScriptsView::editorSavesAfterItsPaneIsGone()
{
    QTemporaryDir tmp;
    writeFile(tmp.filePath(u"s"_s), "old\n");
    auto view =
        std::make_unique<BinScriptsView>(Locations::forHome(tmp.path(), tmp.path()), std::make_shared<FailingRunner>());
    view->show();
    view->openEditor(view->model()->scripts().constFirst());
    auto *editor = editors().value(tmp.filePath(u"s"_s));
    view.reset(); // the main window moved to another pane
    editor->textView()->setPlainText(u"new\n"_s);
    editor->findChild<QPushButton *>(u"saveButton"_s)->click();
    QCOMPARE(readFile(tmp.filePath(u"s"_s)), QByteArray("new\n"));
    QVERIFY(editors().isEmpty());
}

void TestBinScriptsView::errorAlertClearsTheMessage()
{
    QTemporaryDir tmp;
    writeFile(tmp.filePath(u"file"_s), "");
    const QString bin = tmp.filePath(u"file/bin"_s); // plain writes fail here, even as root
    BinScriptsView view(Locations::forHome(tmp.path(), bin), std::make_shared<FailingRunner>());
    view.show();
    QCOMPARE(view.model()->statusMessage(), u"Cannot access /usr/local/bin/"_s);
    view.openEditor({QUuid::createUuid(), u"t"_s, bin + u"/t"_s, true});
    editors().value(bin + u"/t"_s)->findChild<QPushButton *>(u"saveButton"_s)->click();
    QCOMPARE(view.model()->errorMessage(), u"Save failed: denied"_s);
    auto *alert = view.findChild<QMessageBox *>(u"errorAlert"_s);
    QVERIFY(alert);
    QCOMPARE(alert->text(), u"Save failed: denied"_s);
    alert->buttons().constFirst()->click();
    QVERIFY(!view.model()->errorMessage());
}

QTEST_MAIN(TestBinScriptsView)
#include "TestBinScriptsView.moc"
