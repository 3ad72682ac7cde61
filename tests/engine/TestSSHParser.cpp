#include "engine/ConfigDocument.h"
#include "engine/SSHParser.h"

#include <QtTest>

using namespace Qt::StringLiterals;

// Blocks as one comparable text: "pattern{Key=value|Key=value}" with the keys sorted.
static QString describe(const QList<HostBlock> &blocks)
{
    QStringList parts;
    for (const HostBlock &block : blocks) {
        QStringList options;
        for (auto it = block.options.cbegin(); it != block.options.cend(); ++it)
            options.append(it.key() + u'=' + it.value());
        options.sort();
        parts.append(block.pattern + u'{' + options.join(u'|') + u'}');
    }
    return parts.join(u' ');
}

class TestSSHParser : public QObject
{
    Q_OBJECT
private slots:
    void parse_data();
    void parse();
    void carriedLines();
    void subtitle();
};

void TestSSHParser::parse_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");

    QTest::newRow("empty") << QString() << QString();
    QTest::newRow("blanks and comments") << u" \t\n# Host a\n\u00A0\n\r\n  # User x\n"_s << QString();
    QTest::newRow("options before the first header") << u"User root\nHost a\nPort 2\n"_s << u"a{Port=2}"_s;
    QTest::newRow("header in capitals") << u"HOST Web\nUser x"_s << u"Web{User=x}"_s;
    QTest::newRow("header with a tab") << u"Host\tweb"_s << u"web{}"_s;
    QTest::newRow("header with =") << u"Host=web\nHost = web2\nHost= web3"_s << u"web{} web2{} web3{}"_s;
    QTest::newRow("HostName is an option") << u"Host a\nHostName h"_s << u"a{HostName=h}"_s;
    QTest::newRow("bare Host opens nothing") << u"Host a\nUser x\nHost\nPort 1"_s << u"a{Port=1|User=x}"_s;
    QTest::newRow("several patterns") << u"Host a b  c  "_s << u"a b  c{}"_s;
    QTest::newRow("first value wins") << u"Host a\nIdentityFile one\nIdentityFile two"_s << u"a{IdentityFile=one}"_s;
    QTest::newRow("names are case-sensitive") << u"Host a\nUser admin\nuser root"_s << u"a{User=admin|user=root}"_s;
    QTest::newRow("whole rest is the value") << u"Host a\nProxyCommand ssh -W %h:%p -o StrictHostKeyChecking=no gw"_s
                                             << u"a{ProxyCommand=ssh -W %h:%p -o StrictHostKeyChecking=no gw}"_s;
    QTest::newRow("separators") << u"Host a\nA=1\nB = 2\nC= 3\nD =4\nE==5\nSetEnv MY_VAR=hello"_s
                                << u"a{A=1|B=2|C=3|D=4|E==5|SetEnv=MY_VAR=hello}"_s;
    QTest::newRow("quotes") << u"Host a\nA \"x y\"\nB 'x'\nC \"x'\nD \"\"\nE \"\nF \"in\"side\""_s
                            << u"a{A=x y|B=x|C=\"x'|E=\"|F=in\"side}"_s;
    QTest::newRow("hash inside a value") << u"Host a\nPort 22 # ssh"_s << u"a{Port=22 # ssh}"_s;
    QTest::newRow("CR LF") << u"Host a\r\nUser x\r\n\r\nHost b\r\nPort 1\r\n"_s << u"a{User=x} b{Port=1}"_s;
    QTest::newRow("same pattern twice") << u"Host a\nHost a"_s << u"a{} a{}"_s;
    QTest::newRow("unicode blanks") << u"\u3000Host \u00A0web\u2003\n\tUser \u00A0admin\u202F\n"_s
                                    << u"web{User=admin}"_s;
    QTest::newRow("no-break space is no keyword end") << u"Host a\nUser\u00A0admin"_s << u"a{}"_s;
    QTest::newRow("every line break") << u"Host a\u2028A 1\u0085B 2\u000BC 3\u000CD 4\rE 5\u2029F 6"_s
                                      << u"a{A=1|B=2|C=3|D=4|E=5|F=6}"_s;
    QTest::newRow("value without a name or value") << u"Host a\n=x\nUser\nPort ''"_s << u"a{}"_s;
    QTest::newRow("Match is carried, not an option")
        << u"Host a\nUser x\nMatch host b\n  User y\nHost c\nPort 1"_s << u"a{User=x} c{Port=1}"_s;
    QTest::newRow("pattern starting with =") << u"Host==x"_s << u"=x{}"_s;
}

void TestSSHParser::parse()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);
    const QList<HostBlock> blocks = SSHParser::parse(text);
    QCOMPARE(describe(blocks), expected);
    QSet<QUuid> ids;
    for (const HostBlock &block : blocks) {
        QCOMPARE(block.id.version(), QUuid::Random);
        QCOMPARE(block.id.variant(), QUuid::DCE);
        ids.insert(block.id);
    }
    QCOMPARE(ids.size(), blocks.size());
}

void TestSSHParser::carriedLines()
{
    {
        // Lines before the first header, verbatim; a CR LF pair ends one line.
        const ParsedConfig parsed =
            SSHParser::parseDocument(u"# mine\r\nInclude conf.d/*\r\n\r\n  ServerAliveInterval 5\r\nHost a\r\n"_s);
        QCOMPARE(parsed.carried.leading,
                 QStringList({u"# mine"_s, u"Include conf.d/*"_s, QString(), u"  ServerAliveInterval 5"_s}));
        QCOMPARE(describe(parsed.blocks), u"a{}"_s);
        QVERIFY(parsed.carried.after.isEmpty());
    }
    {
        // A Match section joins the block before it up to the next header, comments included;
        // trailing blank lines are the separator, not part of it.
        const ParsedConfig parsed = SSHParser::parseDocument(
            u"Host a\nUser x\n\nmatch user bob\n  # note\n\n  Port 7\n\n\nHost b\nMATCH=all\nUser z\n"_s);
        QCOMPARE(describe(parsed.blocks), u"a{User=x} b{}"_s);
        QCOMPARE(parsed.carried.after.value(parsed.blocks[0].id),
                 QStringList({u"match user bob"_s, u"  # note"_s, QString(), u"  Port 7"_s}));
        QCOMPARE(parsed.carried.after.value(parsed.blocks[1].id), QStringList({u"MATCH=all"_s, u"User z"_s}));
        QVERIFY(parsed.carried.leading.isEmpty());
    }
    {
        // With no header at all everything is carried, and a Match before the first header too.
        const ParsedConfig parsed = SSHParser::parseDocument(u"Match all\nUser q\nHost\n"_s);
        QVERIFY(parsed.blocks.isEmpty());
        QCOMPARE(parsed.carried.leading, QStringList({u"Match all"_s, u"User q"_s, u"Host"_s}));
    }
}

void TestSSHParser::subtitle()
{
    auto block = [](std::initializer_list<std::pair<QString, QString>> options) {
        HostBlock b;
        for (const auto &[key, value] : options)
            b.options.insert(key, value);
        return b;
    };
    QCOMPARE(block({{u"User"_s, u"deploy"_s}, {u"HostName"_s, u"db1"_s}, {u"Port"_s, u"2222"_s}}).subtitle(),
             u"deploy@db1:2222"_s);
    QCOMPARE(block({{u"HostName"_s, u"h"_s}}).subtitle(), u"h"_s);
    QCOMPARE(block({{u"User"_s, u"u"_s}, {u"Port"_s, u"1"_s}}).subtitle(), QString());
    QCOMPARE(block({{u"HostName"_s, u"h"_s}, {u"Port"_s, QString()}}).subtitle(), u"h:"_s);
    QCOMPARE(block({{u"user"_s, u"u"_s}, {u"HostName"_s, u"h"_s}}).subtitle(), u"h"_s);

    HostBlock global;
    global.pattern = u"*"_s;
    QCOMPARE(global.displayName(), u"* (Global Defaults)"_s);
    global.pattern = u"* "_s;
    QCOMPARE(global.displayName(), u"* "_s);
}

QTEST_GUILESS_MAIN(TestSSHParser)
#include "TestSSHParser.moc"
