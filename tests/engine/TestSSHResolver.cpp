#include "engine/SSHResolver.h"
#include "support/TestSupport.h"

#include <QFileInfo>
#include <QtTest>

using namespace Qt::StringLiterals;

// The resolver's rules one by one; the comparison with ssh itself over real files is
// TestResolverCorpus.
class TestSSHResolver final : public QObject
{
    Q_OBJECT
private slots:
    void resolves_data();
    void resolves();
    void reportsMatchExec();
    void listsIncludedHosts();
};

namespace {
    // "keyword value @file:line | ..." with the file's name only.
    QString describe(const Resolution &resolution)
    {
        QStringList parts;
        for (const ResolvedOption &o : resolution.options)
            parts.append(u"%1 %2 @%3:%4"_s.arg(o.keyword, o.value, QFileInfo(o.file).fileName()).arg(o.line));
        return parts.join(u" | "_s);
    }

    // Writes `files` ("name" -> text) below <dir>/.ssh and resolves `destination` with `config`.
    Resolution resolve(const QTemporaryDir &dir,
                       const QString &config,
                       const QString &destination,
                       const QList<std::pair<QString, QByteArray>> &files = {})
    {
        const QString ssh = dir.filePath(u".ssh"_s);
        for (const auto &[name, text] : files)
            TestSupport::writeFile(ssh + u'/' + name, text);
        const SSHResolver resolver(config, ssh + u"/config"_s, dir.path(), ssh);
        return resolver.resolve(destination, u"alice"_s);
    }
} // namespace

void TestSSHResolver::resolves_data()
{
    QTest::addColumn<QString>("config");
    QTest::addColumn<QString>("destination");
    QTest::addColumn<QString>("expected");

    // clang-format off
    QTest::newRow("first value wins; any case, =, ignored and empty keywords")
        << u"Host a\n  port 1\n  Protocol 2\n  User\nHost *\n  Port=2\n  User x\n"_s << u"a"_s
        << u"port 1 @config:2 | user x @config:7"_s;
    QTest::newRow("keywords ssh does not know give nothing")
        << u"Host *\n IgnoreUnknown UseKeychain\n UseKeychain yes\n AddKeysToAgent yes\n"_s << u"a"_s
        << u"ignoreunknown UseKeychain @config:2 | addkeystoagent yes @config:4"_s;
    QTest::newRow("aliases share the keyword's slot")
        << u"Host *\n ChallengeResponseAuthentication no\n KbdInteractiveAuthentication yes\n"_s << u"a"_s
        << u"kbdinteractiveauthentication no @config:2"_s;
    QTest::newRow("IdentityFile: each distinct value; SendEnv: -pattern removes; SetEnv: the first line")
        << u"Host *\n IdentityFile a\n IdentityFile \"/b c\"\n IdentityFile a\n SendEnv LANG LC_*\n SendEnv -LC_* X\n"
           u" SetEnv A=1 B=2\n SetEnv C=3\n"_s << u"a"_s
        << u"identityfile a @config:2 | identityfile /b c @config:3 | sendenv LANG @config:5 | sendenv X @config:6 | "
           u"setenv A=1 @config:7 | setenv B=2 @config:7"_s;
    QTest::newRow("several words: one with a blank stays quoted")
        << u"Host *\n UserKnownHostsFile a \"b c\" \"\"\n"_s << u"a"_s
        << u"userknownhostsfile a \"b c\" \"\" @config:2"_s;
    QTest::newRow("ProxyJump and ProxyCommand: the first of either, taken as written")
        << u"Host *\n ProxyCommand ssh -W \"%h:%p\" j # c\n ProxyJump k\n"_s << u"a"_s
        << u"proxycommand ssh -W \"%h:%p\" j # c @config:2"_s;
    QTest::newRow("several patterns; a negation vetoes the line")
        << u"Host x b?* !bad\n Port 1\nHost bat\n Port 2\n"_s << u"bad"_s << QString();
    QTest::newRow("several patterns; a wildcard matches")
        << u"Host x b?* !bad\n Port 1\n"_s << u"bat"_s << u"port 1 @config:2"_s;
    QTest::newRow("Host compares the name as typed, case and all")
        << u"Host web\n Port 1\n"_s << u"WEB"_s << QString();
    QTest::newRow("HostName expands %h and %%, in lower case")
        << u"Host *\n HostName %h.Example.%%\n"_s << u"Web"_s << u"hostname web.example.% @config:2"_s;
    QTest::newRow("user@host: its user wins and Match user sees it")
        << u"Match user root\n Port 2\nHost *\n User bob\n"_s << u"root@a"_s << u"port 2 @config:2"_s;
    QTest::newRow("Match host sees HostName so far; originalhost the name typed")
        << u"Host a\n HostName %h.lan\nMatch host a.lan originalhost A\n Port 3\n"_s << u"a"_s
        << u"hostname a.lan @config:2 | port 3 @config:4"_s;
    QTest::newRow("Match localuser, negated list, = in criteria, comment")
        << u"Match localuser=bob,alice !host x # no\n Port 4\n"_s << u"a"_s << u"port 4 @config:2"_s;
    QTest::newRow("Match all alone; combined is refused; !all never matches")
        << u"Match canonical !all\n Port 0\nMatch host a user alice all\n Port 1\nMatch all\n Port 2\n"_s << u"a"_s
        << u"port 2 @config:6"_s;
    QTest::newRow("Match final: a second pass with the final host name, lower case")
        << u"Host web\n Port 1\nMatch final\n User f\n IdentityFile x\nHost *\n IdentityFile x\n"_s << u"WEB"_s
        << u"identityfile x @config:7 | port 1 @config:2 | user f @config:4"_s;
    QTest::newRow("canonical matches in the pass CanonicalizeHostname brings")
        << u"Host *\n CanonicalizeHostname yes\nMatch canonical\n Port 6\n"_s << u"a"_s
        << u"canonicalizehostname yes @config:2 | port 6 @config:4"_s;
    QTest::newRow("Include outside a block, relative to ~/.ssh, then the rest of the file")
        << u"Include inc/*.conf\nPort 9\nUser u\n"_s << u"a"_s << u"port 1 @1.conf:2 | user two @2.conf:1"_s;
    QTest::newRow("Include inside a block that applies; its Match stays inside it")
        << u"Host a\n Include ~/.ssh/inc/2.conf\n Port 8\n"_s << u"a"_s
        << u"user two @2.conf:1 | port 8 @config:3"_s;
    QTest::newRow("Include inside a block that does not apply reads nothing")
        << u"Host b\n Include inc/1.conf\nHost *\n Port 7\n"_s << u"a"_s << u"port 7 @config:4"_s;
    // clang-format on
}

void TestSSHResolver::resolves()
{
    QFETCH(QString, config);
    QFETCH(QString, destination);
    QFETCH(QString, expected);
    QTemporaryDir dir;
    const QList<std::pair<QString, QByteArray>> files{
        {u"inc/1.conf"_s, "Host a\n  Port 1\n"},
        {u"inc/2.conf"_s, "User two\nMatch host nowhere\n Port 5\n"},
    };
    QCOMPARE(describe(resolve(dir, config, destination, files)), expected);
}

void TestSSHResolver::reportsMatchExec()
{
    QTemporaryDir dir;
    const QString marker = dir.filePath(u"ran"_s);
    // A command is reported where ssh would run it: not after a criterion that failed.
    const QString config =
        u"Match host a exec \"touch %1\"\n Port 7\n Include inc/x.conf\nMatch host b exec \"touch %1\"\n "
        u"User b\nHost *\n Port 2\n"_s.arg(marker);
    const Resolution r = resolve(dir, config, u"a"_s, {{u"inc/x.conf"_s, "Compression yes\n"}});
    QCOMPARE(describe(r), u"port 2 @config:7"_s);
    QCOMPARE(r.execCommands, QStringList{u"touch "_s + marker});
    QCOMPARE(r.execKeywords, (QStringList{u"port"_s, u"compression"_s}));
    QVERIFY(!QFileInfo::exists(marker));
    QVERIFY(SSHResolver(config, {}, dir.path(), dir.path()).runsCommands());
}

void TestSSHResolver::listsIncludedHosts()
{
    QTemporaryDir dir;
    TestSupport::writeFile(dir.filePath(u"inc/b.conf"_s), "Host b2\n Port 2\n");
    TestSupport::writeFile(dir.filePath(u"inc/a.conf"_s),
                           "Include inc/b.conf\nHost a1 a2 # x\n User u\nMatch all\n Port 3\n");
    TestSupport::writeFile(dir.filePath(u"inc/loop.conf"_s), "Include inc/loop.conf\n");
    const SSHResolver resolver(u"Include inc/a.conf inc/loop.conf\nHost main\n"_s, u"config"_s, dir.path(), dir.path());
    const QString inc = dir.filePath(u"inc/"_s);
    QCOMPARE(resolver.includedFiles(), (QStringList{inc + u"a.conf"_s, inc + u"b.conf"_s, inc + u"loop.conf"_s}));
    const QList<IncludedHostBlock> blocks = resolver.includedHostBlocks();
    QCOMPARE(blocks.size(), 2);
    QCOMPARE(blocks[0].file, inc + u"b.conf"_s);
    QCOMPARE(blocks[1].line, 2);
    QCOMPARE(blocks[1].block.pattern, u"a1 a2"_s);
    QCOMPARE(blocks[1].block.options, (QList<HostOption>{{u"User"_s, u"u"_s}}));
    QCOMPARE(blocks[1].lastLine, 3); // the Match section after it is not the host's
    // The loop stops at ssh's depth limit, and says so.
    QCOMPARE(resolver.includeErrors().size(), 1);
}

QTEST_GUILESS_MAIN(TestSSHResolver)
#include "TestSSHResolver.moc"
