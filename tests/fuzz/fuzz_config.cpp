// Config document and writer. Two properties:
// - text: the document gives back every byte it read, and after edits to the first block its text
//   reads back as the blocks it holds, with every other block unchanged;
// - blocks: the input, cut at zero bytes into a pattern and name/value pairs, is written and read
//   back to the same block whenever the writer promises that.
#include "FuzzSupport.h"
#include "core/TextRules.h"
#include "core/Uuid.h"
#include "engine/ConfigDocument.h"
#include "engine/ConfigSyntax.h"
#include "engine/SSHParser.h"

#include <QStringList>

using namespace Qt::StringLiterals;

namespace {
    bool sameContent(const QList<HostBlock> &a, const QList<HostBlock> &b)
    {
        return std::equal(a.cbegin(), a.cend(), b.cbegin(), b.cend(), [](const HostBlock &x, const HostBlock &y) {
            return x.pattern == y.pattern && x.options == y.options;
        });
    }

    void checkTextRoundTrip(const QByteArray &input)
    {
        const QString text = QString::fromUtf8(input);
        ConfigDocument document(text);
        FUZZ_CHECK(document.text() == text, document.text());
        if (document.blocks().isEmpty())
            return;
        const QList<HostBlock> others = document.blocks().mid(1);
        document.setOption(0, u"User"_s, u"fuzz"_s);
        document.setOptionValues(0, u"IdentityFile"_s, {u"~/a"_s, u"~/b c"_s});
        document.setOption(0, u"Port"_s, QString());
        document.setPattern(0, u"fuzzed"_s);
        const QString edited = document.text();
        FUZZ_CHECK(sameContent(SSHParser::parse(edited), document.blocks()), edited);
        FUZZ_CHECK(sameContent(document.blocks().mid(1), others), edited);
    }

    void checkBlockRoundTrip(const QByteArray &input)
    {
        const QList<QByteArray> fields = input.split('\0');
        if (fields.size() < 3)
            return;
        HostBlock block{Uuid::create(), QString::fromUtf8(fields[0]), {}};
        const QString &pattern = block.pattern;
        // A blank and "#" inside the patterns start a comment there, as ssh reads it.
        if (pattern.isEmpty() || pattern.startsWith(u'=') || TextRules::trimmed(pattern) != pattern
            || TextRules::holdsLineBreak(pattern) || ConfigSyntax::hostPatterns(pattern) != pattern)
            return;
        for (qsizetype i = 1; i + 1 < fields.size(); i += 2) {
            const QString name = QString::fromUtf8(fields[i]);
            const QString value = QString::fromUtf8(fields[i + 1]);
            // The names the writer cannot carry as options: a header, a Match section, a comment.
            if (name.isEmpty() || value.isEmpty() || name.startsWith(u'#') || name.contains(u'=')
                || TextRules::holdsLineBreak(name) || TextRules::holdsLineBreak(value)
                || SSHKeyword::equal(name, u"host") || SSHKeyword::equal(name, u"match")
                || std::any_of(name.begin(), name.end(), TextRules::isBlank))
                continue;
            block.options.append({name, value});
        }
        // The writer sorts the options, repeats in their order: compare both sides in name order.
        const auto byName = [](const HostOption &x, const HostOption &y) {
            return x.name < y.name;
        };
        std::stable_sort(block.options.begin(), block.options.end(), byName);
        const QList<HostBlock> blocks{block};
        FUZZ_CHECK(!ConfigSyntax::validate(blocks), *ConfigSyntax::validate(blocks));
        const QByteArray text = ConfigSyntax::render(blocks);
        QList<HostBlock> back = SSHParser::parse(QString::fromUtf8(text));
        for (HostBlock &b : back)
            std::stable_sort(b.options.begin(), b.options.end(), byName);
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
