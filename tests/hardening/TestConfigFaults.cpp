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
} // namespace

class TestConfigFaults : public QObject
{
    Q_OBJECT
private slots:
    void failedSaveKeepsTheEdits();
    void configsRoundTrip();
};

void TestConfigFaults::failedSaveKeepsTheEdits()
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
        QVERIFY(readFile(path) == c.text);
        for (const QString &name : entries(tmp.path()))
            QVERIFY(name == u"config"_s || QFile::remove(tmp.filePath(name)));
    }
}

QTEST_GUILESS_MAIN(TestConfigFaults)
#include "TestConfigFaults.moc"
