#include "KnownHostsSample.h"
#include "engine/HostBlock.h"
#include "engine/SSHConfigModel.h"
#include "hosts/ConfigSources.h"
#include "hosts/KnownHostKeysRow.h"
#include "knownhosts/KnownHostsModel.h"
#include "support/TestSupport.h"
#include "ui/Dialogs.h"

#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;
using TestSupport::readFile;
using TestSupport::writeFile;

class TestKnownHostKeysRow final : public QObject
{
    Q_OBJECT
private slots:
    void namesAreThoseSshLooksUp_data();
    void namesAreThoseSshLooksUp();
    void forgetRemovesWhatSshKeygenRemoves();
};

// The first Host section of `config` is the one asked about; ~/.ssh/inc holds `included`.
void TestKnownHostKeysRow::namesAreThoseSshLooksUp_data()
{
    QTest::addColumn<QByteArray>("config");
    QTest::addColumn<QByteArray>("included");
    QTest::addColumn<QStringList>("names");
    QTest::newRow("alias") << QByteArray("Host Web3.Example\n") << QByteArray() << QStringList{u"web3.example"_s};
    QTest::newRow("host name and port") << QByteArray("Host vault\n HostName \" Vault.Internal\"\n Port 2222\n")
                                        << QByteArray() << QStringList{u"vault.internal"_s, u"[vault.internal]:2222"_s};
    QTest::newRow("port 22 is the plain name")
        << QByteArray("Host a\n Port 22\n") << QByteArray() << QStringList{u"a"_s};
    QTest::newRow("patterns, negations, quotes")
        << QByteArray("Host *.internal !b db? \"my host\" * c\n") << QByteArray() << QStringList{u"my host"_s, u"c"_s};
    QTest::newRow("%h for each alias") << QByteArray("Host h1 h2 *\n HostName %h.example.com\n") << QByteArray()
                                       << QStringList{u"h1.example.com"_s, u"h2.example.com"_s};
    QTest::newRow("token known only when connecting")
        << QByteArray("Host h1\n HostName %r.example\n") << QByteArray() << QStringList{};
    QTest::newRow("port from Host *") << QByteArray("Host a\nHost *\n Port 2200\n") << QByteArray()
                                      << QStringList{u"a"_s, u"[a]:2200"_s};
    QTest::newRow("host name from an included file, first value wins")
        << QByteArray("Include inc\nHost a\n HostName late.example\n")
        << QByteArray("Host a\n HostName Early.Example\n") << QStringList{u"early.example"_s};
    QTest::newRow("host name from Match host")
        << QByteArray("Host a\nMatch host a\n HostName m.example\n") << QByteArray() << QStringList{u"m.example"_s};
    QTest::newRow("HostKeyAlias alone, as ssh stores it")
        << QByteArray("Host a\n HostName x.example\n HostKeyAlias Keep\n Port 2222\n") << QByteArray()
        << QStringList{u"keep"_s};
}

void TestKnownHostKeysRow::namesAreThoseSshLooksUp()
{
    QFETCH(QByteArray, config);
    QFETCH(QByteArray, included);
    QFETCH(QStringList, names);
    QTemporaryDir dir;
    const Locations locations = Locations::forHome(dir.path(), dir.filePath(u"bin"_s));
    QVERIFY(QDir().mkpath(locations.sshDir));
    writeFile(locations.configFile, config);
    writeFile(locations.sshDir + u"/inc"_s, included);
    SSHConfigModel model(locations.configFile);
    ConfigSources sources(&model, locations);
    QCOMPARE(KnownHostKeysRow::namesFor(model.blocks().constFirst(), sources.resolver(), locations.userName), names);
}

// Forget leaves known_hosts as ssh-keygen -R leaves a copy, for each name of the host in turn,
// and the link to the file stays a link.
void TestKnownHostKeysRow::forgetRemovesWhatSshKeygenRemoves()
{
    if (!QFileInfo(KnownHostsSample::keygen).isExecutable())
        QSKIP("no ssh-keygen");
    QTemporaryDir dir;
    const QByteArray sample = KnownHostsSample::make(dir.path());
    QVERIFY(!sample.isEmpty());
    const QString target = dir.filePath(u"real_known_hosts"_s), path = dir.filePath(u"known_hosts"_s);
    const QString copy = dir.filePath(u"copy"_s);
    writeFile(target, sample);
    writeFile(copy, sample);
    QVERIFY(QFile::link(target, path));
    const Locations locations = Locations::forHome(dir.path(), dir.filePath(u"bin"_s));
    QVERIFY(QDir().mkpath(locations.sshDir));
    writeFile(locations.configFile, "Host vault\n  HostName Vault.Internal\n  Port 2222\nHost web3.example\n");
    SSHConfigModel config(locations.configFile);
    ConfigSources sources(&config, locations);
    KnownHostsModel knownHosts(path);
    KnownHostKeysRow row(&config, &knownHosts, &sources);
    row.show();
    auto *label = row.findChild<QLabel *>(u"knownHostKeysLabel"_s);
    Dialogs::reset();
    Dialogs::setTestMode(true);

    for (const HostBlock &block : config.blocks()) {
        row.setBlockId(block.id);
        const qsizetype before = sample.count('\n');
        for (const QString &name : KnownHostKeysRow::namesFor(block, sources.resolver(), locations.userName))
            KnownHostsSample::run({u"-R"_s, name, u"-f"_s, copy});
        const QByteArray expected = readFile(copy);
        QVERIFY(expected.count('\n') < before);
        QTRY_COMPARE(label->text(), u"Known host keys: %1"_s.arg(readFile(path).count('\n') - expected.count('\n')));

        Dialogs::setNextAnswer(u"Cancel"_s);
        row.forgetButton()->click();
        QCOMPARE(Dialogs::asked().constLast().buttons.value(Dialogs::asked().constLast().defaultChoice), u"Cancel"_s);
        Dialogs::setNextAnswer(u"Forget"_s);
        row.forgetButton()->click();
        QCOMPARE(readFile(target), expected);
        QVERIFY(QFileInfo(path).isSymLink());
        QCOMPARE(label->text(), u"Known host keys: 0"_s);
        QVERIFY(!row.forgetButton()->isEnabled());
    }
    Dialogs::reset();
}

QTEST_MAIN(TestKnownHostKeysRow)
#include "TestKnownHostKeysRow.moc"
