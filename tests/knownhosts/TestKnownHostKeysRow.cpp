#include "KnownHostsSample.h"
#include "engine/HostBlock.h"
#include "engine/SSHConfigModel.h"
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

void TestKnownHostKeysRow::namesAreThoseSshLooksUp_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("hostName");
    QTest::addColumn<QString>("port");
    QTest::addColumn<QStringList>("names");
    QTest::newRow("alias") << u"Web3.Example"_s << QString() << QString() << QStringList{u"web3.example"_s};
    QTest::newRow("host name and port") << u"vault"_s << u" Vault.Internal "_s << u"2222"_s
                                        << QStringList{u"vault.internal"_s, u"[vault.internal]:2222"_s};
    QTest::newRow("port 22 is the plain name") << u"a"_s << QString() << u"22"_s << QStringList{u"a"_s};
    QTest::newRow("patterns and negations name no host")
        << u"*.internal !b db? * c"_s << QString() << QString() << QStringList{u"c"_s};
    QTest::newRow("%h for each alias") << u"h1 h2 *"_s << u"%h.example.com%%"_s << QString()
                                       << QStringList{u"h1.example.com%"_s, u"h2.example.com%"_s};
    QTest::newRow("token known only when connecting") << u"h1"_s << u"%r.example"_s << QString() << QStringList{};
}

void TestKnownHostKeysRow::namesAreThoseSshLooksUp()
{
    QFETCH(QString, pattern);
    QFETCH(QString, hostName);
    QFETCH(QString, port);
    QFETCH(QStringList, names);
    HostBlock block;
    block.pattern = pattern;
    if (!hostName.isNull())
        block.options.append({u"HostName"_s, hostName});
    if (!port.isNull())
        block.options.append({u"Port"_s, port});
    QCOMPARE(KnownHostKeysRow::namesFor(block), names);
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
    writeFile(dir.filePath(u"config"_s), "Host vault\n  HostName Vault.Internal\n  Port 2222\nHost web3.example\n");
    SSHConfigModel config(dir.filePath(u"config"_s));
    KnownHostsModel knownHosts(path);
    KnownHostKeysRow row(&config, &knownHosts);
    row.show();
    auto *label = row.findChild<QLabel *>(u"knownHostKeysLabel"_s);
    Dialogs::reset();
    Dialogs::setTestMode(true);

    for (const HostBlock &block : config.blocks()) {
        row.setBlockId(block.id);
        const qsizetype before = sample.count('\n');
        for (const QString &name : KnownHostKeysRow::namesFor(block))
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
