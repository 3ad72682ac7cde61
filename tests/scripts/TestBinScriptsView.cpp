#include "scripts/BinScriptsView.h"
#include "scripts/ScriptEditorWindow.h"
#include "support/TestSupport.h"
#include "ui/Dialogs.h"

#include <QLabel>
#include <QListView>
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
        return ScriptEditorWindow::openScriptEditors();
    }

    // A shown pane on a temporary scripts directory holding the given files.
    std::unique_ptr<BinScriptsView> makeView(const QTemporaryDir &tmp, const QList<QPair<QString, QByteArray>> &files)
    {
        for (const auto &[name, bytes] : files)
            writeFile(tmp.filePath(name), bytes);
        auto view = std::make_unique<BinScriptsView>(Locations::forHome(tmp.path(), tmp.path()),
                                                     std::make_shared<FailingRunner>());
        view->show(); // showing loads
        return view;
    }

    QListView *list(const BinScriptsView &view)
    {
        return view.findChild<QListView *>(u"scriptList"_s);
    }

    QModelIndex row(const BinScriptsView &view, const QString &name)
    {
        QAbstractItemModel *model = list(view)->model();
        return model->match(model->index(0, 0), Qt::DisplayRole, name, 1, Qt::MatchExactly).value(0);
    }

    void select(BinScriptsView &view, const QString &name)
    {
        list(view)->setCurrentIndex(row(view, name));
    }

    QString text(const QWidget &view, const QString &objectName)
    {
        const auto *label = view.findChild<QLabel *>(objectName);
        return label ? label->text() : u"(none)"_s;
    }

    QString shownPage(const BinScriptsView &view)
    {
        return view.findChild<QStackedWidget *>()->currentWidget()->objectName();
    }

    void save(ScriptEditorWindow *editor, const QString &content)
    {
        editor->textView()->setPlainText(content);
        editor->findChild<QPushButton *>(u"saveButton"_s)->click();
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
    void detailRefreshAndDelete();
    void newScriptPromptChecksTheName();
    void editorsSaveCloseAndFail();
    void editorKeepsBytesAndOutlivesThePane();
};

void TestBinScriptsView::cleanup()
{
    const auto open = editors();
    editors().clear();
    qDeleteAll(open);
}

void TestBinScriptsView::detailRefreshAndDelete()
{
    QTemporaryDir tmp;
    auto view = makeView(tmp, {{u"empty"_s, ""}, {u"two"_s, "a\nb\n"}, {u"tool"_s, QByteArray::fromHex("7f454c4600")}});
    QFile::setPermissions(tmp.filePath(u"two"_s), QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther);
    QCOMPARE(shownPage(*view), u"noSelectionPlaceholder"_s);

    select(*view, u"empty"_s);
    QCOMPARE(view->findChild<QPlainTextEdit *>(u"previewText"_s)->toPlainText(), u"(empty file)"_s);
    QCOMPARE(text(*view, u"lineCountLabel"_s), u"1 line"_s);
    QCOMPARE(text(*view, u"typeValue"_s), u"Text / Shell Script"_s);

    select(*view, u"two"_s);
    QCOMPARE(text(*view, u"lineCountLabel"_s), u"3 lines"_s);
    QCOMPARE(text(*view, u"permissionsValue"_s), u"604"_s);
    QCOMPARE(text(*view, u"sizeValue"_s), QLocale().formattedDataSize(4));
    QCOMPARE(BinScriptsView::lineCount(u"a\r\nb\u0085c\u2028"_s), 5); // CR LF cuts twice

    select(*view, u"tool"_s);
    QCOMPARE(text(*view, u"typeValue"_s), u"Binary Executable"_s);
    QCOMPARE(text(*view, u"binaryNotice"_s), u"Binary files cannot be previewed."_s);
    QCOMPARE(text(*view, u"lineCountLabel"_s), u"(none)"_s);
    QVERIFY(!view->findChild<QPushButton *>(u"editButton"_s));

    QTest::mouseClick(view->findChild<QToolButton *>(u"refreshButton"_s), Qt::LeftButton);
    QVERIFY(!view->selectedID());
    QVERIFY(!list(*view)->selectionModel()->hasSelection());
    QCOMPARE(shownPage(*view), u"noSelectionPlaceholder"_s);

    select(*view, u"two"_s);
    Dialogs::setNextAnswer(u"Cancel"_s);
    view->findChild<QPushButton *>(u"deleteButton"_s)->click();
    QVERIFY(QFile::exists(tmp.filePath(u"two"_s)));
    QCOMPARE(Dialogs::asked().last().text, u"Permanently delete \"two\"? This cannot be undone."_s);
    Dialogs::setNextAnswer(u"Delete"_s);
    view->findChild<QPushButton *>(u"deleteButton"_s)->click();
    QVERIFY(!QFile::exists(tmp.filePath(u"two"_s)));
    QCOMPARE(view->model()->statusMessage(), u"Deleted: two"_s);
    QCOMPARE(shownPage(*view), u"noSelectionPlaceholder"_s);
}

void TestBinScriptsView::newScriptPromptChecksTheName()
{
    QTemporaryDir tmp;
    auto view = makeView(tmp, {});
    BinScriptsModel *model = view->model();
    for (const QString &bad : {u"my script"_s, u"a/b"_s}) {
        model->setErrorMessage(std::nullopt);
        Dialogs::setNextText(bad);
        QTest::mouseClick(view->findChild<QToolButton *>(u"newScriptButton"_s), Qt::LeftButton);
        QCOMPARE(model->errorMessage(), u"Script name cannot contain slashes or spaces."_s);
    }
    QCOMPARE(Dialogs::asked().last().buttons, (QStringList{u"Create"_s, u"Cancel"_s}));
    model->setErrorMessage(std::nullopt);
    Dialogs::setNextText(u" \t "_s);
    view->createNewScript();
    Dialogs::setNextText(std::nullopt); // cancelled
    view->createNewScript();
    QVERIFY(!model->errorMessage() && model->scripts().isEmpty());

    // The placeholder's button runs the same prompt; the blanks around a name are dropped.
    Dialogs::setNextText(u"  tool  "_s);
    QTest::mouseClick(view->findChild<QPushButton *>(u"placeholderNewButton"_s), Qt::LeftButton);
    QCOMPARE(readFile(tmp.filePath(u"tool"_s)), BinScriptsModel::scriptTemplate(u"tool"_s));
    QCOMPARE(view->selectedID(), model->scripts().constFirst().id);
    QCOMPARE(list(*view)->selectionModel()->selectedRows(), QModelIndexList{row(*view, u"tool"_s)});
    QCOMPARE(view->previewLines(), 7);
    QCOMPARE(editors().keys(), QStringList{tmp.filePath(u"tool"_s)});
}

void TestBinScriptsView::editorsSaveCloseAndFail()
{
    QTemporaryDir tmp;
    auto view = makeView(tmp, {{u"a"_s, "a\n"}, {u"b"_s, "b\n"}});
    const auto scripts = view->model()->scripts();
    view->openEditor(scripts.at(0));
    auto *first = editors().value(scripts.at(0).url);
    QVERIFY(first && first->isVisible());
    view->openEditor(scripts.at(0));
    QCOMPARE(editors().size(), 1);
    view->openEditor(scripts.at(1));
    QCOMPARE(editors().size(), 2);

    // Closing discards the edits without asking.
    auto *second = editors().value(scripts.at(1).url);
    second->textView()->setPlainText(u"changed"_s);
    second->close();
    QCOMPARE(readFile(scripts.at(1).url), QByteArray("b\n"));

    // Saving "a" while "b" is selected leaves b's preview alone.
    select(*view, u"b"_s);
    save(first, u"changed\n"_s);
    QCOMPARE(readFile(scripts.at(0).url), QByteArray("changed\n"));
    QCOMPARE(view->previewContent(), u"b\n"_s);
    QVERIFY(editors().isEmpty());

    // Ctrl+S saves, closes the window, drops it from the registry and refreshes the shown preview.
    view->findChild<QPushButton *>(u"editButton"_s)->click();
    QPointer<ScriptEditorWindow> editor = editors().value(scripts.at(1).url);
    QVERIFY(editor && QTest::qWaitForWindowActive(editor));
    QVERIFY(!editor->isWindowModified());
    QTest::keyClicks(editor->textView(), u"x"_s);
    QVERIFY(editor->isWindowModified());
    QTest::keyClick(editor->textView(), Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(readFile(scripts.at(1).url), QByteArray("xb\n"));
    QVERIFY(editors().isEmpty());
    QTRY_VERIFY(!editor);
    QCOMPARE(view->model()->statusMessage(), u"Saved: b"_s);
    QCOMPARE(text(*view, u"lineCountLabel"_s), u"2 lines"_s);

    // A failed save shows the error alert; a script below a regular file cannot be written even as root.
    writeFile(tmp.filePath(u"file"_s), "");
    view->openEditor({QUuid::createUuid(), u"t"_s, tmp.filePath(u"file/t"_s), true});
    save(editors().value(tmp.filePath(u"file/t"_s)), u"x"_s);
    auto *alert = view->findChild<QMessageBox *>(u"errorAlert"_s);
    QVERIFY(alert);
    QCOMPARE(alert->text(), u"Save failed: denied"_s);
    alert->buttons().constFirst()->click();
    QVERIFY(!view->model()->errorMessage());
}

void TestBinScriptsView::editorKeepsBytesAndOutlivesThePane()
{
    // No-break spaces, line separators and CR LF endings survive an edit elsewhere in the text, and the
    // save still reaches the file after the main window moved on to another pane.
    const QByteArray original = "a\xc2\xa0"
                                "b\xe2\x80\xa8"
                                "c\r\nd\r\n";
    QTemporaryDir tmp;
    auto view = makeView(tmp, {{u"s"_s, original}});
    view->openEditor(view->model()->scripts().constFirst());
    view.reset();
    auto *editor = editors().value(tmp.filePath(u"s"_s));
    QTest::keyClicks(editor->textView(), u"#"_s);
    editor->findChild<QPushButton *>(u"saveButton"_s)->click();
    QCOMPARE(readFile(tmp.filePath(u"s"_s)), "#" + original);
}

QTEST_MAIN(TestBinScriptsView)
#include "TestBinScriptsView.moc"
