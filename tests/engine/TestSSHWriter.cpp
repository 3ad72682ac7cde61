#include "EngineTest.h"
#include "engine/ConfigSyntax.h"
#include "engine/SSHParser.h"

#include <QtTest>

class TestSSHWriter : public QObject
{
    Q_OBJECT
private slots:
    void render();
    void quoting_data();
    void quoting();
    void refusesUnwritableBlocksBeforeTouchingAnything();
};

void TestSSHWriter::render()
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

void TestSSHWriter::quoting_data()
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
    QTest::newRow("mixed quotes stay bare") << u"User"_s << u"\"x'"_s << u"\"x'"_s;
    QTest::newRow("blank at an end") << u"User"_s << u"\u00A0x"_s << u"\"\u00A0x\""_s;
}

void TestSSHWriter::quoting()
{
    QFETCH(QString, name);
    QFETCH(QString, value);
    QFETCH(QString, written);
    const QByteArray text = ConfigSyntax::render({block(u"h"_s, {{name, value}})});
    QCOMPARE(QString::fromUtf8(text), u"Host h\n    "_s + name + u' ' + written + u'\n');
    QCOMPARE(describe(SSHParser::parse(QString::fromUtf8(text))), describe({block(u"h"_s, {{name, value}})}));
}

void TestSSHWriter::refusesUnwritableBlocksBeforeTouchingAnything()
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

QTEST_GUILESS_MAIN(TestSSHWriter)
#include "TestSSHWriter.moc"
