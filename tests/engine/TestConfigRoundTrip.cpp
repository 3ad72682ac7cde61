#include "EngineTest.h"
#include "engine/SSHConfigModel.h"
#include "engine/SSHParser.h"

#include <QtTest>

#include <string_view>

namespace {
    // Random configs inside the read-back conditions, with everything else the reader is touchy
    // about: Unicode blanks, quotes, "=", "#", surrogate pairs, blanks at the ends of values, Match
    // sections. Inside means no line breaks, no blanks at the ends of patterns, no leading "=",
    // names that are neither Host nor Match and hold no blank, "=" or leading "#".
    struct Generator {
        QRandomGenerator random;

        int below(int n)
        {
            return int(random.bounded(n));
        }

        QString text(int minLength, int maxLength, std::u32string_view alphabet)
        {
            QString s;
            for (int n = minLength + below(maxLength - minLength + 1); n > 0; --n)
                s += QString::fromUcs4(&alphabet[below(int(alphabet.size()))], 1);
            return s;
        }

        // A carried line: anything that is not a Host header.
        QString line()
        {
            for (;;) {
                const QString l = text(0, 24, U"abc HostMatch=\t#\"\u00A0é");
                if (SSHParser::parse(l).isEmpty() && !SSHParser::trimmed(l).startsWith(u"Host "_s))
                    return l;
            }
        }

        ParsedConfig config(int blockCount)
        {
            ParsedConfig config;
            for (int i = below(3); i > 0; --i)
                config.carried.leading.append(line());
            for (int i = 0; i < blockCount; ++i) {
                HostBlock b{SSHParser::newBlockId(), text(1, 8, U"abcXYZ019*?!.-_é日\U0001F600=#\"'"), {}};
                if (b.pattern.startsWith(u'='))
                    b.pattern.prepend(u'x');
                for (int n = below(3); n > 0; --n)
                    b.pattern += text(1, 3, U" \t\u00A0\u2003") + text(1, 8, U"abc*?!.-=#\"'");
                for (int j = below(9); j > 0; --j) {
                    QString name = text(1, 12, U"abcdeHMOSTXZ019_-.é\U0001F600#\"");
                    if (below(2) == 0)
                        name = QStringList{u"HostName"_s,
                                           u"IdentityFile"_s,
                                           u"ControlPath"_s,
                                           u"IgnoreUnknown"_s}[below(4)];
                    if (name.startsWith(u'#') || name.toLower() == u"host"_s || name.toLower() == u"match"_s)
                        name.prepend(u'N');
                    b.options.insert(name, text(1, 20, U"abcXYZ019 \t\u00A0\u3000=#\"'\\,:%/~é日\U0001F600"));
                }
                if (below(4) == 0) {
                    QStringList section{u"Match"_s + text(1, 2, U" \t=") + text(1, 10, U"ab =\"")};
                    for (int j = below(3); j > 0; --j)
                        section.append(line());
                    while (SSHParser::trimmed(section.constLast()).isEmpty())
                        section.removeLast();
                    config.carried.after.insert(b.id, section);
                }
                config.blocks.append(b);
            }
            return config;
        }
    };

    QString describe(const ParsedConfig &config)
    {
        return ::describe(config.blocks, config.carried);
    }

    QString sshOutput(const QString &config, const QString &alias)
    {
        QProcess ssh;
        ssh.start(u"ssh"_s, {u"-G"_s, u"-F"_s, config, alias});
        if (!ssh.waitForFinished(20000))
            return u"(ssh did not finish)"_s;
        return QString::fromUtf8(ssh.readAllStandardOutput() + ssh.readAllStandardError()) + u"exit "_s
               + QString::number(ssh.exitCode());
    }
} // namespace

class TestConfigRoundTrip : public QObject
{
    Q_OBJECT
private slots:
    void randomConfigsReadBack();
    void sshReadsTheSameAfterSave_data();
    void sshReadsTheSameAfterSave();
};

void TestConfigRoundTrip::randomConfigsReadBack()
{
    Generator gen{QRandomGenerator(20261206)};
    for (int round = 0; round < 3000; ++round) {
        const ParsedConfig config = gen.config(gen.below(6));
        QVERIFY(!SSHParser::validate(config.blocks));
        const QByteArray text = SSHParser::render(config.blocks, config.carried);
        const ParsedConfig back = SSHParser::parseDocument(QString::fromUtf8(text));
        QCOMPARE(describe(back), describe(config));
        QCOMPARE(SSHParser::render(back.blocks, back.carried), text);
    }

    // Large enough for reader and writer to split the work into pieces that must join exactly,
    // also with CR LF line ends; the line break check must cover every piece.
    ParsedConfig config = gen.config(16000);
    const QString text = QString::fromUtf8(SSHParser::render(config.blocks, config.carried));
    QVERIFY(text.size() > 3 * (1 << 19));
    QCOMPARE(describe(SSHParser::parseDocument(text)), describe(config));
    QCOMPARE(describe(SSHParser::parseDocument(QString(text).replace(u'\n', u"\r\n"_s))), describe(config));

    config.blocks[9000].options.insert(u"ProxyCommand"_s, u"a\nb"_s);
    config.blocks[15000].pattern = u"late\nHost x"_s;
    QTemporaryDir dir;
    const auto error = SSHParser::write(config.blocks, config.carried, dir.filePath(u"config"_s));
    QVERIFY(error && error->contains(u"ProxyCommand"_s));
    QVERIFY(!QFileInfo::exists(dir.filePath(u"config"_s)));
}

void TestConfigRoundTrip::sshReadsTheSameAfterSave_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QStringList>("aliases");
    QTest::newRow("work") << u"oracle-work.conf"_s
                          << QStringList{u"bastion"_s, u"db1.corp"_s, u"web.corp"_s, u"legacy.corp"_s, u"other"_s};
    QTest::newRow("home") << u"oracle-home.conf"_s << QStringList{u"pi"_s, u"pi.lan"_s, u"nas"_s, u"elsewhere"_s};
}

void TestConfigRoundTrip::sshReadsTheSameAfterSave()
{
    // ssh -G only prints the configuration it would use; it connects to nothing.
    if (QStandardPaths::findExecutable(u"ssh"_s).isEmpty())
        QSKIP("ssh is not installed");
    QFETCH(QString, file);
    QFETCH(QStringList, aliases);
    QTemporaryDir dir;
    const QString path = dir.filePath(u"config"_s);
    const QByteArray original = readFile(QStringLiteral(KORVEL_ENGINE_DATA) + u'/' + file);
    writeFile(path, original);
    QStringList before;
    for (const QString &alias : std::as_const(aliases))
        before.append(sshOutput(path, alias));
    QVERIFY2(before.constFirst().endsWith(u"exit 0"_s), qPrintable(before.constFirst()));

    SSHConfigModel model(path);
    model.save();
    QVERIFY(!model.errorMessage());
    QVERIFY(readFile(path) != original);
    for (qsizetype i = 0; i < aliases.size(); ++i)
        QCOMPARE(sshOutput(path, aliases[i]), before[i]);
}

QTEST_GUILESS_MAIN(TestConfigRoundTrip)
#include "TestConfigRoundTrip.moc"
