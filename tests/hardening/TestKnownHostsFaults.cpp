#include "FaultSupport.h"
#include "knownhosts/KnownHostsModel.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

#include <cerrno>
#include <sys/stat.h>

using namespace Qt::StringLiterals;
using FaultSupport::errnoText;
using TestSupport::readFile;
using TestSupport::writeFile;

class TestKnownHostsFaults : public QObject
{
    Q_OBJECT
private slots:
    void failedRemovalsKeepTheFile();
    void hostileBytes();
    void fifoOrDeviceNeverBlocks();
};

void TestKnownHostsFaults::failedRemovalsKeepTheFile()
{
    QTemporaryDir tmp;
    const QString dir = tmp.filePath(u"ssh"_s);
    const QString path = dir + u"/known_hosts"_s;
    QByteArray text = "# kept comment\n";
    for (int i = 0; i < 100; ++i)
        text += "host" + QByteArray::number(i) + " ssh-ed25519 AAAAC3NzaC1lZDI1NTE5AAAAI" + QByteArray(40, 'k') + "\n";
    writeFile(path, text);
    KnownHostsModel model(path);
    QList<KnownHostEntry> before;
    const auto removeOne = [&] {
        model.load();
        model.setErrorMessage(std::nullopt);
        before = model.entries();
        model.removeEntries({before.at(3).id});
    };
    const auto expectKept = [&](const QString &error) {
        QCOMPARE(model.errorMessage().value_or(u"(none)"_s), error);
        QCOMPARE(model.statusMessage(), u"Loaded 100 entries"_s);
        QCOMPARE(model.entries().size(), before.size());
        QCOMPARE(model.entries().at(3).id, before.at(3).id);
        QVERIFY(readFile(path) == text);
        QCOMPARE(QDir(dir).entryList(QDir::Files | QDir::Hidden), QStringList{u"known_hosts"_s});
    };
    { // The surviving lines do not fit under a file size limit (root is bound by it too).
        FaultSupport::FileSizeLimit limit(4096);
        removeOne();
    }
    expectKept(errnoText(EFBIG));
    { // No temporary file can be made beside the file.
        FaultSupport::Immutable frozen(dir);
        if (!frozen.active)
            QSKIP("chattr +i is not available here");
        removeOne();
    }
    expectKept(errnoText(EPERM));
    { // The temporary file cannot replace the file.
        FaultSupport::Immutable frozen(path);
        QVERIFY(frozen.active);
        removeOne();
    }
    expectKept(u"Existing file %1 is not writable"_s.arg(path));
}

void TestKnownHostsFaults::hostileBytes()
{
    QTemporaryDir tmp;
    const QString path = tmp.filePath(u"known_hosts"_s);
    KnownHostsModel model(path);
    { // Zero bytes are ordinary characters: the lines load, and a removal keeps every other byte.
        writeFile(path, QByteArray("a\0b ssh-rsa AAAA\0\nplain ssh-ed25519 K\r\n\0\0\0\n\0 x y\n", 49));
        model.load();
        QCOMPARE(model.entries().size(), 3);
        QCOMPARE(model.entries().at(0).host, QString::fromUtf8("a\0b", 3));
        model.removeEntries({model.entries().at(0).id, model.entries().at(2).id});
        QVERIFY(!model.errorMessage());
        QCOMPARE(model.statusMessage(), u"Removed 2 entries"_s);
        QCOMPARE(readFile(path), QByteArray("plain ssh-ed25519 K\r\n\0\0\0\n", 25));
    }
    // Bytes that are not UTF-8: nothing is shown, and nothing is rewritten.
    for (const QByteArray &text : {QByteArray("h ssh-rsa \xff\xfe\n"),
                                   QByteArray("h ssh-rsa K\n\xe2\x80"),
                                   QByteArray("\xc0\xaf h k\n"),
                                   QByteArray("h k \xed\xa0\x80\n")}) {
        writeFile(path, "h ssh-rsa K\n");
        model.load();
        model.setErrorMessage(std::nullopt);
        writeFile(path, text);
        model.removeEntries({model.entries().at(0).id});
        QCOMPARE(model.errorMessage(), u"Cannot read "_s + path);
        QCOMPARE(readFile(path), text);
        model.load();
        QVERIFY(model.entries().isEmpty());
        QCOMPARE(model.statusMessage(), u"known_hosts not found"_s);
    }
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
