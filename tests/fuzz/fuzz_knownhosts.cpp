// known_hosts reader and remover. Properties: every entry's rawLine is the line of the input it
// names; a removal of nothing leaves the file byte for byte as it was (this reader keeps each
// line's own terminator, so even the documented line-break normalisation does not happen); a
// removal of some entries drops exactly the first occurrences of their texts and nothing else.
#include "FuzzSupport.h"
#include "core/TextRules.h"
#include "knownhosts/KnownHostsModel.h"

#include <QHash>
#include <QSet>
#include <QStringDecoder>
#include <QStringList>

using namespace Qt::StringLiterals;

namespace {
    // Every break character ends a line, so CR LF gives an extra empty line.
    QStringList splitLines(const QString &text)
    {
        QStringList lines;
        qsizetype start = 0;
        for (qsizetype i = 0; i < text.size(); ++i) {
            if (TextRules::isLineBreak(text[i])) {
                lines << text.mid(start, i - start);
                start = i + 1;
            }
        }
        lines << text.mid(start);
        return lines;
    }

    QStringList nonEmpty(QStringList lines)
    {
        lines.removeAll(QString());
        return lines;
    }
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray input(reinterpret_cast<const char *>(data), qsizetype(size));
    const QString path = FuzzSupport::scratchDir() + u"/known_hosts"_s;
    FuzzSupport::writeFile(path, input);

    KnownHostsModel model(path);
    model.load();
    if (!FuzzSupport::isValidUtf8(input)) {
        FUZZ_CHECK(model.entries().isEmpty() && model.statusMessage() == u"known_hosts not found"_s,
                   model.statusMessage());
        return 0;
    }
    const QStringList lines = model.allLines();
    // A leading byte order mark is a character of the first line: the reader keeps it.
    const QString text = QStringDecoder(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom).decode(input);
    FUZZ_CHECK(lines == splitLines(text), lines.join(u'|'));
    int previous = -1;
    for (const KnownHostEntry &entry : model.entries()) {
        FUZZ_CHECK(entry.lineIndex > previous && entry.lineIndex < lines.size(), entry.rawLine());
        FUZZ_CHECK(lines[entry.lineIndex] == entry.rawLine(), entry.rawLine());
        FUZZ_CHECK(entry.keyPreview().endsWith(QChar(0x2026)), entry.keyPreview());
        previous = entry.lineIndex;
    }

    model.removeEntries({});
    FUZZ_CHECK(!model.errorMessage(), *model.errorMessage());
    FUZZ_CHECK(FuzzSupport::readFile(path) == input, QString::fromUtf8(FuzzSupport::readFile(path)));

    // Select entries by the input's own bytes, so the fuzzer steers the choice too.
    QSet<QUuid> chosen;
    QHash<QString, int> pending;
    for (qsizetype i = 0; i < model.entries().size(); ++i) {
        if (uchar(input[i % input.size()]) & 1) {
            chosen.insert(model.entries()[i].id);
            ++pending[model.entries()[i].rawLine()];
        }
    }
    QStringList expected;
    for (const QString &line : lines) {
        const auto it = pending.find(line);
        if (it != pending.end() && it.value() > 0) {
            --it.value();
            continue;
        }
        expected << line;
    }
    model.removeEntries(chosen);
    FUZZ_CHECK(!model.errorMessage(), *model.errorMessage());
    // A removed line takes its own terminator with it, and a CR LF pair is one terminator here, so
    // only empty lines may differ from a plain line-by-line removal.
    FUZZ_CHECK(nonEmpty(model.allLines()) == nonEmpty(expected),
               model.allLines().join(u'|') + u"\n----\n"_s + expected.join(u'|'));
    return 0;
}
