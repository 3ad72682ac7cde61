#include "FakeRunner.h"
#include "hardening/FaultSupport.h"
#include "scripts/BinScriptsModel.h"
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

#include <sys/stat.h>

using namespace Qt::StringLiterals;
using TestSupport::readFile;
using TestSupport::writeFile;

namespace {
    // A fake sudo or pkexec: appends its arguments, one start per line, to "log" beside it.
    void writeFakeTool(const QString &path, const QByteArray &body)
    {
        TestSupport::writeScript(path, "printf '[%s]' \"$@\" >> \"${0%/*}/log\"; echo >> \"${0%/*}/log\"\n" + body);
    }

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

class TestScripts final : public QObject
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
    void loadListsAndClassifies();
    void plainWritesFinishAtOnce();
    void elevatedFailuresAreNeverReportedAsDone();
    void systemChainTriesSudoThenPkexec();
    void paneShowsCreatesAndDeletes();
    void editorsKeepEditsUntilSavedOrDiscarded();
};

void TestScripts::loadListsAndClassifies()
{
    QTemporaryDir tmp;
    const QString bin = tmp.filePath(u"usr/local/bin"_s);
    BinScriptsModel model(bin, std::make_shared<FakeRunner>());
    model.load(); // creates the missing directory
    QCOMPARE(model.statusMessage(), u"Found 0 files in /usr/local/bin/"_s);
    QVERIFY(QFileInfo(bin).isDir());

    for (const char *name : {"b", "A", "c", "alpha", "Beta", ".hidden"})
        writeFile(bin + u'/' + QLatin1String(name), "#!/bin/sh\n");
    QDir(bin).mkdir(u"lib"_s);
    writeFile(tmp.filePath(u"elsewhere"_s), "x");
    QFile::link(tmp.filePath(u"elsewhere"_s), bin + u"/tool"_s);
    QFile::link(tmp.filePath(u"missing"_s), bin + u"/dangling"_s);
    // A pipe without a writer would block a plain open for ever.
    QCOMPARE(::mkfifo(QFile::encodeName(bin + u"/pipe"_s).constData(), 0644), 0);
    // Text or binary by a zero byte in the first 8,192 bytes; root reads every file, so only an ordinary
    // user sees the unreadable one as binary.
    for (int at : {8191, 8192})
        writeFile(bin + u"/zero-at-%1"_s.arg(at), QByteArray(10000, 'a').replace(at, 1, QByteArray(1, '\0')));
    writeFile(bin + u"/empty"_s, "");
    writeFile(bin + u"/unreadable"_s, "text");
    QFile::setPermissions(bin + u"/unreadable"_s, {});
    model.load();
    QVERIFY(!BinScriptsModel::readText(bin + u"/pipe"_s));
    QStringList listing;
    for (const ScriptFile &script : model.scripts())
        listing << script.name + (script.isEditable ? u""_s : u"*"_s);
    QCOMPARE(listing.join(u' '),
             u"A alpha b Beta c empty unreadable%1 zero-at-8191* zero-at-8192"_s.arg(TestSupport::isRoot() ? u""_s
                                                                                                           : u"*"_s));
    QCOMPARE(model.statusMessage(), u"Found 9 files in /usr/local/bin/"_s);

    // A failed scan changes only the status text.
    QDir(tmp.filePath(u"usr"_s)).removeRecursively();
    writeFile(tmp.filePath(u"usr"_s), "a file where a directory should be");
    model.load();
    QCOMPARE(model.statusMessage(), u"Cannot access /usr/local/bin/"_s);
    QCOMPARE(model.scripts().size(), 9);
}

void TestScripts::plainWritesFinishAtOnce()
{
    QTemporaryDir tmp;
    auto runner = std::make_shared<FakeRunner>();
    BinScriptsModel model(tmp.path(), runner);
    QSignalSpy finished(&model, &BinScriptsModel::operationFinished);
    writeFile(tmp.filePath(u"deploy"_s), "old contents");
    const auto created = model.create(u"deploy"_s);
    QCOMPARE(finished.size(), 1); // before create returned
    QVERIFY(created && model.scripts().value(0).id == created->id);
    QCOMPARE(readFile(created->url), BinScriptsModel::scriptTemplate(u"deploy"_s));
    QCOMPARE(TestSupport::modeOf(created->url), 0755);
    model.save(*created, u"echo é\n"_s);
    QVERIFY(finished.size() == 2 && readFile(created->url) == "echo \xc3\xa9\n");

    // Names that would make the copy land in a directory, or chmod one, are refused outright.
    QDir(tmp.path()).mkdir(u"lib"_s);
    for (const QString &bad : {u".."_s, u"."_s, u"a/b"_s, u"lib"_s}) {
        model.setErrorMessage(std::nullopt);
        QVERIFY(!model.create(bad));
        QVERIFY2(model.errorMessage().value_or(QString()).startsWith(u"Create failed: "_s), qPrintable(bad));
        QCOMPARE(finished.takeLast().at(2).toBool(), false);
    }
    QVERIFY(runner->commands.isEmpty());
}

void TestScripts::elevatedFailuresAreNeverReportedAsDone()
{
    // The scripts "directory" lies below a regular file, so plain writes and removals fail even as root.
    QTemporaryDir tmp;
    writeFile(tmp.filePath(u"file"_s), "");
    const QString bin = tmp.filePath(u"file/bin"_s);
    const ScriptFile script{QUuid::createUuid(), u"it's"_s, bin + u"/it's"_s, true};
    auto runner = std::make_shared<FakeRunner>();
    runner->result = u"Request dismissed"_s;
    BinScriptsModel model(bin, runner);
    QSignalSpy finished(&model, &BinScriptsModel::operationFinished);
    QSignalSpy busy(&model, &BinScriptsModel::busyChanged);

    model.save(script, u"echo hi\n"_s);
    QVERIFY(model.isBusy() && finished.isEmpty()); // until the answer comes
    QCOMPARE(ended(finished), u"failed"_s);
    QVERIFY(!model.isBusy() && busy.size() == 2 && runner->tempContent == "echo hi\n");
    QCOMPARE(model.errorMessage(), u"Save failed: Request dismissed"_s);
    const QString target = bin + u"/it'\\''s"_s;
    const auto cp = QRegularExpression(u"^cp '(.+/korvel-[0-9A-F-]{36}\\.sh)' '(.+)' && chmod 755 '(.+)'$"_s)
                        .match(runner->commands.value(0));
    QVERIFY2(cp.hasMatch() && cp.captured(2) == target && cp.captured(3) == target, qPrintable(cp.captured()));
    QCOMPARE(QFileInfo(cp.captured(1)).absolutePath(), QDir::tempPath());
    QVERIFY(!QFile::exists(cp.captured(1)));

    const auto pending = model.create(u"it's"_s);
    QVERIFY(pending && pending->url == script.url);
    QCOMPARE(ended(finished), u"failed"_s);
    QCOMPARE(model.errorMessage(), u"Create failed: Request dismissed"_s);
    QVERIFY(runner->tempContent == BinScriptsModel::scriptTemplate(u"it's"_s) && model.statusMessage().isEmpty());

    runner->result = std::nullopt;
    model.create(u"it's"_s);
    QCOMPARE(ended(finished), u"done"_s); // written, though the reload cannot see it
    QCOMPARE(model.statusMessage(), u"Created: it's"_s);

    // The temporary copy goes even when the model is gone before the answer.
    runner->hold = true;
    std::make_unique<BinScriptsModel>(bin, runner)->save(script, u"x"_s);
    runner->answer(std::nullopt);
    QTRY_VERIFY(!QFile::exists(runner->commands.last().section(u'\'', 1, 1)));
}

void TestScripts::systemChainTriesSudoThenPkexec()
{
    QTemporaryDir tmp;
    const QString log = tmp.filePath(u"log"_s), sudo = tmp.filePath(u"sudo"_s), pkexec = tmp.filePath(u"pkexec"_s);
    const QString nowhere = tmp.filePath(u"none/"_s), victim = tmp.filePath(u"it's $(x) \"y\""_s);
    const QString command = BinScriptsModel::removeCommand(victim);
    const QString sudoCall = u"[-n][/bin/sh][-c][%1]\n"_s.arg(command),
                  pkexecCall = u"[/bin/sh][-c][%1]\n"_s.arg(command);
    const auto run = [&command](const QString &sudoPath, const QString &pkexecPath) {
        SystemPrivilegedRunner runner(sudoPath, pkexecPath);
        std::optional<std::optional<QString>> answer;
        runner.runElevated(command, [&answer](std::optional<QString> failure) {
            answer = failure;
        });
        const bool early = answer.has_value();
        if (!QTest::qWaitFor([&answer] {
                return answer.has_value();
            }))
            return std::optional(u"no answer"_s);
        return early ? std::optional(u"answered inside runElevated"_s) : *answer;
    };
    // clang-format off
    const QList<std::tuple<QByteArray, QByteArray, std::optional<QString>>> cases = {
        {"exit 0", "exit 0", std::nullopt},
        {"echo 'sudo: a password is required' >&2; exit 1", "exit 0", std::nullopt},
        {"exit 1", "printf '  Request dismissed\\n' >&2; exit 126", u"Request dismissed"_s},
        {"exit 1", "exit 1", u"Elevated command failed (exit 1)"_s},
        {"exit 1", "exec \"$@\"", std::nullopt},
        {"exit 1", "printf '\\377\\376' >&2; exit 3", u"Elevated command failed (exit 3)"_s},
    };
    // clang-format on
    for (const auto &[sudoBody, pkexecBody, expected] : cases) {
        QFile::remove(log);
        writeFile(victim, "");
        writeFakeTool(sudo, sudoBody);
        writeFakeTool(pkexec, pkexecBody);
        QCOMPARE(run(sudo, pkexec), expected);
        // pkexec is started only when sudo -n did not succeed
        QCOMPARE(QString::fromUtf8(readFile(log)), sudoBody == "exit 0" ? sudoCall : sudoCall + pkexecCall);
        // The one fake that really runs what it is given shows the command line survives the shell.
        QCOMPARE(QFile::exists(victim), pkexecBody != "exec \"$@\"");
    }
    // A missing sudo falls through to pkexec (still the last fake above); a missing pkexec is named.
    QCOMPARE(run(nowhere + u"sudo"_s, pkexec), u"Elevated command failed (exit 3)"_s);
    QVERIFY(run(nowhere + u"sudo"_s, nowhere + u"pkexec"_s)->startsWith(u"Failed to launch pkexec: "_s));
}

void TestScripts::paneShowsCreatesAndDeletes()
{
    QTemporaryDir tmp;
    auto view = makeView(
        tmp,
        {{u"deploy-web"_s, "echo old\n"}, {u"two"_s, "a\nb\n"}, {u"tool"_s, QByteArray::fromHex("7f454c4600")}});
    select(*view, u"two"_s);
    QCOMPARE(text(*view, u"lineCountLabel"_s), u"3 lines"_s);
    QCOMPARE(BinScriptsView::lineCount(u"a\r\nb\u0085c\u2028"_s), 5); // CR LF cuts twice
    select(*view, u"tool"_s);
    QCOMPARE(text(*view, u"typeValue"_s), u"Binary Executable"_s);
    QVERIFY(!view->findChild<QPushButton *>(u"editButton"_s));
    QTest::mouseClick(view->findChild<QToolButton *>(u"refreshButton"_s), Qt::LeftButton);
    QCOMPARE(text(*view, u"page"_s), u"noSelectionPlaceholder"_s);

    // A wrong new name is reported, then asked for again as it was typed; blanks alone do nothing.
    QTest::mouseClick(view->findChild<QToolButton *>(u"newScriptButton"_s), Qt::LeftButton);
    enterName(*view, u"my script"_s);
    QVERIFY(find<QMessageBox>(*view));
    find<QMessageBox>(*view)->buttons().constFirst()->click();
    QCOMPARE(find(*view)->text(), u"my script"_s);
    enterName(*view, u" \t "_s);
    QVERIFY(!find(*view) && Dialogs::asked().isEmpty() && view->model()->scripts().size() == 3);

    // An existing name is replaced only when that is confirmed; Return keeps the old script.
    view->createNewScript();
    enterName(*view, u"deploy-web"_s);
    QCOMPARE(lastQuestion(),
             u"Replace Script? | A script named deploy-web already exists. Replace it? | Replace/Cancel | 11"_s);
    QCOMPARE(readFile(tmp.filePath(u"deploy-web"_s)), "echo old\n");
    // Confirmed, the blanks around the name are dropped and the new script is selected and opened.
    Dialogs::setNextAnswer(u"Replace"_s);
    view->createNewScript();
    enterName(*view, u"  deploy-web  "_s);
    QCOMPARE(view->selectedID(), view->model()->scripts().constFirst().id);
    QCOMPARE(editors().keys(), QStringList{tmp.filePath(u"deploy-web"_s)});

    // The button and the Delete key ask the same question, where Return keeps the file.
    select(*view, u"two"_s);
    view->findChild<QPushButton *>(u"deleteButton"_s)->click();
    QCOMPARE(lastQuestion(),
             u"Delete Script? | Permanently delete \"two\"? This cannot be undone. | Delete/Cancel | 11"_s);
    Dialogs::setNextAnswer(u"Delete"_s);
    QTest::keyClick(view->findChild<QListView *>(u"scriptList"_s), Qt::Key_Delete);
    QVERIFY(Dialogs::asked().size() == 4 && !QFile::exists(tmp.filePath(u"two"_s)));
    QCOMPARE(text(*view, u"page"_s), u"noSelectionPlaceholder"_s);
}

void TestScripts::editorsKeepEditsUntilSavedOrDiscarded()
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

QTEST_MAIN(TestScripts)
#include "TestScripts.moc"
