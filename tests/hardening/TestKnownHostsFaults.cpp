#include "FaultSupport.h"
#include "knownhosts/KnownHostsModel.h"
#include "support/TestSupport.h"

#include <QTemporaryDir>
#include <QtTest>

#include <cerrno>
#include <sys/stat.h>

using namespace Qt::StringLiterals;
using TestSupport::readFile;
using TestSupport::writeFile;

class TestKnownHostsFaults : public QObject
{
    Q_OBJECT
private slots:
    void fullDiskKeepsFileAndEntries();
    void fifoOrDeviceNeverBlocks();
};

void TestKnownHostsFaults::fullDiskKeepsFileAndEntries()
{
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
}

void TestKnownHostsFaults::fifoOrDeviceNeverBlocks()
{
    const FaultSupport::HangGuard guard(30);
    QTemporaryDir tmp;
    const QString fifo = tmp.filePath(u"known_hosts"_s);
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

QTEST_GUILESS_MAIN(TestKnownHostsFaults)
#include "TestKnownHostsFaults.moc"
