#include "FaultSupport.h"
#include "engine/SSHConfigModel.h"
#include "engine/SSHParser.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <cerrno>

using namespace Qt::StringLiterals;
using FaultSupport::entries;
using FaultSupport::errnoText;
using TestSupport::readFile;
using TestSupport::writeFile;

namespace {
    const QByteArray oldText = "Host old\n    User keep\n";

    // Edits what was loaded so there is something to save, and saves.
    void editAndSave(SSHConfigModel &model, int options = 1)
    {
        const QUuid id = *model.addBlock(u"new"_s);
        for (int i = 0; i < options; ++i)
            model.setOption(id, u"Option%1"_s.arg(i), QString(100, u'v'));
        model.setErrorMessage(std::nullopt);
        model.save();
    }

    // The save failed with exactly this error (or, for a backup, one starting with it) and the edit is kept.
    void expectFailure(const SSHConfigModel &model, const QString &expected, bool prefix = false)
    {
        const QString error = model.errorMessage().value_or(u"(none)"_s);
        const QString want = u"Failed to save %1: %2"_s.arg(model.configURL(), expected);
        if (prefix)
            QVERIFY2(error.startsWith(want), qPrintable(error));
        else
            QCOMPARE(error, want);
        QVERIFY(model.isDirty());
        QCOMPARE(model.statusMessage(), u"Added: new"_s);
    }
} // namespace

class TestConfigFaults : public QObject
{
    Q_OBJECT
private slots:
    void eachSaveStepFailsCleanly();
    void configsRoundTrip();
};

void TestConfigFaults::eachSaveStepFailsCleanly()
{
    QTemporaryDir tmp;
    { // Folder step: the .ssh folder would have to live inside a regular file.
        writeFile(tmp.filePath(u"home-file"_s), "x");
        SSHConfigModel model(tmp.filePath(u"home-file/.ssh/config"_s));
        editAndSave(model);
        expectFailure(model,
                      u"Cannot create the folder %1: %2"_s.arg(tmp.filePath(u"home-file/.ssh"_s), errnoText(ENOTDIR)));
        QCOMPARE(readFile(tmp.filePath(u"home-file"_s)), QByteArray("x"));
    }
    { // Backup step: the old file is larger than a file may grow, so its copy fails half way.
        const QString dir = tmp.filePath(u"backup"_s);
        const QByteArray large = oldText + "    # " + QByteArray(8000, 'p') + "\n";
        writeFile(dir + u"/config"_s, large);
        SSHConfigModel model(dir + u"/config"_s);
        {
            FaultSupport::FileSizeLimit limit(4096);
            editAndSave(model);
        }
        expectFailure(model, u"Cannot back up the file to %1/config.bak."_s.arg(dir), true);
        QCOMPARE(entries(dir), QStringList{u"config"_s});
        QCOMPARE(readFile(dir + u"/config"_s), large);
    }
    { // Write step: a dangling link into a missing folder; nothing exists, so nothing is backed up.
        const QString dir = tmp.filePath(u"dangling"_s);
        QDir().mkpath(dir);
        QVERIFY(QFile::link(tmp.filePath(u"missing/config"_s), dir + u"/config"_s));
        SSHConfigModel model(dir + u"/config"_s);
        editAndSave(model);
        expectFailure(model, errnoText(ENOENT));
        QCOMPARE(entries(dir), QStringList{u"config"_s});
        QCOMPARE(QFileInfo(dir + u"/config"_s).symLinkTarget(), tmp.filePath(u"missing/config"_s));
        QVERIFY(!QFileInfo::exists(tmp.filePath(u"missing"_s)));
    }
    { // Write step: the new text does not fit; the backup stays and no temporary file is left.
        const QString dir = tmp.filePath(u"full"_s);
        writeFile(dir + u"/config"_s, oldText);
        SSHConfigModel model(dir + u"/config"_s);
        {
            FaultSupport::FileSizeLimit limit(4096);
            editAndSave(model, 100);
        }
        expectFailure(model, errnoText(EFBIG));
        QCOMPARE(readFile(dir + u"/config"_s), oldText);
        const QStringList left = entries(dir);
        QCOMPARE(left.size(), 2);
        QVERIFY(left.at(1).startsWith(u"config.bak."_s));
        QCOMPARE(readFile(dir + u'/' + left.at(1)), oldText);

        // The unsaved state survives, so the same save goes through once space is back.
        model.save();
        QCOMPARE(model.statusMessage(), u"Saved — backup created in ~/.ssh/"_s);
        QVERIFY(!model.isDirty());
        QVERIFY(readFile(dir + u"/config"_s).startsWith(oldText + "\nHost new\n"));
    }

    const QString dir = tmp.filePath(u"ssh"_s);
    const QString path = dir + u"/config"_s;
    writeFile(path, oldText);
    { // Backup step: the folder takes no new files.
        SSHConfigModel model(path);
        FaultSupport::Immutable frozen(dir);
        if (!frozen.active)
            QSKIP("chattr +i is not available here");
        editAndSave(model);
        expectFailure(model, u"Cannot back up the file to %1/config.bak."_s.arg(dir), true);
        QCOMPARE(entries(dir), QStringList{u"config"_s});
    }
    { // Write step: the file itself cannot be replaced; the backup is made and stays.
        SSHConfigModel model(path);
        FaultSupport::Immutable frozen(path);
        QVERIFY(frozen.active);
        editAndSave(model);
        expectFailure(model, errnoText(EPERM));
        const QStringList left = entries(dir);
        QCOMPARE(left.size(), 2);
        QCOMPARE(readFile(dir + u'/' + left.at(1)), oldText);
    }
    QCOMPARE(readFile(path), oldText);
}

void TestConfigFaults::configsRoundTrip()
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
    struct Case {
        QByteArray text;
        int hosts;
    };
    for (const Case &c : {
             Case{big, hosts},
             Case{"Host big\n    LocalCommand " + QByteArray(10 << 20, 'x') + "\n", 1},
             Case{"# " + QByteArray(10 << 20, 'c') + "\nHost after\n    Port 22\n", 1},
             // Found by fuzzing: only a space, tab or "=" ends a keyword, so these are options, not
             // Host or Match lines, and the save must not refuse them.
             Case{"Host x\n    Host\xc2\xa0 v\n    Match\xc2\xa0\xc2\xa0 w\n", 1},
         }) {
        writeFile(path, c.text);
        SSHConfigModel model(path);
        QCOMPARE(model.statusMessage(), c.hosts == 1 ? u"Loaded 1 host"_s : u"Loaded %1 hosts"_s.arg(c.hosts));
        model.save();
        QCOMPARE(model.errorMessage(), std::nullopt);
        QCOMPARE(model.statusMessage(), u"Saved — backup created in ~/.ssh/"_s);
        QVERIFY(readFile(path) == c.text);
        for (const QString &name : entries(tmp.path()))
            QVERIFY(name == u"config"_s || QFile::remove(tmp.filePath(name)));
    }
}

QTEST_GUILESS_MAIN(TestConfigFaults)
#include "TestConfigFaults.moc"
