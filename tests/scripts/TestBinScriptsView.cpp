#include "FakeRunner.h"
#include "scripts/BinScriptsView.h"
#include "scripts/ScriptEditorWindow.h"
#include "ui/Dialogs.h"
#include "ui/PaneChrome.h"

#include <QDialog>
#include <QLabel>
#include <QLineEdit>
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
    auto &editors()
    {
        return ScriptEditorWindow::openScriptEditors();
    }

    // A shown (so loaded) pane on a temporary scripts directory holding the given files.
    std::unique_ptr<BinScriptsView> makeView(const QTemporaryDir &tmp,
                                             const QList<QPair<QString, QByteArray>> &files,
                                             std::shared_ptr<FakeRunner> runner = std::make_shared<FakeRunner>())
    {
        for (const auto &[name, bytes] : files)
            writeFile(tmp.filePath(name), bytes);
        auto view = std::make_unique<BinScriptsView>(Locations::forHome(tmp.path(), tmp.path()), runner);
        view->show();
        return view;
    }

    void select(BinScriptsView &view, const QString &name)
    {
        auto *list = view.findChild<QListView *>(u"scriptList"_s);
        list->setCurrentIndex(list->model()->match(list->model()->index(0, 0), Qt::DisplayRole, name).value(0));
    }

    // A shown label's text, or the state of the pane it belongs to.
    QString text(const QWidget &view, const QString &objectName)
    {
        if (objectName == u"page"_s)
            return view.findChild<QStackedWidget *>()->currentWidget()->objectName();
        if (objectName == u"status"_s)
            return view.findChild<StatusLine *>()->fullText();
        const auto *label = view.findChild<QLabel *>(objectName);
        return label && label->isVisibleTo(&view) ? label->text() : u"(none)"_s;
    }

    // The name prompt's field, or the error alert; closed ones are deleted first.
    template <typename T = QLineEdit>
    T *find(const QWidget &view)
    {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return view.findChild<T *>(std::is_same_v<T, QLineEdit> ? u"scriptNameEdit"_s : u"errorAlert"_s);
    }
    void enterName(const QWidget &view, const QString &name)
    {
        find(view)->setText(name);
        find(view)->window()->findChild<QPushButton *>(u"createButton"_s)->click();
    }

    // The last question's title, text, buttons, and the ones Return and Escape press.
    QString lastQuestion()
    {
        const auto &asked = Dialogs::asked().constLast();
        return QStringList{asked.title,
                           asked.text,
                           asked.buttons.join(u'/'),
                           QString::number(asked.defaultChoice) + QString::number(asked.escapeChoice)}
            .join(u" | "_s);
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
    void init()
    {
        Dialogs::setTestMode(true);
    }
    void cleanup()
    {
        const auto open = editors();
        editors().clear();
        qDeleteAll(open);
        Dialogs::reset();
    }
    void detailRefreshAndDelete();
    void newScriptPromptChecksTheName();
    void editorsSaveAndOutliveThePane();
    void editorWaitsForAdministratorRights();
};

void TestBinScriptsView::detailRefreshAndDelete()
{
    QTemporaryDir tmp;
    auto view = makeView(tmp, {{u"empty"_s, ""}, {u"two"_s, "a\nb\n"}, {u"tool"_s, QByteArray::fromHex("7f454c4600")}});
    QCOMPARE(text(*view, u"page"_s), u"noSelectionPlaceholder"_s);

    select(*view, u"empty"_s);
    QCOMPARE(view->findChild<QPlainTextEdit *>(u"previewText"_s)->toPlainText(), u"(empty file)"_s);
    QCOMPARE(text(*view, u"lineCountLabel"_s), u"1 line"_s);
    select(*view, u"two"_s);
    QCOMPARE(text(*view, u"lineCountLabel"_s), u"3 lines"_s);
    QCOMPARE(BinScriptsView::lineCount(u"a\r\nb\u0085c\u2028"_s), 5); // CR LF cuts twice
    select(*view, u"tool"_s);
    QCOMPARE(text(*view, u"typeValue"_s), u"Binary Executable"_s);
    QCOMPARE(text(*view, u"lineCountLabel"_s), u"(none)"_s);
    QVERIFY(!view->findChild<QPushButton *>(u"editButton"_s));

    QTest::mouseClick(view->findChild<QToolButton *>(u"refreshButton"_s), Qt::LeftButton);
    QVERIFY(!view->selectedID());
    QCOMPARE(text(*view, u"page"_s), u"noSelectionPlaceholder"_s);

    // The button and the Delete key ask the same question, where Return keeps the file.
    select(*view, u"two"_s);
    view->findChild<QPushButton *>(u"deleteButton"_s)->click();
    QCOMPARE(lastQuestion(),
             u"Delete Script? | Permanently delete \"two\"? This cannot be undone. | Delete/Cancel | 11"_s);
    Dialogs::setNextAnswer(u"Delete"_s);
    QTest::keyClick(view->findChild<QListView *>(u"scriptList"_s), Qt::Key_Delete);
    QCOMPARE(Dialogs::asked().size(), 2);
    QVERIFY(!QFile::exists(tmp.filePath(u"two"_s)));
    QCOMPARE(text(*view, u"status"_s), u"Deleted: two"_s);
    QCOMPARE(text(*view, u"page"_s), u"noSelectionPlaceholder"_s);
}

void TestBinScriptsView::newScriptPromptChecksTheName()
{
    QTemporaryDir tmp;
    auto view = makeView(tmp, {{u"deploy-web"_s, "echo old\n"}});
    // A wrong name is reported, then asked for again as it was typed; blanks alone do nothing.
    for (const QString &typed : {u"my script"_s, u"a/b"_s, u" \t "_s}) {
        QTest::mouseClick(view->findChild<QToolButton *>(u"newScriptButton"_s), Qt::LeftButton);
        enterName(*view, typed);
        if (QMessageBox *alert = find<QMessageBox>(*view)) {
            QCOMPARE(alert->text(), u"Script name cannot contain slashes or spaces."_s);
            alert->buttons().constFirst()->click();
            QCOMPARE(find(*view)->text(), typed);
            find(*view)->window()->close();
        }
    }
    QVERIFY(!find(*view) && Dialogs::asked().isEmpty() && view->model()->scripts().size() == 1);

    // An existing name is replaced only when that is confirmed; Return keeps the old script.
    view->createNewScript();
    enterName(*view, u"deploy-web"_s);
    QCOMPARE(lastQuestion(),
             u"Replace Script? | A script named deploy-web already exists. Replace it? | Replace/Cancel | 11"_s);
    QCOMPARE(readFile(tmp.filePath(u"deploy-web"_s)), "echo old\n");
    // The placeholder's button asks the same; the blanks around a name are dropped.
    Dialogs::setNextAnswer(u"Replace"_s);
    QTest::mouseClick(view->findChild<QPushButton *>(u"placeholderNewButton"_s), Qt::LeftButton);
    enterName(*view, u"  deploy-web  "_s);
    QCOMPARE(view->selectedID(), view->model()->scripts().constFirst().id);
    QCOMPARE(view->previewLines(), 7);
    QCOMPARE(editors().keys(), QStringList{tmp.filePath(u"deploy-web"_s)});
}

void TestBinScriptsView::editorsSaveAndOutliveThePane()
{
    // No-break spaces, line separators and CR LF endings survive an edit elsewhere in the text.
    const QByteArray crlf = "a\xc2\xa0"
                            "b\xe2\x80\xa8"
                            "c\r\nd\r\n";
    QTemporaryDir tmp;
    auto view = makeView(tmp, {{u"a"_s, "a\n"}, {u"b"_s, "b\n"}, {u"c"_s, crlf}});
    const auto scripts = view->model()->scripts();
    view->openEditor(scripts.at(0));
    view->openEditor(scripts.at(0));
    view->openEditor(scripts.at(1));
    QCOMPARE(editors().size(), 2);

    // Closing discards the edits without asking; saving "a" while "b" is selected leaves b's preview.
    editors().value(scripts.at(1).url)->textView()->setPlainText(u"changed"_s);
    editors().value(scripts.at(1).url)->close();
    select(*view, u"b"_s);
    save(editors().value(scripts.at(0).url), u"changed\n"_s);
    QCOMPARE(readFile(scripts.at(0).url) + readFile(scripts.at(1).url), "changed\nb\n");
    QCOMPARE(view->previewContent(), u"b\n"_s);
    QVERIFY(editors().isEmpty());

    // Ctrl+S saves, closes the window and refreshes the shown preview.
    view->findChild<QPushButton *>(u"editButton"_s)->click();
    QPointer<ScriptEditorWindow> editor = editors().value(scripts.at(1).url);
    QVERIFY(editor && QTest::qWaitForWindowActive(editor));
    QTest::keyClicks(editor->textView(), u"x"_s);
    QVERIFY(editor->isWindowModified());
    QTest::keyClick(editor->textView(), Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(readFile(scripts.at(1).url), "xb\n");
    QTRY_VERIFY(!editor && editors().isEmpty());
    QCOMPARE(text(*view, u"status"_s), u"Saved: b"_s);
    QCOMPARE(text(*view, u"lineCountLabel"_s), u"2 lines"_s);

    // The save still reaches the file after the main window moved on to another pane.
    view->openEditor(scripts.at(2));
    view.reset();
    QTest::keyClicks(editors().value(scripts.at(2).url)->textView(), u"#"_s);
    editors().value(scripts.at(2).url)->findChild<QPushButton *>(u"saveButton"_s)->click();
    QCOMPARE(readFile(scripts.at(2).url), "#" + crlf);
}

void TestBinScriptsView::editorWaitsForAdministratorRights()
{
    // A script below a regular file cannot be written plainly, even as root.
    QTemporaryDir tmp;
    auto runner = std::make_shared<FakeRunner>();
    runner->hold = true;
    auto view = makeView(tmp, {{u"file"_s, ""}}, runner);
    const ScriptFile script{QUuid::createUuid(), u"t"_s, tmp.filePath(u"file/t"_s), true};
    view->openEditor(script);
    QPointer<ScriptEditorWindow> editor = editors().value(script.url);
    auto *saveButton = editor->findChild<QPushButton *>(u"saveButton"_s);
    const auto busy = [&editor] {
        return editor->findChild<QLabel *>(u"busyLabel"_s)->isVisible();
    };

    save(editor, u"x"_s);
    { // Before the answer: the window says it waits, takes no second save, and answers the person.
        QVERIFY(busy() && !saveButton->isEnabled() && editor->textView()->isReadOnly());
        QTest::keyClick(editor->textView(), Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(runner->commands.size(), 1);
        Dialogs::setNextAnswer(u"Cancel"_s);
        QVERIFY(!editor->close());
        QCOMPARE(Dialogs::asked().last().text,
                 u"A script is still being saved with administrator rights. Close anyway?"_s);
        Dialogs::setNextAnswer(u"Cancel"_s);
        QVERIFY(ScriptEditorWindow::anySaveInProgress() && !ScriptEditorWindow::confirmQuit(view.get()));
        QCOMPARE(Dialogs::asked().last().text,
                 u"A script is still being saved with administrator rights. Quit anyway?"_s);
        QCOMPARE(Dialogs::asked().last().buttons, (QStringList{u"Quit"_s, u"Cancel"_s}));
        QCOMPARE(Dialogs::asked().last().defaultChoice, 1);
    }
    { // A refusal is never taken for a save: the window stays open with the alert and the edits.
        runner->answer(u"Request dismissed"_s);
        QTRY_VERIFY(!ScriptEditorWindow::anySaveInProgress());
        auto *alert = editor->findChild<QMessageBox *>(u"errorAlert"_s);
        QVERIFY(alert && alert->text() == u"Save failed: Request dismissed"_s);
        alert->buttons().constFirst()->click();
        QVERIFY(editor->isVisible() && editor->isWindowModified() && saveButton->isEnabled() && !busy());
        QCOMPARE(text(*view, u"status"_s), u"Found 1 file in /usr/local/bin/"_s);
    }
    { // Granted, it closes and the pane tells.
        save(editor, u"y"_s);
        runner->answer(std::nullopt);
        QTRY_VERIFY(!editor);
        QCOMPARE(text(*view, u"status"_s), u"Saved: t"_s);
    }
    { // Once quitting is confirmed, a waiting editor closes without asking again.
        view->openEditor(script);
        save(editors().value(script.url), u"z"_s);
        Dialogs::setNextAnswer(u"Quit"_s);
        QVERIFY(ScriptEditorWindow::confirmQuit(view.get()));
        const auto questions = Dialogs::asked().size();
        QVERIFY(editors().value(script.url)->close());
        QCOMPARE(Dialogs::asked().size(), questions);
        runner->answer(std::nullopt); // reaches no one, but the temporary copy still goes
        QTRY_VERIFY(!QFile::exists(runner->commands.last().section(u'\'', 1, 1)));
    }
}

QTEST_MAIN(TestBinScriptsView)
#include "TestBinScriptsView.moc"
