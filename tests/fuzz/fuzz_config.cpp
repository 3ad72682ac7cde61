// Config parser and writer. Two properties:
// - text: parse -> write -> parse -> write gives the same text twice, and no written line holds a
//   line break other than its own line feed (a pattern beginning with "=" is the known exception
//   to the fixed point: "Host ==x" reads as "=x", which is written "Host =x" and reads as "x");
// - blocks: the input, cut at zero bytes into a pattern and name/value pairs, is written and read
//   back to the same block whenever the writer promises that.
#include "FuzzSupport.h"
#include "engine/ConfigDocument.h"
#include "engine/SSHParser.h"

#include <QStringList>

#include <cstddef>
#include <cstdint>

using namespace Qt::StringLiterals;

namespace {
    bool sameContent(const QList<HostBlock> &a, const QList<HostBlock> &b)
    {
        if (a.size() != b.size())
            return false;
        for (qsizetype i = 0; i < a.size(); ++i) {
            if (a[i].pattern != b[i].pattern || a[i].options != b[i].options)
                return false;
        }
        return true;
    }

    bool holdsLineBreak(QStringView text)
    {
        return std::any_of(text.begin(), text.end(), SSHParser::isLineBreak);
    }

    bool isAsciiWord(QStringView text, QLatin1StringView word)
    {
        return text.compare(word, Qt::CaseInsensitive) == 0 && text.size() == word.size()
               && std::all_of(text.begin(), text.end(), [](QChar c) {
                      return c.unicode() < 0x80;
                  });
    }

    void checkTextRoundTrip(const QByteArray &input)
    {
        const ParsedConfig first = SSHParser::parseDocument(QString::fromUtf8(input));
        FUZZ_CHECK(!SSHParser::validate(first.blocks), *SSHParser::validate(first.blocks));
        const QByteArray once = SSHParser::render(first.blocks, first.carried);

        const QString written = QString::fromUtf8(once);
        FUZZ_CHECK(written.isEmpty() || written.endsWith(u'\n'), written);
        for (const QChar c : written)
            FUZZ_CHECK(!SSHParser::isLineBreak(c) || c == u'\n', written);

        const ParsedConfig second = SSHParser::parseDocument(written);
        const bool equalsPattern = std::any_of(first.blocks.cbegin(), first.blocks.cend(), [](const HostBlock &b) {
            return b.pattern.startsWith(u'=');
        });
        if (equalsPattern)
            return;
        FUZZ_CHECK(sameContent(first.blocks, second.blocks), written);
        FUZZ_CHECK(first.carried.leading == second.carried.leading, written);
        const QByteArray twice = SSHParser::render(second.blocks, second.carried);
        FUZZ_CHECK(once == twice, written + u"\n----\n"_s + QString::fromUtf8(twice));
    }

    void checkBlockRoundTrip(const QByteArray &input)
    {
        const QList<QByteArray> fields = input.split('\0');
        if (fields.size() < 3)
            return;
        HostBlock block{SSHParser::newBlockId(), QString::fromUtf8(fields[0]), {}};
        const QString &pattern = block.pattern;
        if (pattern.isEmpty() || pattern.startsWith(u'=') || SSHParser::trimmed(pattern) != pattern
            || holdsLineBreak(pattern))
            return;
        for (qsizetype i = 1; i + 1 < fields.size(); i += 2) {
            const QString name = QString::fromUtf8(fields[i]);
            const QString value = QString::fromUtf8(fields[i + 1]);
            // The names the writer cannot carry as options: a header, a Match section, a comment.
            if (name.isEmpty() || value.isEmpty() || name.startsWith(u'#') || name.contains(u'=')
                || holdsLineBreak(name) || holdsLineBreak(value) || isAsciiWord(name, "host"_L1)
                || isAsciiWord(name, "match"_L1) || std::any_of(name.begin(), name.end(), SSHParser::isBlank))
                continue;
            block.options.insert(name, value);
        }
        const QList<HostBlock> blocks{block};
        FUZZ_CHECK(!SSHParser::validate(blocks), *SSHParser::validate(blocks));
        const QByteArray text = SSHParser::render(blocks);
        const QList<HostBlock> back = SSHParser::parse(QString::fromUtf8(text));
        FUZZ_CHECK(sameContent(blocks, back), QString::fromUtf8(text));
    }
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray input = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    checkTextRoundTrip(input);
    checkBlockRoundTrip(input);
    return 0;
}
