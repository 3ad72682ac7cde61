#include "engine/KeyUsage.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

#include <pwd.h>

using namespace Qt::StringLiterals;

class TestKeyUsage final : public QObject
{
    Q_OBJECT
private slots:
    void expandsAsSshDoes_data();
    void expandsAsSshDoes();
    void findsTheHostsOfAKey();
    void aliasesLeaveOutPatterns();
};

void TestKeyUsage::expandsAsSshDoes_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("path");
    QTest::newRow("tilde") << u"~/.ssh/id"_s << u"/home/sam/.ssh/id"_s;
    QTest::newRow("tokens") << u"%d/.ssh/id_%u"_s << u"/home/sam/.ssh/id_sam"_s;
    QTest::newRow("percent") << u"/keys/100%%/k"_s << u"/keys/100%/k"_s;
    QTest::newRow("cleaned") << u"~/.ssh/../.ssh//id"_s << u"/home/sam/.ssh/id"_s;
    QTest::newRow("other user") << u"~root/k"_s << QString::fromLocal8Bit(::getpwnam("root")->pw_dir) + u"/k"_s;
    QTest::newRow("unknown user") << u"~no-such-user-here/k"_s << QString();
    QTest::newRow("per host") << u"~/.ssh/id_%h"_s << QString();
    QTest::newRow("variable") << u"${HOME}/.ssh/id"_s << QString();
    QTest::newRow("trailing percent") << u"/k%"_s << QString();
    QTest::newRow("none") << u"NONE"_s << QString();
    QTest::newRow("relative") << u".ssh/id"_s << QString();
}

void TestKeyUsage::expandsAsSshDoes()
{
    QFETCH(QString, value);
    QFETCH(QString, path);
    QCOMPARE(KeyUsage::expandedPath(value, u"/home/sam"_s, u"sam"_s), path);
}

void TestKeyUsage::findsTheHostsOfAKey()
{
    // The key directory is reached through a link, as a home on another disk often is.
    QTemporaryDir dir;
    const QString home = dir.filePath(u"home"_s);
    QVERIFY(QDir().mkpath(dir.filePath(u"disk/.ssh"_s)));
    QVERIFY(QFile::link(dir.filePath(u"disk"_s), home));
    const QString key = home + u"/.ssh/id_work"_s;
    QFile(key).open(QIODevice::WriteOnly);
    const QString real = dir.filePath(u"disk/.ssh/id_work"_s);

    const QList<HostBlock> blocks{
        {.pattern = u"*"_s, .options = {{u"IdentityFile"_s, u"~/.ssh/id_work"_s}}},
        {.pattern = u"web"_s,
         .options = {{u"identityfile"_s, u"~/.ssh/other"_s}, {u"IdentityFile"_s, u"%d/.ssh/id_work.pub"_s}}},
        {.pattern = u"db"_s, .options = {{u"CertificateFile"_s, u"~/.ssh/id_work-cert.pub"_s}}},
        {.pattern = u"via-link"_s, .options = {{u"IdentityFile"_s, real}}},
        {.pattern = u"web"_s, .options = {{u"IdentityFile"_s, u"~/.ssh/id_work"_s}}}, // named once
        {.pattern = u"near"_s, .options = {{u"IdentityFile"_s, u"~/.ssh/id_work2"_s}, {u"HostName"_s, key}}},
        {.pattern = u"per-host"_s, .options = {{u"IdentityFile"_s, u"~/.ssh/id_%h"_s}}},
    };
    QCOMPARE(KeyUsage::hostsUsing(blocks, key, home, u"sam"_s),
             (QStringList{u"* (Global Defaults)"_s, u"web"_s, u"db"_s, u"via-link"_s}));
    QCOMPARE(KeyUsage::hostsUsing(blocks, home + u"/.ssh/missing"_s, home, u"sam"_s), QStringList());
}

void TestKeyUsage::aliasesLeaveOutPatterns()
{
    const QList<HostBlock> blocks{
        {.pattern = u"web-1  web-2\tprod-*"_s, .options = {}},
        {.pattern = u"*"_s, .options = {}},
        {.pattern = u"db? !bastion bastion -oProxyCommand=x \"quoted\" # comment"_s, .options = {}},
        {.pattern = u"web-2"_s, .options = {}}};
    QCOMPARE(KeyUsage::aliases(blocks), (QStringList{u"web-1"_s, u"web-2"_s, u"bastion"_s, u"quoted"_s}));
}

QTEST_GUILESS_MAIN(TestKeyUsage)
#include "TestKeyUsage.moc"
