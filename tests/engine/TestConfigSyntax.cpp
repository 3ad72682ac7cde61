#include "EngineTest.h"
#include "engine/ConfigSyntax.h"
#include "engine/OptionCatalogue.h"
#include "engine/SSHParser.h"

#include <QtTest>

// The config text as ssh reads it and as the writer puts it, and the option tables the form uses.
class TestConfigSyntax : public QObject
{
    Q_OBJECT
private slots:
    void parse_data();
    void parse();
    void lookups();
    void render();
    void quoting_data();
    void quoting();
    void refusesUnwritableBlocksBeforeTouchingAnything();
    void optionTablesAgree();
};

void TestConfigSyntax::parse_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");

    QTest::newRow("blanks and comments") << u" \t\n# Host a\n\u00A0\n\r\n  # User x\n"_s << QString();
    QTest::newRow("options before the first header") << u"User root\nHost a\nPort 2\n"_s << u"a{Port=2}"_s;
    QTest::newRow("header spellings") << u"HOST Web\nUser x\nHost\tweb\nHost=w1\nHost = w2\nHost= w3\nHost==x"_s
                                      << u"Web{User=x} web{} w1{} w2{} w3{} =x{}"_s;
    QTest::newRow("HostName is an option, bare Host opens nothing")
        << u"Host a\nHostName h\nHost\nPort 1"_s << u"a{HostName=h|Port=1}"_s;
    QTest::newRow("several patterns, same twice; a comment ends them")
        << u"Host a b  c  \nHost a\nHost a b\t# lab\nHost a#b\nHost # only"_s << u"a b  c{} a{} a b{} a#b{} # only{}"_s;
    QTest::newRow("every line kept, in file order")
        << u"Host a\nIdentityFile one\nIdentityFile two\nUser admin\nuser root"_s
        << u"a{IdentityFile=one|IdentityFile=two|User=admin|user=root}"_s;
    QTest::newRow("whole rest is the value") << u"Host a\nProxyCommand ssh -W %h:%p -o X=no gw\nPort 22 # ssh"_s
                                             << u"a{ProxyCommand=ssh -W %h:%p -o X=no gw|Port=22 # ssh}"_s;
    QTest::newRow("separators") << u"Host a\nA=1\nB = 2\nC= 3\nD =4\nE==5\nSetEnv MY_VAR=hello"_s
                                << u"a{A=1|B=2|C=3|D=4|E==5|SetEnv=MY_VAR=hello}"_s;
    QTest::newRow("quotes") << u"Host a\nA \"x y\"\nB 'x'\nC \"x'\nD \"\"\nE \"\nF \"in\"side\""_s
                            << u"a{A=x y|B=x|C=\"x'|E=\"|F=in\"side}"_s;
    QTest::newRow("CR LF") << u"Host a\r\nUser x\r\n\r\nHost b\r\nPort 1\r\n"_s << u"a{User=x} b{Port=1}"_s;
    QTest::newRow("unicode blanks, but none ends a keyword")
        << u"\u3000Host \u00A0web\u2003\n\tUser \u00A0admin\u202F\nPort\u00A022"_s << u"web{User=admin}"_s;
    QTest::newRow("every line break") << u"Host a\u2028A 1\u0085B 2\u000BC 3\u000CD 4\rE 5\u2029F 6"_s
                                      << u"a{A=1|B=2|C=3|D=4|E=5|F=6}"_s;
    QTest::newRow("value without a name or value") << u"Host a\n=x\nUser\nPort ''"_s << u"a{}"_s;
    QTest::newRow("Match is a section of its own")
        << u"Host a\nUser x\nMatch host b\n  User y\nHost c\nPort 1"_s << u"a{User=x} c{Port=1}"_s;
}

void TestConfigSyntax::parse()
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

void TestConfigSyntax::lookups()
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

    // The list's subtitle: the first line of each, in any letter case; nothing without a host name.
    QCOMPARE(
        block({}, {{u"user"_s, u"u"_s}, {u"hostname"_s, u"h"_s}, {u"Port"_s, u"2"_s}, {u"port"_s, u"3"_s}}).subtitle(),
        u"u@h:2"_s);
    QCOMPARE(block({}, {{u"HostName"_s, u"h"_s}}).subtitle(), u"h"_s);
    QCOMPARE(block({}, {{u"User"_s, u"u"_s}, {u"Port"_s, u"1"_s}}).subtitle(), QString());
    QCOMPARE(block(u"*"_s).displayName(), u"* (Global Defaults)"_s);
    QCOMPARE(block(u"* "_s).displayName(), u"* "_s);
}

void TestConfigSyntax::render()
{
    // Table order first, then the rest by code point: upper-case initials before lower-case,
    // and a character beyond U+FFFF after U+FFxx although its UTF-16 code units are smaller.
    HostBlock web = block(u"web"_s, {{u"User"_s, u"deploy"_s}, {u"HostName"_s, u"db1"_s}, {u"Port"_s, u"22"_s}});
    for (const QString &name : {u"b"_s, u"Zoption"_s, u"A"_s, u"user"_s, u"x\U0001F600"_s, u"x\uFF21"_s})
        web.options.append({name, u"1"_s});
    const HostBlock global = block(u"*"_s, {{u"ServerAliveInterval"_s, u"60"_s}});
    QCOMPARE(QString::fromUtf8(ConfigSyntax::render({web, global, block(u"bare"_s)})),
             u"Host web\n    HostName db1\n    User deploy\n    Port 22\n    A 1\n    Zoption 1\n    b 1\n"
             "    user 1\n    x\uFF21 1\n    x\U0001F600 1\n\nHost *\n    ServerAliveInterval 60\n\nHost bare\n"_s);
    QCOMPARE(ConfigSyntax::render({block(u"a"_s, {{u"Empty"_s, QString()}})}), "Host a\n    Empty \n");
    // IgnoreUnknown only covers the options after it, whatever its letter case.
    HostBlock mac = block(u"mac"_s, {{u"UseKeychain"_s, u"yes"_s}, {u"HostName"_s, u"m"_s}});
    mac.options.append({u"ignoreUnknown"_s, u"UseKeychain"_s});
    QCOMPARE(ConfigSyntax::render({mac}),
             "Host mac\n    ignoreUnknown UseKeychain\n    HostName m\n    UseKeychain yes\n");
    // Repeated lines keep their order.
    QCOMPARE(ConfigSyntax::render(
                 {block(u"r"_s, {{u"IdentityFile"_s, u"b"_s}, {u"User"_s, u"u"_s}, {u"IdentityFile"_s, u"a"_s}})}),
             "Host r\n    User u\n    IdentityFile b\n    IdentityFile a\n");
}

void TestConfigSyntax::quoting_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("written");

    QTest::newRow("path with a space") << u"IdentityFile"_s << u"~/my key"_s << u"\"~/my key\""_s;
    QTest::newRow("path in any case") << u"identityfile"_s << u"~/a\tb"_s << u"\"~/a\tb\""_s;
    QTest::newRow("control path") << u"ControlPath"_s << u"/tmp/c %r@%h"_s << u"\"/tmp/c %r@%h\""_s;
    QTest::newRow("trailing comment") << u"IdentityFile"_s << u"~/.ssh/id_work # laptop key"_s
                                      << u"~/.ssh/id_work # laptop key"_s;
    QTest::newRow("escaped space") << u"IdentityFile"_s << u"~/my\\ key"_s << u"~/my\\ key"_s;
    QTest::newRow("quoted part") << u"IdentityFile"_s << u"~/\"my key\""_s << u"~/\"my key\""_s;
    QTest::newRow("no-break space joins") << u"IdentityFile"_s << u"~/my\u00A0key"_s << u"~/my\u00A0key"_s;
    QTest::newRow("command stays bare") << u"ProxyCommand"_s << u"ssh -W %h:%p gw"_s << u"ssh -W %h:%p gw"_s;
    QTest::newRow("leading =") << u"User"_s << u"=x"_s << u"\"=x\""_s;
    QTest::newRow("enclosed in double quotes") << u"User"_s << u"\"x\""_s << u"\"\"x\"\""_s;
    QTest::newRow("blank at an end") << u"User"_s << u"\u00A0x"_s << u"\"\u00A0x\""_s;
}

void TestConfigSyntax::quoting()
{
    QFETCH(QString, name);
    QFETCH(QString, value);
    QFETCH(QString, written);
    const QByteArray text = ConfigSyntax::render({block(u"h"_s, {{name, value}})});
    QCOMPARE(QString::fromUtf8(text), u"Host h\n    "_s + name + u' ' + written + u'\n');
    QCOMPARE(describe(SSHParser::parse(QString::fromUtf8(text))), describe({block(u"h"_s, {{name, value}})}));
}

void TestConfigSyntax::refusesUnwritableBlocksBeforeTouchingAnything()
{
    // Line breaks would inject lines; the last four, written bare, would open a new section or
    // lose the block's options to the host before it.
    const QList<std::pair<HostBlock, QStringList>> cases = {
        {block(u"web"_s, {{u"User"_s, u"x\nHost evil"_s}}), {u"web"_s, u"User"_s}},
        {block(u"web"_s, {{u"Local\u2028Command"_s, u"x"_s}}), {u"web"_s, u"Local"_s}},
        {block(u"web\r\nProxyCommand evil"_s), {u"web"_s}},
        {block(u"web"_s, {{u"ProxyCommand"_s, u"a\u0085b"_s}}), {u"web"_s, u"ProxyCommand"_s}},
        {block(u"web"_s, {{u"host"_s, u"evil"_s}}), {u"web"_s, u"host"_s}},
        {block(u"web"_s, {{u"Match all"_s, u"x"_s}}), {u"web"_s, u"Match all"_s}},
        {block(u"web"_s, {{u" "_s, u"Host evil"_s}}), {u"web"_s}},
        {block(u" \u00A0"_s, {{u"Port"_s, u"1"_s}}), {u"2"_s}},
    };
    for (const auto &[bad, mentions] : cases) {
        QTemporaryDir dir;
        const auto error = SSHParser::write({block(u"ok"_s), bad}, dir.filePath(u"missing/config"_s));
        QVERIFY(error);
        for (const QString &word : mentions)
            QVERIFY2(error->contains(word), qPrintable(*error));
        QVERIFY(!QFileInfo::exists(dir.filePath(u"missing"_s)));

        writeFile(dir.filePath(u"config"_s), "Host keep\n");
        QVERIFY(SSHParser::write({bad}, dir.filePath(u"config"_s)));
        QCOMPARE(readFile(dir.filePath(u"config"_s)), "Host keep\n");
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{u"config"_s});
    }
}

void TestConfigSyntax::optionTablesAgree()
{
    using namespace OptionCatalogue;
    // Every key the editor looks up must be one it can show, and the other way round.
    QStringList all;
    for (const OptionSection &section : optionSections()) {
        all += section.keys;
        QVERIFY2(sectionCommonKeys().contains(section.title), qPrintable(section.title));
        for (const QString &key : sectionCommonKeys().value(section.title))
            QVERIFY2(section.keys.contains(key), qPrintable(key));
    }
    // Not UseKeychain, which the OpenSSH of Linux refuses.
    QVERIFY(!allKnownKeys().contains(u"UseKeychain"_s));
    QCOMPARE(allKnownKeys(), QSet<QString>(all.cbegin(), all.cend()));

    for (auto it = optionPickerValues().cbegin(); it != optionPickerValues().cend(); ++it)
        QVERIFY2(allKnownKeys().contains(it.key()), qPrintable(it.key()));
    QCOMPARE(QSet<QString>(optionHelp().keyBegin(), optionHelp().keyEnd()), allKnownKeys());
}

QTEST_GUILESS_MAIN(TestConfigSyntax)
#include "TestConfigSyntax.moc"
