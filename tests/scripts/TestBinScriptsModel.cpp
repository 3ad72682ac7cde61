#include "FakeRunner.h"
#include "scripts/BinScriptsModel.h"

#include <QDir>
#include <QTemporaryDir>
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
} // namespace

class TestBinScriptsModel final : public QObject
{
    Q_OBJECT
private slots:
    void loadListsAndClassifies();
    void plainWritesFinishAtOnce();
    void elevatedFailuresAreNeverReportedAsDone();
    void systemChainTriesSudoThenPkexec();
};

void TestBinScriptsModel::loadListsAndClassifies()
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

    // Failed scans change only the status text.
    QDir(bin).removeRecursively();
    writeFile(bin, "not a directory");
    model.load();
    QCOMPARE(model.statusMessage(), u"Cannot read /usr/local/bin/"_s);
    QDir(tmp.filePath(u"usr"_s)).removeRecursively();
    writeFile(tmp.filePath(u"usr"_s), "a file where a directory should be");
    model.load();
    QCOMPARE(model.statusMessage(), u"Cannot access /usr/local/bin/"_s);
    QCOMPARE(model.scripts().size(), 9);
}

void TestBinScriptsModel::plainWritesFinishAtOnce()
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

void TestBinScriptsModel::elevatedFailuresAreNeverReportedAsDone()
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

void TestBinScriptsModel::systemChainTriesSudoThenPkexec()
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

QTEST_GUILESS_MAIN(TestBinScriptsModel)
#include "TestBinScriptsModel.moc"
