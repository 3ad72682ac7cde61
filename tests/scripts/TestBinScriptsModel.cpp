#include "scripts/BinScriptsModel.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/fsuid.h>
#include <sys/stat.h>

using namespace Qt::StringLiterals;
using TestSupport::readFile;
using TestSupport::writeFile;

namespace {
    // Records each command, keeps the temporary copy's bytes, and answers with a fixed result.
    struct FakeRunner final : PrivilegedRunner {
        std::optional<QString> result;
        QStringList commands;
        QByteArray tempContent;
        std::optional<QString> runElevated(const QString &command) override
        {
            commands << command;
            if (const auto cp = QRegularExpression(u"^cp '([^']+)' "_s).match(command); cp.hasMatch())
                tempContent = readFile(cp.captured(1));
            return result;
        }
    };

    uint mode(const QString &path)
    {
        struct stat info {};
        return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? uint(info.st_mode & 07777) : 0u;
    }

    // The names in the model's order, binary files marked with '*'.
    QString listing(const BinScriptsModel &model)
    {
        QStringList list;
        for (const ScriptFile &script : model.scripts())
            list << script.name + (script.isEditable ? u""_s : u"*"_s);
        return list.join(u' ');
    }

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
    void createWritesTheTemplate();
    void quotingSurvivesTheShell();
    void elevatedFailuresAreNeverReportedAsDone();
    void systemChainTriesSudoThenPkexec();
    void systemChainWritesAsAdministrator();
};

void TestBinScriptsModel::loadListsAndClassifies()
{
    QTemporaryDir tmp;
    const QString bin = tmp.filePath(u"usr/local/bin"_s);
    BinScriptsModel model(bin, std::make_shared<FakeRunner>());
    model.load(); // creates the missing directory
    QCOMPARE(model.statusMessage(), u"Found 0 files in /usr/local/bin/"_s);
    QVERIFY(QFileInfo(bin).isDir());

    writeFile(bin + u"/gamma"_s, "g");
    writeFile(bin + u"/.hidden"_s, "x");
    QDir(bin).mkdir(u"lib"_s);
    model.load();
    QCOMPARE(model.statusMessage(), u"Found 1 file in /usr/local/bin/"_s);

    for (const char *name : {"b", "A", "c", "alpha", "Beta"})
        writeFile(bin + u'/' + QLatin1String(name), "#!/bin/sh\n");
    writeFile(tmp.filePath(u"elsewhere"_s), "x");
    QFile::link(tmp.filePath(u"elsewhere"_s), bin + u"/tool"_s);
    QFile::link(tmp.filePath(u"missing"_s), bin + u"/dangling"_s);
    // A pipe without a writer would block a plain open for ever.
    QCOMPARE(::mkfifo(QFile::encodeName(bin + u"/pipe"_s).constData(), 0644), 0);
    // Text or binary by a zero byte in the first 8,192 bytes; root reads every file, so only an ordinary
    // user sees the unreadable one as binary.
    for (int at : {8191, 8192, 9000})
        writeFile(bin + u"/zero-at-%1"_s.arg(at), QByteArray(10000, 'a').replace(at, 1, QByteArray(1, '\0')));
    writeFile(bin + u"/empty"_s, "");
    writeFile(bin + u"/unreadable"_s, "text");
    QFile::setPermissions(bin + u"/unreadable"_s, {});
    model.load();
    QCOMPARE(listing(model),
             u"A alpha b Beta c empty gamma unreadable%1 zero-at-8191* zero-at-8192 zero-at-9000"_s.arg(
                 TestSupport::isRoot() ? u""_s : u"*"_s));
    QCOMPARE(model.statusMessage(), u"Found 11 files in /usr/local/bin/"_s);

    // Failed scans change only the status text.
    QDir(bin).removeRecursively();
    writeFile(bin, "not a directory");
    model.load();
    QCOMPARE(model.statusMessage(), u"Cannot read /usr/local/bin/"_s);
    QDir(tmp.filePath(u"usr"_s)).removeRecursively();
    writeFile(tmp.filePath(u"usr"_s), "a file where a directory should be");
    model.load();
    QCOMPARE(model.statusMessage(), u"Cannot access /usr/local/bin/"_s);
    QCOMPARE(model.scripts().size(), 11);
    QVERIFY(!model.errorMessage());
}

void TestBinScriptsModel::createWritesTheTemplate()
{
    const QByteArray deploy = "#!/bin/bash\nset -euo pipefail\n\n# deploy\n# Description:\n\n";
    QCOMPARE(BinScriptsModel::scriptTemplate(u"deploy"_s), deploy);
    QCOMPARE(deploy.size(), 56);

    QTemporaryDir tmp;
    auto runner = std::make_shared<FakeRunner>();
    BinScriptsModel model(tmp.path(), runner);
    writeFile(tmp.filePath(u"deploy"_s), "old contents");
    const auto created = model.create(u"deploy"_s);
    QVERIFY(created && created->name == u"deploy"_s);
    QCOMPARE(readFile(tmp.filePath(u"deploy"_s)), deploy);
    QCOMPARE(mode(tmp.filePath(u"deploy"_s)), 0755u);
    QCOMPARE(model.statusMessage(), u"Created: deploy"_s);

    QVERIFY(!model.create(u".hidden"_s));
    QVERIFY(QFile::exists(tmp.filePath(u".hidden"_s)));
    QCOMPARE(model.statusMessage(), u"Created: .hidden"_s);

    // Names that would make the copy land in a directory, or chmod one, are refused outright.
    QDir(tmp.path()).mkdir(u"lib"_s);
    for (const QString &bad : {u".."_s, u"."_s, u"a/b"_s, u"lib"_s}) {
        model.setErrorMessage(std::nullopt);
        QVERIFY(!model.create(bad));
        QVERIFY2(model.errorMessage().value_or(QString()).startsWith(u"Create failed: "_s), qPrintable(bad));
    }
    QVERIFY(runner->commands.isEmpty());
}

void TestBinScriptsModel::quotingSurvivesTheShell()
{
    QCOMPARE(BinScriptsModel::shellQuote(u"/usr/local/bin/it's"_s), u"'/usr/local/bin/it'\\''s'"_s);
    QCOMPARE(BinScriptsModel::copyCommand(u"/t"_s, u"/b/x y"_s), u"cp '/t' '/b/x y' && chmod 755 '/b/x y'"_s);
    QCOMPARE(BinScriptsModel::removeCommand(u"/b/$(x)"_s), u"rm '/b/$(x)'"_s);

    // Every quoted name must come back from the shell as exactly one unchanged word.
    const QString alphabet = u"ab'\" $`\\\n\t*?~!;&|<>(){}#=%-é日"_s;
    auto *random = QRandomGenerator::global();
    for (int round = 0; round < 20; ++round) {
        QStringList batch{u"'"_s, u"'\\''"_s}, quoted;
        while (batch.size() < 250) {
            QString name;
            for (int length = 1 + random->bounded(12); length > 0; --length)
                name += alphabet.at(random->bounded(int(alphabet.size())));
            batch << name;
        }
        for (const QString &name : std::as_const(batch))
            quoted << BinScriptsModel::shellQuote(name);
        QProcess sh;
        sh.start(u"/bin/sh"_s, {u"-c"_s, u"printf '%s\\0' "_s + quoted.join(u' ')});
        QVERIFY(sh.waitForFinished());
        QCOMPARE(QString::fromUtf8(sh.readAllStandardOutput()).split(QChar(0)), batch << QString());
    }
}

void TestBinScriptsModel::elevatedFailuresAreNeverReportedAsDone()
{
    // The scripts "directory" lies below a regular file, so plain writes and removals fail even as root.
    QTemporaryDir tmp;
    writeFile(tmp.filePath(u"file"_s), "");
    const QString bin = tmp.filePath(u"file/bin"_s);
    const ScriptFile script{QUuid::createUuid(), u"tool"_s, bin + u"/tool"_s, true};
    auto runner = std::make_shared<FakeRunner>();
    runner->result = u"Request dismissed"_s;
    BinScriptsModel model(bin, runner);

    model.save(script, u"echo hi\n"_s);
    QCOMPARE(model.errorMessage(), u"Save failed: Request dismissed"_s);
    QCOMPARE(runner->tempContent, QByteArray("echo hi\n"));
    const auto cp = QRegularExpression(u"^cp '(.+/korvel-[0-9A-F-]{36}\\.sh)' '(.+)' && chmod 755 '(.+)'$"_s)
                        .match(runner->commands.value(0));
    QVERIFY2(cp.hasMatch(), qPrintable(runner->commands.value(0)));
    QCOMPARE(QFileInfo(cp.captured(1)).absolutePath(), QDir::tempPath());
    QVERIFY(!QFile::exists(cp.captured(1)));
    QCOMPARE(cp.captured(2), script.url);

    QVERIFY(!model.create(u"tool"_s));
    QCOMPARE(model.errorMessage(), u"Create failed: Request dismissed"_s);
    QCOMPARE(runner->tempContent, BinScriptsModel::scriptTemplate(u"tool"_s));
    model.deleteScript(script);
    QCOMPARE(model.errorMessage(), u"Delete failed: Request dismissed"_s);
    QCOMPARE(runner->commands.last(), u"rm '%1'"_s.arg(script.url));
    QVERIFY(model.statusMessage().isEmpty());

    runner->result = std::nullopt;
    QVERIFY(!model.create(u"tool"_s)); // written, but the reload cannot see it
    QCOMPARE(model.statusMessage(), u"Created: tool"_s);
}

void TestBinScriptsModel::systemChainTriesSudoThenPkexec()
{
    QTemporaryDir tmp;
    const QString log = tmp.filePath(u"log"_s), sudo = tmp.filePath(u"sudo"_s), pkexec = tmp.filePath(u"pkexec"_s);
    const QString command = u"rm '/x/it'\\''s'"_s;
    const QString sudoCall = u"[-n][/bin/sh][-c][%1]\n"_s.arg(command),
                  pkexecCall = u"[/bin/sh][-c][%1]\n"_s.arg(command);
    // clang-format off
    const QList<std::tuple<QByteArray, QByteArray, std::optional<QString>>> cases = {
        {"exit 0", "exit 0", std::nullopt},
        {"echo 'sudo: a password is required' >&2; exit 1", "exit 0", std::nullopt},
        {"exit 1", "printf '  Request dismissed\\n' >&2; exit 126", u"Request dismissed"_s},
        {"exit 1", "exit 1", u"Elevated command failed (exit 1)"_s},
        {"exit 1", "printf '\\377\\376' >&2; exit 3", u"Elevated command failed (exit 3)"_s},
    };
    // clang-format on
    for (const auto &[sudoBody, pkexecBody, expected] : cases) {
        QFile::remove(log);
        writeFakeTool(sudo, sudoBody);
        writeFakeTool(pkexec, pkexecBody);
        QCOMPARE(SystemPrivilegedRunner(sudo, pkexec).runElevated(command), expected);
        // pkexec is started only when sudo -n did not succeed
        QCOMPARE(QString::fromUtf8(readFile(log)), sudoBody == "exit 0" ? sudoCall : sudoCall + pkexecCall);
    }

    // A missing sudo falls through to pkexec (still the last fake above); a missing pkexec is named.
    const QString nowhere = tmp.filePath(u"none/"_s);
    QCOMPARE(SystemPrivilegedRunner(nowhere + u"sudo"_s, pkexec).runElevated(command),
             u"Elevated command failed (exit 3)"_s);
    const auto missing = SystemPrivilegedRunner(nowhere + u"sudo"_s, nowhere + u"pkexec"_s).runElevated(command);
    QVERIFY(missing.value_or(QString()).startsWith(u"Failed to launch pkexec: "_s));
}

void TestBinScriptsModel::systemChainWritesAsAdministrator()
{
    // Root takes an ordinary user's file access, so the plain writes fail on the root-owned directory,
    // while the fake pkexec, started afresh as root, really runs the command.
    if (!TestSupport::isRoot())
        QSKIP("needs root to take another user's file access");
    QTemporaryDir tmp;
    QFile::setPermissions(tmp.path(), QFile::Permissions(0x7755));
    const QString bin = tmp.filePath(u"bin"_s), pkexec = tmp.filePath(u"pkexec"_s);
    QDir().mkpath(bin);
    writeFakeTool(tmp.filePath(u"sudo"_s), "exit 1");
    writeFakeTool(pkexec, "exec \"$@\"");
    BinScriptsModel model(bin, std::make_shared<SystemPrivilegedRunner>(tmp.filePath(u"sudo"_s), pkexec));

    ::setfsuid(65534);
    auto asRoot = qScopeGuard([] {
        ::setfsuid(0);
    });
    if (::setfsuid(uid_t(-1)) != 65534)
        QSKIP("cannot change the file-system user");
    const auto created = model.create(u"deploy"_s);
    QVERIFY(created);
    model.save(*created, u"echo saved\n"_s);
    QCOMPARE(model.statusMessage(), u"Saved: deploy"_s);
    ::setfsuid(0);
    QCOMPARE(readFile(created->url), QByteArray("echo saved\n"));
    QCOMPARE(mode(created->url), 0755u);
    ::setfsuid(65534);
    model.deleteScript(*created);
    QCOMPARE(model.statusMessage(), u"Deleted: deploy"_s);
    ::setfsuid(0);
    QVERIFY(!QFile::exists(created->url));
}

QTEST_GUILESS_MAIN(TestBinScriptsModel)
#include "TestBinScriptsModel.moc"
