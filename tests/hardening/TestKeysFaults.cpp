#include "FaultSupport.h"
#include "keys/SSHKeysModel.h"
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

namespace {
    const QByteArray publicKey = "ssh-ed25519 AAAAC3NzaC1lZDI1NTE5AAAAIKey user@host\n";

    void makePair(const QString &dir, const QString &name, const QByteArray &pub = publicKey)
    {
        writeFile(dir + u'/' + name, "private");
        writeFile(dir + u'/' + name + u".pub"_s, pub);
    }

    bool load(SSHKeysModel &model)
    {
        QSignalSpy changed(&model, &SSHKeysModel::keyPairsChanged);
        model.load();
        return !changed.isEmpty() || changed.wait();
    }
} // namespace

class TestKeysFaults : public QObject
{
    Q_OBJECT
private slots:
    void failedDeletionsStopWhereTheyFail();
    void hostileKeyDirectories();
};

void TestKeysFaults::failedDeletionsStopWhereTheyFail()
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

void TestKeysFaults::hostileKeyDirectories()
{
    const FaultSupport::HangGuard guard(120);
    QTemporaryDir tmp;
    const QString dir = tmp.path();
    // 5,000 entries: 20 pairs, a FIFO, a socket and a folder posing as public keys of existing
    // private keys, and junk. Nothing may block and only the pairs are listed.
    for (int i = 0; i < 20; ++i)
        makePair(dir, u"key%1"_s.arg(i));
    writeFile(dir + u"/fifo"_s, "private");
    QCOMPARE(::mkfifo(QFile::encodeName(dir + u"/fifo.pub"_s).constData(), 0600), 0);
    writeFile(dir + u"/socket"_s, "private");
    QVERIFY(FaultSupport::makeSocket(dir + u"/socket.pub"_s));
    QDir().mkpath(dir + u"/folder.pub"_s);
    writeFile(dir + u"/folder"_s, "private");
    for (int i = QDir(dir).count() - 2; i < 5000; ++i)
        QFile(dir + u"/junk%1"_s.arg(i)).open(QIODevice::WriteOnly);
    QCOMPARE(QDir(dir).count() - 2, 5000u);
    SSHKeysModel model(dir, tmp.filePath(u"no-keygen"_s));
    QVERIFY(load(model));
    QCOMPARE(model.statusMessage(), u"Found 20 key pairs"_s);

    // A 100 MB public key file is read and listed like any other.
    makePair(dir, u"big"_s, "ssh-rsa " + QByteArray(100 << 20, 'A') + " big comment\n");
    QVERIFY(load(model));
    QCOMPARE(model.statusMessage(), u"Found 21 key pairs"_s);
    const SSHKeyPair &pair = model.keyPairs().at(0);
    QVERIFY(pair.name == u"big"_s && pair.comment == u"big comment"_s);
    QCOMPARE(pair.publicKeyContent.size(), 8 + (100 << 20) + 12);
}

QTEST_GUILESS_MAIN(TestKeysFaults)
#include "TestKeysFaults.moc"
