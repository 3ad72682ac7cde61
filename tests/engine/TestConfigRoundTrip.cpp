#include "EngineTest.h"
#include "core/TextRules.h"
#include "core/Uuid.h"
#include "engine/ConfigDocument.h"
#include "engine/ConfigSyntax.h"
#include "engine/SSHParser.h"

#include <QtTest>

#include <string_view>

namespace {
    // Random configs inside the read-back conditions, with everything else the reader is touchy
    // about: Unicode blanks, quotes, "=", "#", surrogate pairs, blanks at the ends of values, Match
    // sections. Inside means no line breaks, no blanks at the ends of patterns, no leading "=",
    // names that are neither Host nor Match and hold no blank, quote, "=" or leading "#".
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

        // A line that opens no section: comments, blanks, options, and keywords that are not Host or Match.
        QString line()
        {
            const QString l = text(0, 24, U"abc HostMatch=\t#\"\u00A0é");
            const QStringView keyword = ConfigSyntax::splitKeyword(TextRules::trimmed(QStringView(l))).keyword;
            return SSHKeyword::equal(keyword, u"host") || SSHKeyword::equal(keyword, u"match") ? u'#' + l : l;
        }

        QString name()
        {
            if (below(2) == 0)
                return u"HostName IdentityFile ControlPath IgnoreUnknown user"_s.split(u' ').at(below(5));
            QString name = text(1, 12, U"abcdeHMOSTXZ019_-.é\U0001F600#\"");
            if (name.startsWith(u'#') || name.contains(u'"') || SSHKeyword::equal(name, u"host")
                || SSHKeyword::equal(name, u"match"))
                name.prepend(u'N');
            return name;
        }

        QString value()
        {
            return text(1, 20, U"abcXYZ019 \t\u00A0\u3000=#\"'\\,:%/~é日\U0001F600");
        }

        QList<HostBlock> blocks(int count)
        {
            QList<HostBlock> blocks;
            for (int i = 0; i < count; ++i) {
                HostBlock b{Uuid::create(), text(1, 8, U"abcXYZ019*?!.-_é日\U0001F600=#\"'"), {}};
                if (b.pattern.startsWith(u'='))
                    b.pattern.prepend(u'x');
                // A word that begins with "#" would start a comment.
                for (int n = below(3); n > 0; --n)
                    b.pattern +=
                        text(1, 3, U" \t\u00A0\u2003") + text(1, 1, U"abc*?!.-=\"'") + text(0, 7, U"abc*?!.-=#\"'");
                for (int j = below(9); j > 0; --j)
                    b.options.append({name(), value()});
                blocks.append(b);
            }
            return blocks;
        }

        // Rendered blocks with lines the form never writes mixed in: comments, blanks, odd
        // indentation, Match sections, CR LF, no final line break.
        QString messyText(const QList<HostBlock> &blocks)
        {
            QStringList lines = QString::fromUtf8(ConfigSyntax::render(blocks)).split(u'\n');
            for (int n = below(12); n > 0; --n) {
                const int at = below(int(lines.size()) + 1);
                lines.insert(at, below(5) == 0 ? u"Match"_s + text(1, 2, U" \t=") + text(1, 10, U"ab =\"") : line());
            }
            QString text = lines.join(below(3) == 0 ? u"\r\n"_s : u"\n"_s);
            if (below(3) == 0)
                text.chop(1);
            return text;
        }
    };
} // namespace

// The writer sorts options; repeats keep their order, so a stable sort by name on both sides compares them.
static QList<HostBlock> byName(QList<HostBlock> blocks)
{
    for (HostBlock &b : blocks) {
        std::stable_sort(b.options.begin(), b.options.end(), [](const HostOption &x, const HostOption &y) {
            return x.name < y.name;
        });
    }
    return blocks;
}

class TestConfigRoundTrip : public QObject
{
    Q_OBJECT
private slots:
    void randomConfigs();
};

void TestConfigRoundTrip::randomConfigs()
{
    // Rendered blocks read back as they were; the document gives back every byte of any text around
    // them; after any run of edits its text read afresh gives the blocks it holds; and a line break
    // typed into a value is refused at save rather than written.
    Generator gen{QRandomGenerator(20261206)};
    for (int round = 0; round < 1000; ++round) {
        const QList<HostBlock> blocks = gen.blocks(gen.below(6));
        QVERIFY(!ConfigSyntax::validate(blocks));
        const QByteArray text = ConfigSyntax::render(blocks);
        QCOMPARE(describe(byName(SSHParser::parse(QString::fromUtf8(text)))), describe(byName(blocks)));
        const QString messy = gen.messyText(blocks);
        ConfigDocument document(messy);
        QCOMPARE(document.text(), messy);
        QString log;
        for (int step = 0; step < 8; ++step) {
            const qsizetype count = document.blocks().size();
            const qsizetype target = count ? gen.below(int(count)) : -1;
            const int kind = target < 0 ? 0 : gen.below(8);
            const HostBlock *block = target < 0 ? nullptr : &document.blocks().at(target);
            const QString name = block && !block->options.isEmpty() && gen.below(2)
                                     ? block->options.at(gen.below(int(block->options.size()))).name.toUpper()
                                     : gen.name();
            const char *const names[] = {"insert", "remove", "duplicate", "pattern", "clear", "values", "set", "set"};
            log += QLatin1StringView(names[kind]) + u' ' + name + u';';
            QStringList values;
            for (int n = kind == 5 ? gen.below(4) : 0; n > 0; --n)
                values.append(gen.value());
            if (kind == 0)
                document.insertBlock(gen.below(4) ? gen.text(1, 6, U"abc*") : u"*"_s);
            else if (kind == 1)
                document.removeBlock(target);
            else if (kind == 2)
                document.duplicateBlock(target, gen.text(1, 6, U"xyz"));
            else if (kind == 3) // blanks at the ends are the form's to trim; the file reads without them
                document.setPattern(target, u"p"_s + gen.text(0, 6, U"pq r") + u'q');
            else if (kind == 5)
                document.setOptionValues(target, name, values);
            else
                document.setOption(target, name, kind == 4 ? QString() : gen.value());
            QVERIFY2(describe(SSHParser::parse(document.text())) == describe(document.blocks()),
                     qPrintable(log + u"\n"_s + document.text()));
        }
        QVERIFY2(!document.validate(), qPrintable(log));
        if (const qsizetype count = document.blocks().size()) {
            document.setOption(count - 1, u"ProxyCommand"_s, u"nc %h\u2028Host evil"_s);
            QVERIFY(document.validate());
        }
    }

    // A large file with CR LF line ends, read in parallel pieces, reads the same.
    const QList<HostBlock> blocks = gen.blocks(16000);
    const QString text = QString::fromUtf8(ConfigSyntax::render(blocks));
    QCOMPARE(describe(byName(SSHParser::parse(QString(text).replace(u'\n', u"\r\n"_s)))), describe(byName(blocks)));
}

QTEST_GUILESS_MAIN(TestConfigRoundTrip)
#include "TestConfigRoundTrip.moc"
