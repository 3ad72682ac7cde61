#include "engine/ConfigDocument.h"
#include "engine/SSHConfigModel.h"
#include "engine/SSHParser.h"
#include "support/TestSupport.h"

#include <QtTest>

using namespace Qt::StringLiterals;

namespace {
    // Random text for the round trip; line breaks never, everything else that the reader is touchy about.
    class Generator
    {
    public:
        explicit Generator(quint32 seed)
            : m_random(seed)
        {}

        int below(int n)
        {
            return int(m_random.bounded(n));
        }

        QString text(int minLength, int maxLength, QStringView alphabet)
        {
            QString s;
            const int length = minLength + below(maxLength - minLength + 1);
            while (s.size() < length) {
                const qsizetype at = below(int(alphabet.size()));
                if (alphabet[at].isHighSurrogate()) {
                    s += alphabet.sliced(at, 2);
                } else if (!alphabet[at].isLowSurrogate()) {
                    s += alphabet[at];
                }
            }
            return s;
        }

        QString pattern()
        {
            QStringList words;
            for (int i = 0, n = 1 + below(3); i < n; ++i)
                words.append(text(1, 8, u"abcXYZ019*?!.-_é日\U0001F600=#\"'"));
            QString p = words.join(blanks());
            if (p.startsWith(u'='))
                p.prepend(u'x');
            return p;
        }

        QString name()
        {
            static const QStringList known = {u"HostName"_s,
                                              u"User"_s,
                                              u"Port"_s,
                                              u"IdentityFile"_s,
                                              u"ControlPath"_s,
                                              u"ProxyJump"_s,
                                              u"IgnoreUnknown"_s,
                                              u"SetEnv"_s};
            if (below(2) == 0)
                return known.at(below(int(known.size())));
            QString n = text(1, 12, u"abcdeHMOSTXZ019_-.é\U0001F600#\"");
            if (n.startsWith(u'#'))
                n.prepend(u'N');
            const QString folded = n.toLower();
            return folded == u"host"_s || folded == u"match"_s ? n + u'x' : n;
        }

        QString value()
        {
            return text(1, 20, u"abcXYZ019 \t\u00A0\u3000=#\"'\\,:%/~é日\U0001F600");
        }

        QString blanks()
        {
            return text(1, 3, u"  \t\u00A0\u2003");
        }

        // A carried line: anything that is not a Host header.
        QString line()
        {
            for (;;) {
                QString l = text(0, 24, u"abc HostMatch=\t#\"\u00A0é");
                const QList<HostBlock> asBlocks = SSHParser::parse(l);
                if (asBlocks.isEmpty() && !SSHParser::trimmed(l).startsWith(u"Host "_s))
                    return l;
            }
        }

    private:
        QRandomGenerator m_random;
    };

    QString describe(const ParsedConfig &config)
    {
        QString out = u"leading:"_s + config.carried.leading.join(u'|') + u'\n';
        for (const HostBlock &block : config.blocks) {
            QStringList options;
            for (auto it = block.options.cbegin(); it != block.options.cend(); ++it)
                options.append(it.key() + u'=' + it.value());
            options.sort();
            out += block.pattern + u" {"_s + options.join(u'|') + u"} after:"_s
                   + config.carried.after.value(block.id).join(u'|') + u'\n';
        }
        return out;
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
    void randomBlocksReadBack();
    void largeConfigReadsBackInPieces();
    void sshReadsTheSameAfterSave_data();
    void sshReadsTheSameAfterSave();
};

void TestConfigRoundTrip::randomBlocksReadBack()
{
    Generator gen(20261206);
    for (int round = 0; round < 3000; ++round) {
        ParsedConfig config;
        for (int i = 0, n = gen.below(3); i < n; ++i)
            config.carried.leading.append(gen.line());
        for (int i = 0, n = gen.below(6); i < n; ++i) {
            HostBlock block{SSHParser::newBlockId(), gen.pattern(), {}};
            for (int j = 0, m = gen.below(9); j < m; ++j)
                block.options.insert(gen.name(), gen.value());
            if (gen.below(4) == 0) {
                QStringList section{u"Match"_s + gen.text(1, 2, u" \t=") + gen.value()};
                for (int j = 0, m = gen.below(3); j < m; ++j)
                    section.append(gen.line());
                while (SSHParser::trimmed(section.constLast()).isEmpty())
                    section.removeLast();
                config.carried.after.insert(block.id, section);
            }
            config.blocks.append(block);
        }
        QVERIFY(!SSHParser::validate(config.blocks));
        const QByteArray text = SSHParser::render(config.blocks, config.carried);
        const ParsedConfig back = SSHParser::parseDocument(QString::fromUtf8(text));
        QCOMPARE(describe(back), describe(config));
        QCOMPARE(SSHParser::render(back.blocks, back.carried), text);
    }
}

void TestConfigRoundTrip::largeConfigReadsBackInPieces()
{
    // Big enough for the reader and writer to split the work; the pieces must join exactly,
    // also with CR LF line ends and with a Match section at every cut.
    Generator gen(7);
    ParsedConfig config;
    config.carried.leading = {u"Include x"_s, QString()};
    for (int i = 0; i < 16000; ++i) {
        HostBlock block{SSHParser::newBlockId(), gen.pattern(), {}};
        for (int j = 0, m = 1 + gen.below(8); j < m; ++j)
            block.options.insert(gen.name(), gen.value());
        if (i % 3 == 0)
            config.carried.after.insert(block.id, {u"Match all"_s, gen.line() + u'x'});
        config.blocks.append(block);
    }
    const QByteArray text = SSHParser::render(config.blocks, config.carried);
    QVERIFY(QString::fromUtf8(text).size() > 3 * (1 << 19));
    const ParsedConfig back = SSHParser::parseDocument(QString::fromUtf8(text));
    QCOMPARE(describe(back), describe(config));
    const ParsedConfig crlf = SSHParser::parseDocument(QString::fromUtf8(text).replace(u'\n', u"\r\n"_s));
    QCOMPARE(describe(crlf), describe(config));
    QCOMPARE(SSHParser::render(back.blocks, back.carried), text);

    // The line break check covers every piece, and names the first offending block.
    config.blocks[9000].options.insert(u"ProxyCommand"_s, u"a\nb"_s);
    config.blocks[15000].pattern = u"late\nHost x"_s;
    QTemporaryDir dir;
    const auto error = SSHParser::write(config.blocks, config.carried, dir.filePath(u"config"_s));
    QVERIFY(error);
    QVERIFY2(error->contains(u"ProxyCommand"_s), qPrintable(*error));
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
    TestSupport::writeFile(path, TestSupport::readFile(QStringLiteral(KORVEL_ENGINE_DATA) + u'/' + file));

    QStringList before;
    for (const QString &alias : std::as_const(aliases))
        before.append(sshOutput(path, alias));
    QVERIFY2(before.constFirst().endsWith(u"exit 0"_s), qPrintable(before.constFirst()));

    SSHConfigModel model(path);
    model.save();
    QVERIFY(!model.errorMessage());
    QVERIFY(TestSupport::readFile(path) != TestSupport::readFile(QStringLiteral(KORVEL_ENGINE_DATA) + u'/' + file));
    for (qsizetype i = 0; i < aliases.size(); ++i)
        QCOMPARE(sshOutput(path, aliases[i]), before[i]);
}

QTEST_GUILESS_MAIN(TestConfigRoundTrip)
#include "TestConfigRoundTrip.moc"
