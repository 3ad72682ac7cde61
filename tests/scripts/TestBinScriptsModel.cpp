#include "scripts/BinScriptsModel.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/fsuid.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

using namespace Qt::StringLiterals;
using TestSupport::readFile;
using TestSupport::writeFile;
using TestSupport::writeScript;

namespace {
    // Records each command and answers with a fixed result; optionally reads the temporary copy.
    struct FakeRunner final : PrivilegedRunner {
        std::optional<QString> result;
        QStringList commands;
        QByteArray tempContent;
        std::optional<QString> runElevated(const QString &command) override
        {
            commands << command;
            const auto match = QRegularExpression(u"^cp '([^']+)' "_s).match(command);
            if (match.hasMatch())
                tempContent = readFile(match.captured(1));
            return result;
        }
    };

    uint mode(const QString &path)
    {
        struct stat info {};
        return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? uint(info.st_mode & 07777) : 0u;
    }

    QStringList names(const BinScriptsModel &model)
    {
        QStringList list;
        for (const ScriptFile &script : model.scripts())
            list << script.name;
        return list;
    }

    // Every argument a fake tool was started with, one list per start.
    QList<QStringList> calls(const QString &logPath)
    {
        QList<QStringList> result;
        for (const QByteArray &line : readFile(logPath).split('\x1e')) {
            if (line.isEmpty())
                continue;
            QStringList args;
            for (const QByteArray &arg : line.split('\0'))
                args << QString::fromUtf8(arg);
            args.removeLast();
            result << args;
        }
        return result;
    }

    // A fake sudo or pkexec: logs its arguments, then runs the given shell body.
    void writeFakeTool(const QString &path, const QString &log, const QByteArray &body)
    {
        writeScript(path,
                    "printf '%s\\0' \"$@\" >> '" + log.toUtf8() + "'\nprintf '\\036' >> '" + log.toUtf8() + "'\n" + body
                        + "\n");
    }
} // namespace

class TestBinScriptsModel final : public QObject
{
    Q_OBJECT
private slots:
    void loadListsVisibleRegularFilesSorted();
    void loadClassifiesAtTheBoundary();
    void loadFailuresKeepTheList();
    void createWritesTheTemplate();
    void commandsQuotePaths();
    void quotingSurvivesTheShell();
    void elevatedPathReportsEachOutcome();
    void systemChainTriesSudoThenPkexec();
    void systemChainWritesAsAdministrator();
};

void TestBinScriptsModel::loadListsVisibleRegularFilesSorted()
{
    QTemporaryDir tmp;
    const QString bin = tmp.filePath(u"usr/local/bin"_s);
    BinScriptsModel model(bin, std::make_shared<FakeRunner>());
    model.load(); // creates the missing directory
    QVERIFY(QFileInfo(bin).isDir());
    QCOMPARE(model.statusMessage(), u"Found 0 files in /usr/local/bin/"_s);

    writeFile(bin + u"/.hidden"_s, "x");
    QDir(bin).mkdir(u"lib"_s);
    model.load();
    QVERIFY(model.scripts().isEmpty());
    QCOMPARE(model.statusMessage(), u"Found 0 files in /usr/local/bin/"_s);

    writeFile(bin + u"/gamma"_s, "g");
    model.load();
    QCOMPARE(model.statusMessage(), u"Found 1 file in /usr/local/bin/"_s);

    for (const char *name : {"b", "A", "c", "alpha", "Beta"})
        writeFile(bin + u'/' + QLatin1String(name), "#!/bin/sh\n");
    writeFile(tmp.filePath(u"elsewhere"_s), "x");
    QFile::link(tmp.filePath(u"elsewhere"_s), bin + u"/tool"_s);
    QFile::link(tmp.filePath(u"missing"_s), bin + u"/dangling"_s);
    // Neither a pipe nor a socket may stall the scan or be listed.
    QCOMPARE(::mkfifo(QFile::encodeName(bin + u"/pipe"_s).constData(), 0644), 0);
    const int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    const QByteArray sockPath = QFile::encodeName(bin + u"/sock"_s);
    if (size_t(sockPath.size()) < sizeof addr.sun_path) {
        qstrcpy(addr.sun_path, sockPath.constData());
        QCOMPARE(::bind(sock, reinterpret_cast<sockaddr *>(&addr), sizeof addr), 0);
    }
    model.load();
    ::close(sock);
    QCOMPARE(names(model), (QStringList{u"A"_s, u"alpha"_s, u"b"_s, u"Beta"_s, u"c"_s, u"gamma"_s}));
    QCOMPARE(model.statusMessage(), u"Found 6 files in /usr/local/bin/"_s);
    QCOMPARE(model.scripts().constFirst().url, bin + u"/A"_s);
    const QUuid firstId = model.scripts().constFirst().id;
    model.load();
    QVERIFY(model.scripts().constFirst().id != firstId);
}

void TestBinScriptsModel::loadClassifiesAtTheBoundary()
{
    QTemporaryDir tmp;
    auto withZeroAt = [](qsizetype size, qsizetype at) {
        QByteArray bytes(size, 'a');
        bytes[at] = '\0';
        return bytes;
    };
    writeFile(tmp.filePath(u"empty"_s), "");
    writeFile(tmp.filePath(u"late-zero"_s), withZeroAt(10000, 9000));
    writeFile(tmp.filePath(u"zero-at-8191"_s), withZeroAt(10000, 8191));
    writeFile(tmp.filePath(u"zero-at-8192"_s), withZeroAt(10000, 8192));
    writeFile(tmp.filePath(u"utf8"_s), "echo \xc3\xa9t\xc3\xa9\n");
    writeFile(tmp.filePath(u"unreadable"_s), "text");
    QFile::setPermissions(tmp.filePath(u"unreadable"_s), {});
    BinScriptsModel model(tmp.path(), std::make_shared<FakeRunner>());
    model.load();
    QHash<QString, bool> editable;
    for (const ScriptFile &script : model.scripts())
        editable.insert(script.name, script.isEditable);
    QCOMPARE(editable.value(u"empty"_s), true);
    QCOMPARE(editable.value(u"late-zero"_s), true);
    QCOMPARE(editable.value(u"zero-at-8191"_s), false);
    QCOMPARE(editable.value(u"zero-at-8192"_s), true);
    QCOMPARE(editable.value(u"utf8"_s), true);
    QVERIFY(editable.contains(u"unreadable"_s));
    if (!TestSupport::isRoot())
        QCOMPARE(editable.value(u"unreadable"_s), false);
}

void TestBinScriptsModel::loadFailuresKeepTheList()
{
    QTemporaryDir tmp;
    const QString parent = tmp.filePath(u"parent"_s);
    const QString bin = parent + u"/bin"_s;
    writeFile(bin + u"/tool"_s, "x");
    BinScriptsModel model(bin, std::make_shared<FakeRunner>());
    model.load();
    QCOMPARE(names(model), QStringList{u"tool"_s});

    QDir(bin).removeRecursively();
    writeFile(bin, "not a directory");
    model.load();
    QCOMPARE(model.statusMessage(), u"Cannot read /usr/local/bin/"_s);
    QCOMPARE(names(model), QStringList{u"tool"_s});

    QDir(parent).removeRecursively();
    writeFile(parent, "a file where a directory should be");
    model.load();
    QCOMPARE(model.statusMessage(), u"Cannot access /usr/local/bin/"_s);
    QCOMPARE(names(model), QStringList{u"tool"_s});
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
    QVERIFY(created);
    QCOMPARE(created->name, u"deploy"_s);
    QCOMPARE(created->url, tmp.filePath(u"deploy"_s));
    QCOMPARE(readFile(created->url), deploy);
    QCOMPARE(mode(created->url), 0755u);
    QCOMPARE(model.statusMessage(), u"Created: deploy"_s);

    QVERIFY(!model.create(u".hidden"_s));
    QVERIFY(QFile::exists(tmp.filePath(u".hidden"_s)));
    QCOMPARE(model.statusMessage(), u"Created: .hidden"_s);
    QVERIFY(!model.errorMessage());

    // Names that would put the copy somewhere else are refused before anything runs.
    QDir(tmp.path()).mkdir(u"lib"_s);
    for (const QString &bad : {u".."_s, u"."_s, u"a/b"_s, u"lib"_s}) {
        model.setErrorMessage(std::nullopt);
        QVERIFY(!model.create(bad));
        QVERIFY2(model.errorMessage() && model.errorMessage()->startsWith(u"Create failed: "_s), qPrintable(bad));
    }
    QVERIFY(runner->commands.isEmpty());
    QVERIFY(!QFileInfo(tmp.filePath(u"lib"_s)).isFile());
}

void TestBinScriptsModel::commandsQuotePaths()
{
    QCOMPARE(BinScriptsModel::shellQuote(u"/usr/local/bin/it's"_s), u"'/usr/local/bin/it'\\''s'"_s);
    QCOMPARE(BinScriptsModel::copyCommand(u"/tmp/t.sh"_s, u"/b/x y"_s),
             u"cp '/tmp/t.sh' '/b/x y' && chmod 755 '/b/x y'"_s);
    QCOMPARE(BinScriptsModel::removeCommand(u"/b/$(x)"_s), u"rm '/b/$(x)'"_s);
}

void TestBinScriptsModel::quotingSurvivesTheShell()
{
    // Each quoted name must come back from the shell as exactly one unchanged word.
    const QString alphabet = u"ab'\"  $`\\\n\t*?~!;&|<>(){}[]#=%-é日"_s;
    auto *random = QRandomGenerator::global();
    auto check = [](const QStringList &batch) {
        QStringList quoted;
        for (const QString &name : batch)
            quoted << BinScriptsModel::shellQuote(name);
        QProcess sh;
        sh.start(u"/bin/sh"_s, {u"-c"_s, u"printf '%s\\0' "_s + quoted.join(u' ')});
        QVERIFY(sh.waitForFinished());
        QCOMPARE(sh.exitCode(), 0);
        QStringList back = QString::fromUtf8(sh.readAllStandardOutput()).split(QChar(0));
        back.removeLast();
        QCOMPARE(back, batch);
    };
    check({u"'"_s, u"''"_s, u"a'b"_s, u"\\'"_s, u"'\\''"_s});
    for (int round = 0; round < 20; ++round) {
        QStringList batch;
        for (int i = 0; i < 200; ++i) {
            QString name;
            for (int length = 1 + random->bounded(12); length > 0; --length)
                name += alphabet.at(random->bounded(int(alphabet.size())));
            batch << name;
        }
        check(batch);
        if (QTest::currentTestFailed())
            return;
    }
}

void TestBinScriptsModel::elevatedPathReportsEachOutcome()
{
    // The scripts "directory" lies below a regular file, so every plain write and removal fails, even as root.
    QTemporaryDir tmp;
    writeFile(tmp.filePath(u"file"_s), "");
    const QString bin = tmp.filePath(u"file/bin"_s);
    const ScriptFile script{QUuid::createUuid(), u"tool"_s, bin + u"/tool"_s, true};
    auto runner = std::make_shared<FakeRunner>();
    BinScriptsModel model(bin, runner);

    runner->result = u"Request dismissed"_s;
    model.save(script, u"echo hi\n"_s);
    QCOMPARE(model.errorMessage(), u"Save failed: Request dismissed"_s);
    QVERIFY(model.statusMessage().isEmpty());
    QCOMPARE(runner->tempContent, QByteArray("echo hi\n"));
    const auto command = QRegularExpression(u"^cp '(.+/korvel-[0-9A-F-]{36}\\.sh)' '(.+)' && chmod 755 '(.+)'$"_s)
                             .match(runner->commands.value(0));
    QVERIFY2(command.hasMatch(), qPrintable(runner->commands.value(0)));
    QCOMPARE(QFileInfo(command.captured(1)).absolutePath(), QDir::tempPath());
    QVERIFY(!QFile::exists(command.captured(1)));
    QCOMPARE(command.captured(2), script.url);

    QVERIFY(!model.create(u"tool"_s));
    QCOMPARE(model.errorMessage(), u"Create failed: Request dismissed"_s);
    QCOMPARE(runner->tempContent, BinScriptsModel::scriptTemplate(u"tool"_s));
    model.deleteScript(script);
    QCOMPARE(model.errorMessage(), u"Delete failed: Request dismissed"_s);
    QCOMPARE(runner->commands.last(), u"rm '%1'"_s.arg(script.url));
    QVERIFY(model.statusMessage().isEmpty()); // never reported as done

    model.setErrorMessage(std::nullopt);
    runner->result = std::nullopt;
    model.save(script, u"x"_s);
    QCOMPARE(model.statusMessage(), u"Saved: tool"_s);
    QVERIFY(!model.create(u"tool"_s)); // written, but the reload cannot see it
    QCOMPARE(model.statusMessage(), u"Created: tool"_s);
    model.deleteScript(script);
    QCOMPARE(model.statusMessage(), u"Deleted: tool"_s);
    QVERIFY(!model.errorMessage());
    QCOMPARE(runner->commands.size(), 6);
}

void TestBinScriptsModel::systemChainTriesSudoThenPkexec()
{
    QTemporaryDir tmp;
    const QString log = tmp.filePath(u"log"_s);
    const QString sudo = tmp.filePath(u"sudo"_s);
    const QString pkexec = tmp.filePath(u"pkexec"_s);
    const QString command = u"rm '/x/it'\\''s'"_s;
    struct Case {
        QByteArray sudoBody, pkexecBody;
        std::optional<QString> expected;
        int pkexecStarts;
    };
    // clang-format off
    const QList<Case> cases = {
        {"exit 0", "exit 0", std::nullopt, 0},
        {"echo 'sudo: a password is required' >&2; exit 1", "exit 0", std::nullopt, 1},
        {"exit 1", "printf '  Error executing command as another user: Request dismissed\\n' >&2; exit 126",
         u"Error executing command as another user: Request dismissed"_s, 1},
        {"exit 1", "exit 1", u"Elevated command failed (exit 1)"_s, 1},
        {"exit 1", "printf '\\377\\376' >&2; exit 3", u"Elevated command failed (exit 3)"_s, 1},
    };
    // clang-format on
    for (const Case &c : cases) {
        QFile::remove(log);
        writeFakeTool(sudo, log, c.sudoBody);
        writeFakeTool(pkexec, log, c.pkexecBody);
        SystemPrivilegedRunner runner(sudo, pkexec);
        QCOMPARE(runner.runElevated(command), c.expected);
        const auto started = calls(log);
        QCOMPARE(started.size(), 1 + c.pkexecStarts);
        QCOMPARE(started.at(0), (QStringList{u"-n"_s, u"/bin/sh"_s, u"-c"_s, command}));
        if (c.pkexecStarts)
            QCOMPARE(started.at(1), (QStringList{u"/bin/sh"_s, u"-c"_s, command}));
    }

    // A missing sudo falls through to pkexec; a missing pkexec is reported by name.
    writeFakeTool(pkexec, log, "exit 0");
    QCOMPARE(SystemPrivilegedRunner(tmp.filePath(u"none/sudo"_s), pkexec).runElevated(command), std::nullopt);
    const auto missing =
        SystemPrivilegedRunner(tmp.filePath(u"none/sudo"_s), tmp.filePath(u"none/pkexec"_s)).runElevated(command);
    QVERIFY(missing && missing->startsWith(u"Failed to launch pkexec: "_s));

    // Through the model: a silent failure is named by its exit status.
    writeFile(tmp.filePath(u"file"_s), "");
    writeFakeTool(sudo, log, "exit 1");
    writeFakeTool(pkexec, log, "exit 1");
    BinScriptsModel model(tmp.filePath(u"file/bin"_s), std::make_shared<SystemPrivilegedRunner>(sudo, pkexec));
    model.deleteScript({QUuid::createUuid(), u"t"_s, tmp.filePath(u"file/bin/t"_s), true});
    QCOMPARE(model.errorMessage(), u"Delete failed: Elevated command failed (exit 1)"_s);
}

void TestBinScriptsModel::systemChainWritesAsAdministrator()
{
    // As root, act as an ordinary user for file access only: the plain writes then fail on the
    // root-owned directory, while the fake pkexec (started afresh as root) really runs the command.
    if (!TestSupport::isRoot())
        QSKIP("needs root to take another user's file access");
    QTemporaryDir tmp;
    QFile::setPermissions(tmp.path(), QFile::Permissions(0x7755));
    const QString bin = tmp.filePath(u"bin"_s);
    QDir().mkpath(bin);
    const QString log = tmp.filePath(u"log"_s);
    writeFakeTool(tmp.filePath(u"sudo"_s), log, "exit 1");
    writeFakeTool(tmp.filePath(u"pkexec"_s),
                  log,
                  "[ -e \"$0.dismiss\" ] && { echo 'Request dismissed' >&2; exit 126; }\nexec \"$@\"");
    BinScriptsModel model(bin,
                          std::make_shared<SystemPrivilegedRunner>(tmp.filePath(u"sudo"_s), tmp.filePath(u"pkexec"_s)));

    struct AsNobody {
        AsNobody()
        {
            ::setfsuid(65534);
        }
        ~AsNobody()
        {
            ::setfsuid(0);
        }
    };
    std::optional<ScriptFile> created;
    {
        AsNobody guard;
        if (::setfsuid(uid_t(-1)) != 65534)
            QSKIP("cannot change the file-system user");
        created = model.create(u"deploy"_s);
        QVERIFY(created);
        QCOMPARE(model.statusMessage(), u"Created: deploy"_s);
        model.save(*created, u"echo saved\n"_s);
        QCOMPARE(model.statusMessage(), u"Saved: deploy"_s);
    }
    QCOMPARE(readFile(created->url), QByteArray("echo saved\n"));
    writeFile(tmp.filePath(u"pkexec.dismiss"_s), "");
    {
        AsNobody guard;
        model.save(*created, u"lost\n"_s);
        QCOMPARE(model.errorMessage(), u"Save failed: Request dismissed"_s);
        QCOMPARE(model.statusMessage(), u"Saved: deploy"_s); // still the earlier report
    }
    QCOMPARE(readFile(created->url), QByteArray("echo saved\n"));
    QCOMPARE(mode(created->url), 0755u);
    QCOMPARE(QFileInfo(created->url).ownerId(), 0u);
    QFile::remove(tmp.filePath(u"pkexec.dismiss"_s));
    {
        AsNobody guard;
        model.deleteScript(*created);
        QCOMPARE(model.statusMessage(), u"Deleted: deploy"_s);
    }
    QVERIFY(!QFile::exists(created->url));
    QVERIFY(model.scripts().isEmpty());
}

QTEST_GUILESS_MAIN(TestBinScriptsModel)
#include "TestBinScriptsModel.moc"
