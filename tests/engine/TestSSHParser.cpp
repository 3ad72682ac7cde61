#include "EngineTest.h"
#include "engine/SSHParser.h"

#include <QtTest>

class TestSSHParser : public QObject
{
    Q_OBJECT
private slots:
    void parse_data();
    void parse();
    void lookups();
    void subtitle();
};

void TestSSHParser::parse_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");

    QTest::newRow("empty") << QString() << QString();
    QTest::newRow("blanks and comments") << u" \t\n# Host a\n\u00A0\n\r\n  # User x\n"_s << QString();
    QTest::newRow("options before the first header") << u"User root\nHost a\nPort 2\n"_s << u"a{Port=2}"_s;
    QTest::newRow("header spellings") << u"HOST Web\nUser x\nHost\tweb\nHost=w1\nHost = w2\nHost= w3\nHost==x"_s
                                      << u"Web{User=x} web{} w1{} w2{} w3{} =x{}"_s;
    QTest::newRow("HostName is an option, bare Host opens nothing")
        << u"Host a\nHostName h\nHost\nPort 1"_s << u"a{HostName=h|Port=1}"_s;
    QTest::newRow("several patterns, same twice") << u"Host a b  c  \nHost a\nHost a"_s << u"a b  c{} a{} a{}"_s;
    QTest::newRow("a comment ends the patterns")
        << u"Host a b\t# lab\nHost a#b\nHost # only"_s << u"a b{} a#b{} # only{}"_s;
    QTest::newRow("every line kept, in file order")
        << u"Host a\nIdentityFile one\nIdentityFile two\nUser admin\nuser root"_s
        << u"a{IdentityFile=one|IdentityFile=two|User=admin|user=root}"_s;
    QTest::newRow("whole rest is the value") << u"Host a\nProxyCommand ssh -W %h:%p -o StrictHostKeyChecking=no gw"_s
                                             << u"a{ProxyCommand=ssh -W %h:%p -o StrictHostKeyChecking=no gw}"_s;
    QTest::newRow("separators") << u"Host a\nA=1\nB = 2\nC= 3\nD =4\nE==5\nSetEnv MY_VAR=hello"_s
                                << u"a{A=1|B=2|C=3|D=4|E==5|SetEnv=MY_VAR=hello}"_s;
    QTest::newRow("quotes") << u"Host a\nA \"x y\"\nB 'x'\nC \"x'\nD \"\"\nE \"\nF \"in\"side\""_s
                            << u"a{A=x y|B=x|C=\"x'|E=\"|F=in\"side}"_s;
    QTest::newRow("hash inside a value") << u"Host a\nPort 22 # ssh"_s << u"a{Port=22 # ssh}"_s;
    QTest::newRow("CR LF") << u"Host a\r\nUser x\r\n\r\nHost b\r\nPort 1\r\n"_s << u"a{User=x} b{Port=1}"_s;
    QTest::newRow("unicode blanks") << u"\u3000Host \u00A0web\u2003\n\tUser \u00A0admin\u202F\n"_s
                                    << u"web{User=admin}"_s;
    QTest::newRow("no-break space is no keyword end") << u"Host a\nUser\u00A0admin"_s << u"a{}"_s;
    QTest::newRow("every line break") << u"Host a\u2028A 1\u0085B 2\u000BC 3\u000CD 4\rE 5\u2029F 6"_s
                                      << u"a{A=1|B=2|C=3|D=4|E=5|F=6}"_s;
    QTest::newRow("value without a name or value") << u"Host a\n=x\nUser\nPort ''"_s << u"a{}"_s;
    QTest::newRow("Match is a section of its own")
        << u"Host a\nUser x\nMatch host b\n  User y\nHost c\nPort 1"_s << u"a{User=x} c{Port=1}"_s;
}

void TestSSHParser::parse()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);
    const QList<HostBlock> blocks = SSHParser::parse(text);
    QCOMPARE(describe(blocks), expected);
    QSet<QUuid> ids;
    for (const HostBlock &b : blocks)
        ids.insert(b.id);
    QCOMPARE(ids.size(), blocks.size());
}

void TestSSHParser::lookups()
{
    // ssh takes the first line of a keyword in any letter case.
    const HostBlock b = block(u"a"_s,
                              {{u"user"_s, u"labuser"_s},
                               {u"IdentityFile"_s, u"~/one"_s},
                               {u"User"_s, u"admin"_s},
                               {u"identityfile"_s, u"~/two"_s}});
    QCOMPARE(b.value(u"USER"), u"labuser"_s);
    QCOMPARE(b.value(u"Port"), std::nullopt);
    QCOMPARE(b.values(u"IdentityFile"), QStringList({u"~/one"_s, u"~/two"_s}));
    // Only ASCII letters fold, as strcasecmp does.
    QVERIFY(!SSHKeyword::equal(u"\u00C9", u"\u00E9"));
}

void TestSSHParser::subtitle()
{
    QCOMPARE(block({}, {{u"User"_s, u"deploy"_s}, {u"HostName"_s, u"db1"_s}, {u"Port"_s, u"2222"_s}}).subtitle(),
             u"deploy@db1:2222"_s);
    QCOMPARE(block({}, {{u"HostName"_s, u"h"_s}}).subtitle(), u"h"_s);
    QCOMPARE(block({}, {{u"User"_s, u"u"_s}, {u"Port"_s, u"1"_s}}).subtitle(), QString());
    QCOMPARE(block({}, {{u"HostName"_s, u"h"_s}, {u"Port"_s, QString()}}).subtitle(), u"h:"_s);
    QCOMPARE(
        block({}, {{u"user"_s, u"u"_s}, {u"hostname"_s, u"h"_s}, {u"Port"_s, u"2"_s}, {u"port"_s, u"3"_s}}).subtitle(),
        u"u@h:2"_s);
    QCOMPARE(block(u"*"_s).displayName(), u"* (Global Defaults)"_s);
    QCOMPARE(block(u"* "_s).displayName(), u"* "_s);
}

QTEST_GUILESS_MAIN(TestSSHParser)
#include "TestSSHParser.moc"
