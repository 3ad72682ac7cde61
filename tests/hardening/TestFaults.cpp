#include "FaultSupport.h"
#include "core/ProcessRunner.h"
#include "engine/SSHConfigModel.h"
#include "keys/SSHKeysModel.h"
#include "knownhosts/KnownHostsModel.h"
#include "scripts/BinScriptsModel.h"
#include "scripts/FakeRunner.h"

#include <QDir>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QtTest>

#include <cerrno>
#include <sys/stat.h>

using namespace Qt::StringLiterals;
using FaultSupport::entries;
using FaultSupport::errnoText;
using TestSupport::readFile;
using TestSupport::writeFile;

// Failing writes, full disks, frozen folders and hostile entries for every file Korvel reads or
// writes: nothing is lost, nothing blocks, and no failure passes for success.
namespace {
    const QByteArray oldText = "Host old\n    User keep\n";

    const QByteArray publicKey = "ssh-ed25519 AAAAC3NzaC1lZDI1NTE5AAAAIKey user@host\n";

    void makePair(const QString &dir, const QString &name)
    {
        writeFile(dir + u'/' + name, "private");
        writeFile(dir + u'/' + name + u".pub"_s, publicKey);
    }

    bool load(SSHKeysModel &model)
    {
        QSignalSpy changed(&model, &SSHKeysModel::keyPairsChanged);
        model.load();
        return !changed.isEmpty() || changed.wait();
    }

    // Runs the command as this user (root in CI), so the elevated path really copies and removes.
    struct ShellRunner final : PrivilegedRunner {
        void runElevated(const QString &command, std::function<void(std::optional<QString>)> done) override
        {
            auto *sh = new ProcessRunner;
            QObject::connect(sh, &ProcessRunner::finished, sh, [sh, done](const ProcessResult &result) {
                sh->deleteLater();
                done(result.exitCode == 0 ? std::nullopt
                                          : std::optional(u"Elevated command failed (exit %1)"_s.arg(result.exitCode)));
            });
            sh->start(u"/bin/sh"_s, {u"-c"_s, command});
        }
    };

    const QByteArray oldScript = "#!/bin/sh\necho old\n";
    const QString elevatedFailed = u"Elevated command failed (exit 1)"_s;
} // namespace

class TestFaults : public QObject
{
    Q_OBJECT
private slots:
    void configSaveFailureKeepsTheEdits();
    void largeConfigsRoundTrip();
    void knownHostsFaults();
    void keyDeletionsStopWhereTheyFail();
    void hostileKeyDirectories();
    void failedScriptChangesKeepTheScript();
};

void TestFaults::configSaveFailureKeepsTheEdits()
{
    // The writer's own failures are tested once with the writer; here the model's side of one:
    // the message names the file, the edit survives, and the same save goes through later.
    QTemporaryDir tmp;
    const QString path = tmp.filePath(u"config"_s);
    writeFile(path, oldText);
    SSHConfigModel model(path);
    {
        FaultSupport::FileSizeLimit limit(4096);
        const QUuid id = *model.addBlock(u"new"_s);
        for (int i = 0; i < 100; ++i)
            model.setOption(id, u"Option%1"_s.arg(i), QString(100, u'v'));
        model.save();
    }
    QCOMPARE(model.errorMessage(), u"Failed to save %1: %2"_s.arg(model.configURL(), errnoText(EFBIG)));
    QCOMPARE(readFile(path), oldText);
    QVERIFY(model.isDirty());
    model.save();
    QVERIFY(!model.isDirty() && readFile(path).startsWith(oldText + "\nHost new\n"));
}

void TestFaults::largeConfigsRoundTrip()
{
    // Large files and long lines come back byte for byte, and the save refuses none of them.
    QTemporaryDir tmp;
    const QString path = tmp.filePath(u"config"_s);
    QByteArray big;
    big.reserve(51 << 20);
    const QByteArray command = "    ProxyCommand ssh -W %h:%p " + QByteArray(400, 'g') + "\n";
    int hosts = 0;
    for (; big.size() < (50 << 20); ++hosts)
        big += (hosts ? "\nHost h" : "Host h") + QByteArray::number(hosts) + "\n    HostName 10.0."
               + QByteArray::number(hosts % 250) + ".1\n    User u\n" + command;
    for (const auto &[text, count] : QList<std::pair<QByteArray, int>>{
             {big, hosts},
             {"Host big\n    LocalCommand " + QByteArray(10 << 20, 'x') + "\n", 1},
             {"# " + QByteArray(10 << 20, 'c') + "\nHost after\n    Port 22\n", 1},
             // Found by fuzzing: only a space, tab or "=" ends a keyword, so these are options, not
             // Host or Match lines, and the save must not refuse them.
             {"Host x\n    Host\xc2\xa0 v\n    Match\xc2\xa0\xc2\xa0 w\n", 1},
         }) {
        writeFile(path, text);
        SSHConfigModel model(path);
        QCOMPARE(model.blocks().size(), count);
        model.save();
        QCOMPARE(model.errorMessage(), std::nullopt);
        QVERIFY(readFile(path) == text);
        for (const QString &name : entries(tmp.path()))
            QVERIFY(name == u"config"_s || QFile::remove(tmp.filePath(name)));
    }
}

void TestFaults::knownHostsFaults()
{
    // A full disk keeps the file and the entries.
    QTemporaryDir tmp;
    const QString path = tmp.filePath(u"known_hosts"_s);
    QByteArray text = "# kept comment\n";
    for (int i = 0; i < 100; ++i)
        text += "host" + QByteArray::number(i) + " ssh-ed25519 AAAAC3NzaC1lZDI1NTE5AAAAI" + QByteArray(40, 'k') + "\n";
    writeFile(path, text);
    KnownHostsModel model(path);
    model.load();
    const QList<KnownHostEntry> before = model.entries();
    { // The surviving lines do not fit under a file size limit (root is bound by it too).
        FaultSupport::FileSizeLimit limit(4096);
        model.removeEntries({before.at(3).id});
    }
    QCOMPARE(model.errorMessage(), u"Cannot write %1: %2"_s.arg(path, FaultSupport::errnoText(EFBIG)));
    QVERIFY(model.entries().size() == before.size() && model.entries().at(3).id == before.at(3).id);
    QVERIFY(readFile(path) == text);
    QCOMPARE(FaultSupport::entries(tmp.path()), QStringList{u"known_hosts"_s});

    // A FIFO or a device in its place never blocks.
    const QString fifo = tmp.filePath(u"fifo"_s);
    QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString zero = tmp.filePath(u"zero"_s);
    QVERIFY(QFile::link(u"/dev/zero"_s, zero));
    for (const QString &path : {fifo, zero}) {
        KnownHostsModel model(path);
        model.load();
        QCOMPARE(model.statusMessage(), u"known_hosts not found"_s);
        model.removeEntries({});
        QCOMPARE(model.errorMessage(), u"Cannot read "_s + path);
    }
    QVERIFY(QFileInfo(zero).isSymLink());
}

void TestFaults::keyDeletionsStopWhereTheyFail()
{
    QTemporaryDir tmp;
    const QString dir = tmp.path();
    SSHKeysModel model(dir, tmp.filePath(u"no-keygen"_s));
    { // The private "file" is a folder with something in it: nothing is removed, nothing rescanned.
        QDir().mkpath(dir + u"/folder/inner"_s);
        writeFile(dir + u"/folder.pub"_s, publicKey);
        QVERIFY(load(model));
        model.deleteKeyPair(model.keyPairs().at(0));
        QCOMPARE(model.errorMessage(), u"Cannot delete %1/folder: %2"_s.arg(dir, errnoText(EISDIR)));
        QCOMPARE(readFile(dir + u"/folder.pub"_s), publicKey);
        QDir(dir + u"/folder"_s).removeRecursively();
        QFile::remove(dir + u"/folder.pub"_s);
    }
    { // The public file turned into a folder after the scan: the private key is gone, the rest stays.
        makePair(dir, u"half"_s);
        QVERIFY(load(model));
        model.setErrorMessage(std::nullopt);
        QFile::remove(dir + u"/half.pub"_s);
        QDir().mkpath(dir + u"/half.pub/inner"_s);
        model.deleteKeyPair(model.keyPairs().at(0));
        QCOMPARE(model.errorMessage(), u"Cannot delete %1/half.pub: %2"_s.arg(dir, errnoText(EISDIR)));
        QVERIFY(!QFileInfo::exists(dir + u"/half"_s) && QFileInfo(dir + u"/half.pub/inner"_s).isDir());
        QDir(dir + u"/half.pub"_s).removeRecursively();
    }
    { // The key folder takes no changes: the first removal fails and both files stay.
        makePair(dir, u"frozen"_s);
        QVERIFY(load(model));
        model.setErrorMessage(std::nullopt);
        FaultSupport::Immutable frozen(dir);
        if (!frozen.active)
            QSKIP("chattr +i is not available here");
        model.deleteKeyPair(model.keyPairs().at(0));
        QCOMPARE(model.errorMessage(), u"Cannot delete %1/frozen: %2"_s.arg(dir, errnoText(EPERM)));
        QCOMPARE(readFile(dir + u"/frozen"_s), QByteArray("private"));
        QCOMPARE(readFile(dir + u"/frozen.pub"_s), publicKey);
    }
}

void TestFaults::hostileKeyDirectories()
{
    QTemporaryDir tmp;
    const QString dir = tmp.path();
    // 5,000 entries: 20 pairs, a FIFO, a socket and a folder posing as public keys of existing
    // private keys, and junk. Nothing may block and only the pairs are listed.
    for (int i = 0; i < 20; ++i)
        makePair(dir, u"key%1"_s.arg(i));
    writeFile(dir + u"/fifo"_s, "private");
    QCOMPARE(::mkfifo(QFile::encodeName(dir + u"/fifo.pub"_s).constData(), 0600), 0);
    writeFile(dir + u"/socket"_s, "private");
    QCOMPARE(::mknod(QFile::encodeName(dir + u"/socket.pub"_s).constData(), S_IFSOCK | 0600, 0), 0);
    QDir().mkpath(dir + u"/folder.pub"_s);
    writeFile(dir + u"/folder"_s, "private");
    for (int i = QDir(dir).count() - 2; i < 5000; ++i)
        QFile(dir + u"/junk%1"_s.arg(i)).open(QIODevice::WriteOnly);
    QCOMPARE(QDir(dir).count() - 2, 5000u);
    SSHKeysModel model(dir, tmp.filePath(u"no-keygen"_s));
    QVERIFY(load(model));
    QCOMPARE(model.statusMessage(), u"Found 20 key pairs"_s);
}

void TestFaults::failedScriptChangesKeepTheScript()
{
    // The temporary copies of the elevated path go here, so the test sees any left behind.
    QTemporaryDir tmp;
    const QString bin = tmp.filePath(u"bin"_s), temps = tmp.filePath(u"tmp"_s);
    QDir().mkpath(temps);
    const QByteArray tmpdir = qgetenv("TMPDIR");
    const auto restore = qScopeGuard([&tmpdir] {
        tmpdir.isNull() ? qunsetenv("TMPDIR") : qputenv("TMPDIR", tmpdir);
    });
    qputenv("TMPDIR", QFile::encodeName(temps));
    writeFile(bin + u"/tool"_s, oldScript);
    BinScriptsModel model(bin, std::make_shared<ShellRunner>());
    QSignalSpy finished(&model, &BinScriptsModel::operationFinished);
    model.load();
    const ScriptFile tool = model.scripts().at(0);
    // The error the next operation left; its outcome when it left none.
    const auto error = [&] {
        const QString outcome = ended(finished);
        const QString text = model.errorMessage().value_or(outcome);
        model.setErrorMessage(std::nullopt);
        return text;
    };
    { // Neither the plain write nor the copy fits under a file size limit: nothing may be cut short.
        {
            FaultSupport::FileSizeLimit limit(4096);
            model.save(tool, QString(20000, u'x'));
        }
        QCOMPARE(error(), u"Save failed: "_s + elevatedFailed);
        QCOMPARE(readFile(tool.url), oldScript);
        QCOMPARE(entries(bin), QStringList{u"tool"_s});
    }
    { // A folder took the script's place after the scan; a copy would land inside it.
        QFile::remove(tool.url);
        QDir().mkpath(tool.url);
        model.save(tool, u"echo new\n"_s);
        QCOMPARE(error(), u"Save failed: %1 is a directory"_s.arg(tool.url));
        QCOMPARE(entries(tool.url), QStringList());
        QDir().rmdir(tool.url);
        writeFile(tool.url, oldScript);
    }
    QCOMPARE(entries(temps), QStringList());
    { // The scripts folder takes no changes, nor the script itself, not even from root.
        FaultSupport::Immutable frozenScript(tool.url);
        if (!frozenScript.active)
            QSKIP("chattr +i is not available here");
        model.save(tool, u"echo new\n"_s);
        QCOMPARE(error(), u"Save failed: "_s + elevatedFailed);
        FaultSupport::Immutable frozenFolder(bin);
        model.deleteScript(tool);
        QCOMPARE(error(), u"Delete failed: "_s + elevatedFailed);
        QCOMPARE(readFile(tool.url), oldScript);
        QCOMPARE(entries(temps), QStringList());
    }
}

QTEST_GUILESS_MAIN(TestFaults)
#include "TestFaults.moc"
