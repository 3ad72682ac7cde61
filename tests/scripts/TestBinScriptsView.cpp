#include "FakeRunner.h"
#include "hardening/FaultSupport.h"
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
        const auto &q = Dialogs::asked().constLast();
        return u"%1 | %2 | %3 | %4%5"_s.arg(q.title, q.text, q.buttons.join(u'/'))
            .arg(q.defaultChoice)
            .arg(q.escapeChoice);
    }

    void edit(ScriptEditorWindow *editor, const QString &content)
    {
        editor->textView()->setPlainText(content);
    }
    // Past the file size limit, so the plain write fails even as root and the runner is asked.
    const QString tooLarge(5000, u'x');
    void saveElevated(ScriptEditorWindow *editor)
    {
        FaultSupport::FileSizeLimit limit(4096);
        edit(editor, tooLarge);
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
    void editorsKeepEditsUntilSavedOrDiscarded();
};

void TestBinScriptsView::detailRefreshAndDelete()
{
    QTemporaryDir tmp;
    auto view = makeView(tmp, {{u"empty"_s, ""}, {u"two"_s, "a\nb\n"}, {u"tool"_s, QByteArray::fromHex("7f454c4600")}});
    QCOMPARE(text(*view, u"page"_s), u"noSelectionPlaceholder"_s);

    select(*view, u"empty"_s);
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
    QVERIFY(Dialogs::asked().size() == 2 && !QFile::exists(tmp.filePath(u"two"_s)));
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

void TestBinScriptsView::editorsKeepEditsUntilSavedOrDiscarded()
{
    // No-break spaces, line separators and CR LF endings survive an edit elsewhere in the text.
    const QByteArray crlf = "a\xc2\xa0"
                            "b\xe2\x80\xa8"
                            "c\r\nd\r\n";
    QTemporaryDir tmp;
    auto runner = std::make_shared<FakeRunner>();
    auto view = makeView(tmp, {{u"a"_s, "a\n"}, {u"b"_s, "b\n"}, {u"c"_s, crlf}, {u"t"_s, "old\n"}}, runner);
    const auto scripts = view->model()->scripts();
    const QString a = scripts.at(0).url, t = scripts.at(3).url;
    view->openEditor(scripts.at(0));
    view->openEditor(scripts.at(0));
    view->openEditor(scripts.at(1));
    QCOMPARE(editors().size(), 2);
    // Buttons that show only an icon are named for screen readers and on hover.
    for (const auto *button : view->findChildren<QAbstractButton *>() + editors()[a]->findChildren<QAbstractButton *>())
        QVERIFY(!button->text().isEmpty() || !(button->accessibleName().isEmpty() || button->toolTip().isEmpty()));

    // Closing with edits asks; Return keeps the window, Discard drops the edits, Save writes them.
    QVERIFY(editors().value(scripts.at(1).url)->close()); // unedited
    for (const QString &answer : {u""_s, u"Discard"_s, u"Save"_s}) {
        view->openEditor(scripts.at(0));
        edit(editors()[a], answer + u'\n');
        Dialogs::setNextAnswer(answer);
        QCOMPARE(editors()[a]->close(), !answer.isEmpty());
    }
    QCOMPARE(lastQuestion(), u"Unsaved Changes | Save the changes to a before closing? | Save/Discard/Cancel | 22"_s);
    QCOMPARE(readFile(a), "Save\n");
    QVERIFY(editors().isEmpty());

    // Ctrl+S saves, closes the window and refreshes the shown preview.
    select(*view, u"b"_s);
    view->findChild<QPushButton *>(u"editButton"_s)->click();
    QPointer<ScriptEditorWindow> editor = editors().value(scripts.at(1).url);
    QVERIFY(editor && QTest::qWaitForWindowActive(editor));
    QTest::keyClick(editor->textView(), Qt::Key_Return);
    QTest::keyClick(editor->textView(), Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(readFile(scripts.at(1).url), "\nb\n");
    QTRY_VERIFY(!editor && editors().isEmpty());
    QCOMPARE(text(*view, u"lineCountLabel"_s), u"3 lines"_s);

    runner->hold = true;
    select(*view, u"t"_s);
    view->openEditor(scripts.at(3));
    editor = editors().value(t);
    auto *saveButton = editor->findChild<QPushButton *>(u"saveButton"_s);
    saveElevated(editor);
    { // Waiting for administrator rights, the window says so, takes no second save, and answers.
        QCOMPARE(text(*editor, u"busyLabel"_s), u"Waiting for administrator rights…"_s);
        QVERIFY(!saveButton->isEnabled() && editor->textView()->isReadOnly());
        QTest::keyClick(editor->textView(), Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(runner->commands.size(), 1);
        Dialogs::setNextAnswer(u"Cancel"_s);
        QVERIFY(!editor->close());
        QVERIFY(!ScriptEditorWindow::confirmQuit(view.get()));
        QCOMPARE(lastQuestion(),
                 u"Save in Progress | A script is still being saved with administrator rights. Quit anyway? | "
                 u"Quit/Cancel | 11"_s);
    }
    { // A refusal is never taken for a save: the window keeps the edits and tells why in itself.
        runner->answer(u"Request dismissed"_s);
        QTRY_VERIFY(!ScriptEditorWindow::anySaveInProgress());
        QVERIFY(editor->isVisible() && editor->isWindowModified() && saveButton->isEnabled());
        QCOMPARE(text(*editor, u"busyLabel"_s) + text(*view, u"status"_s), u"(none)Saved: b"_s);
        QCOMPARE(text(*editor, u"saveErrorLabel"_s), u"Save failed: Request dismissed"_s);
    }
    { // Save in the close question waits too; granted, the window closes, and the preview shows the
      // file, which this fake runner never wrote.
        Dialogs::setNextAnswer(u"Save"_s);
        FaultSupport::FileSizeLimit limit(4096);
        QVERIFY(!editor->close());
        QCOMPARE(text(*editor, u"saveErrorLabel"_s), u"(none)"_s);
        runner->answer(std::nullopt);
        QTRY_VERIFY(!editor);
        QCOMPARE(text(*view, u"status"_s), u"Saved: t"_s);
        QCOMPARE(view->previewContent(), u"old\n"_s);
    }
    runner->hold = false;
    for (const ScriptFile &script : scripts) {
        view->openEditor(script);
        edit(editors().value(script.url), script.name + u'2');
    }
    { // Quitting asks about every edited script in turn; Cancel, or a save that fails, stops it.
        for (const QString &answer : {u"Save"_s, u"Discard"_s, u"Cancel"_s})
            Dialogs::setNextAnswer(answer);
        QVERIFY(!ScriptEditorWindow::confirmQuit(view.get()));
        QCOMPARE(lastQuestion(),
                 u"Unsaved Changes | Save the changes to c before quitting? | Save/Discard/Cancel | 22"_s);
        QCOMPARE(readFile(a), "a2");
        runner->result = u"Request dismissed"_s;
        for (const QString &answer : {u"Discard"_s, u"Discard"_s, u"Save"_s})
            Dialogs::setNextAnswer(answer);
        FaultSupport::FileSizeLimit limit(4096);
        edit(editors().value(t), tooLarge);
        QVERIFY(!ScriptEditorWindow::confirmQuit(view.get()));
        QCOMPARE(text(*editors().value(t), u"saveErrorLabel"_s), u"Save failed: Request dismissed"_s);
    }
    { // Once quitting is confirmed, every editor closes without asking again, a waiting one too.
        runner->hold = true;
        saveElevated(editors().value(t));
        for (const QString &answer : {u"Quit"_s, u"Discard"_s, u"Discard"_s})
            Dialogs::setNextAnswer(answer);
        QVERIFY(ScriptEditorWindow::confirmQuit(view.get()));
        const auto questions = Dialogs::asked().size();
        edit(editors().value(scripts.at(1).url), u"later"_s); // an edit after the answer is asked about
        for (ScriptEditorWindow *open : editors().values())
            QCOMPARE(open->close(), open->script().name != u"b"_s);
        QCOMPARE(Dialogs::asked().size(), questions + 1);
        QCOMPARE(readFile(scripts.at(1).url) + readFile(t), "\nb\nold\n");
        runner->answer(std::nullopt); // reaches no one
    }

    // A save still reaches the file after the main window moved on to another pane.
    runner->hold = false;
    view->openEditor(scripts.at(2));
    view.reset();
    QTest::keyClicks(editors().value(scripts.at(2).url)->textView(), u"#"_s);
    editors().value(scripts.at(2).url)->findChild<QPushButton *>(u"saveButton"_s)->click();
    QCOMPARE(readFile(scripts.at(2).url), "#" + crlf);
}

QTEST_MAIN(TestBinScriptsView)
#include "TestBinScriptsView.moc"
