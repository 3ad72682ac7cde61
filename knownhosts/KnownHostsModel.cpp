#include "knownhosts/KnownHostsModel.h"

#include "core/AtomicFile.h"
#include "core/Locations.h"
#include "core/TextRules.h"
#include "core/Uuid.h"

#include <QFile>
#include <QHash>
#include <QStringDecoder>

#include <algorithm>
#include <array>
#include <cstring>
#include <sys/stat.h>
#include <vector>

using namespace Qt::StringLiterals;

namespace {
    // Bytes that may start a line break: U+000A..U+000D, U+0085 (C2 85), U+2028 and U+2029 (E2 80 A8/A9).
    constexpr std::array<bool, 256> breakLeads = [] {
        std::array<bool, 256> table{};
        for (int b = 0x0A; b <= 0x0D; ++b)
            table[b] = true;
        table[0xC2] = table[0xE2] = true;
        return table;
    }();

    // Calls f(start, length, terminatorLength) for every line of UTF-8 data. Every break character
    // ends a line, so CR LF ends two, unless mergeCrLf treats the pair as one terminator. The text
    // after the last break is always a line, possibly empty.
    template <typename F>
    void forEachLine(QByteArrayView data, bool mergeCrLf, F &&f)
    {
        const auto *p = reinterpret_cast<const uchar *>(data.data());
        const qsizetype n = data.size();
        qsizetype lineStart = 0;
        qsizetype i = 0;
        while (i < n) {
            // Plain ASCII text, nearly all of a known_hosts file, is skipped eight bytes at a time:
            // no byte below 0x0E and none with the high bit set means no break can start here.
            if (i + 8 <= n) {
                quint64 word;
                std::memcpy(&word, p + i, 8);
                constexpr quint64 ones = 0x0101010101010101ULL;
                constexpr quint64 highs = 0x8080808080808080ULL;
                if (((((word - ones * 0x0E) & ~word) | word) & highs) == 0) {
                    i += 8;
                    continue;
                }
            }
            if (!breakLeads[p[i]]) {
                ++i;
                continue;
            }
            int length = 0;
            if (p[i] <= 0x0D)
                length = (mergeCrLf && p[i] == '\r' && i + 1 < n && p[i + 1] == '\n') ? 2 : 1;
            else if (p[i] == 0xC2)
                length = (i + 1 < n && p[i + 1] == 0x85) ? 2 : 0;
            else
                length = (i + 2 < n && p[i + 1] == 0x80 && (p[i + 2] == 0xA8 || p[i + 2] == 0xA9)) ? 3 : 0;
            if (length == 0) {
                ++i;
                continue;
            }
            f(lineStart, i - lineStart, length);
            i += length;
            lineStart = i;
        }
        f(lineStart, n - lineStart, 0);
    }

    // Without carried state a sequence cut short at the end counts as an error; lines never split
    // a multi-byte sequence, so the same holds line by line. A byte order mark stays a character,
    // so the text maps back to exactly the bytes the file had.
    QStringDecoder lineDecoder()
    {
        return QStringDecoder(QStringConverter::Utf8,
                              QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom);
    }

    std::optional<QByteArray> readFile(const QString &path)
    {
        // Opening a FIFO would block until some writer appears; a device could be endless.
        struct stat st;
        if (::stat(QFile::encodeName(path).constData(), &st) != 0 || !S_ISREG(st.st_mode))
            return std::nullopt;
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return std::nullopt;
        QByteArray bytes = file.readAll();
        if (file.error() != QFileDevice::NoError)
            return std::nullopt;
        return bytes;
    }

    // Key type names repeat on every line; sharing one string per name saves a million allocations.
    class Interner
    {
    public:
        QString get(QStringView text)
        {
            for (const QString &known : m_known) {
                if (known == text)
                    return known;
            }
            m_known.append(text.toString());
            return m_known.constLast();
        }

    private:
        QList<QString> m_known;
    };

    bool isAscii(QByteArrayView data)
    {
        const char *p = data.data();
        const qsizetype n = data.size();
        qsizetype i = 0;
        quint64 any = 0;
        for (; i + 8 <= n; i += 8) {
            quint64 word;
            std::memcpy(&word, p + i, 8);
            any |= word;
        }
        for (; i < n; ++i)
            any |= uchar(p[i]);
        return (any & 0x8080808080808080ULL) == 0;
    }

    // Turns usable lines into entries: blanks trimmed, "#" comments and lines of fewer than three
    // fields skipped, everything after the third field ignored.
    class LineParser
    {
    public:
        QList<KnownHostEntry> entries;

        void add(const QString &line, int index)
        {
            const QChar *text = line.constData();
            const qsizetype end = line.size();
            qsizetype pos = 0;
            while (pos < end && TextRules::isBlank(text[pos]))
                ++pos;
            if (pos == end || text[pos] == u'#')
                return;

            // Only the first two fields and the start of the third are needed; the rest of the key
            // and any comment are never looked at.
            std::array<QStringView, 3> fields;
            int found = 0;
            while (found < 3 && pos < end) {
                const qsizetype start = pos;
                const qsizetype limit = found == 2 ? qMin(end, pos + 33) : end;
                while (pos < limit && !TextRules::isBlank(text[pos]))
                    ++pos;
                fields[found++] = QStringView(text + start, pos - start);
                while (found < 3 && pos < end && TextRules::isBlank(text[pos]))
                    ++pos;
            }
            if (found < 3)
                return;

            KnownHostEntry entry;
            entry.id = Uuid::create();
            entry.rawLine = line;
            entry.isHashed = fields[0].startsWith(u"|1|");
            entry.host = entry.isHashed ? m_hashedHost : fields[0].toString();
            entry.algorithm = m_algorithms.get(fields[1]);
            qsizetype previewLength = qMin<qsizetype>(32, fields[2].size());
            if (previewLength < fields[2].size() && fields[2].at(previewLength - 1).isHighSurrogate())
                ++previewLength;
            entry.keyPreview.reserve(previewLength + 1);
            entry.keyPreview.append(fields[2].first(previewLength)).append(QChar(0x2026));
            entry.lineIndex = index;
            entries.append(std::move(entry));
        }

    private:
        const QString m_hashedHost = KnownHostsModel::hashedHostText();
        Interner m_algorithms;
    };

    QString countText(qsizetype n, const QString &singular, const QString &plural)
    {
        return (n == 1 ? singular : plural).arg(n);
    }
} // namespace

KnownHostsModel::KnownHostsModel(QObject *parent)
    : KnownHostsModel(Locations::system().knownHostsFile, parent)
{}

KnownHostsModel::KnownHostsModel(const QString &filePath, QObject *parent)
    : StatusModel(parent)
    , m_filePath(filePath)
{}

QString KnownHostsModel::hashedHostText()
{
    return tr("(hashed entry)");
}

void KnownHostsModel::load()
{
    std::optional<QByteArray> bytes = readFile(m_filePath);
    QString text;
    if (bytes) {
        QStringDecoder decoder = lineDecoder();
        text = decoder.decode(*bytes);
        if (decoder.hasError())
            bytes.reset();
    }
    if (!bytes) {
        m_entries.clear();
        emit entriesChanged();
        setStatusMessage(tr("known_hosts not found"));
        return;
    }
    // Growing the lists piecemeal costs more than a count of line feeds.
    qsizetype estimate = 1;
    for (const char *p = bytes->cbegin(), *end = bytes->cend();
         (p = static_cast<const char *>(std::memchr(p, '\n', size_t(end - p)))) != nullptr;
         ++p)
        ++estimate;
    bytes.reset();

    QStringList lines;
    lines.reserve(estimate);
    LineParser parser;
    parser.entries.reserve(estimate);
    // Each line is parsed as soon as it is split off, while it is still in the cache.
    TextRules::forEachLine(text, false, [&](qsizetype start, qsizetype bodyEnd, qsizetype) {
        lines.append(TextRules::sharedSlice(text, start, bodyEnd - start));
        parser.add(lines.constLast(), int(lines.size() - 1));
    });
    m_allLines = std::move(lines);
    m_entries = std::move(parser.entries);
    emit entriesChanged();
    setStatusMessage(countText(m_entries.size(), tr("Loaded %1 entry"), tr("Loaded %1 entries")));
}

void KnownHostsModel::removeEntries(const QSet<QUuid> &ids)
{
    // Each selected text goes as many times as it was selected, first occurrences first; identical
    // lines are interchangeable, and a line edited on disk since the load no longer matches.
    QHash<QByteArray, int> pending;
    if (!ids.isEmpty()) {
        for (const KnownHostEntry &entry : std::as_const(m_entries)) {
            if (ids.contains(entry.id))
                ++pending[entry.rawLine.toUtf8()];
        }
    }

    // Only lines of a selected length are worth hashing.
    std::vector<qsizetype> lengths;
    for (auto it = pending.cbegin(); it != pending.cend(); ++it)
        lengths.push_back(it.key().size());
    std::sort(lengths.begin(), lengths.end());

    const std::optional<QByteArray> bytes = readFile(m_filePath);
    const auto readFailed = [this] {
        setErrorMessage(tr("Cannot read %1").arg(m_filePath));
    };
    if (!bytes) {
        readFailed();
        return;
    }

    // Kept lines keep their own terminators, so nothing but the removed lines changes; CR LF counts
    // as one terminator here so a removed line takes its whole line ending with it. The result is a
    // few long stretches of the file as read, written without copying them.
    std::vector<std::pair<qsizetype, qsizetype>> kept; // offset, length
    const auto keep = [&](qsizetype offset, qsizetype length) {
        if (length == 0)
            return;
        if (!kept.empty() && kept.back().first + kept.back().second == offset)
            kept.back().second += length;
        else
            kept.emplace_back(offset, length);
    };
    QStringDecoder decoder = lineDecoder();
    std::vector<QChar> scratch;
    const bool mustValidate = !isAscii(*bytes);
    qsizetype removed = 0;
    bool anyKept = false;
    qsizetype previousEnd = 0;
    int previousTerminator = 0;
    forEachLine(*bytes, true, [&](qsizetype start, qsizetype length, int terminator) {
        const QByteArrayView line(bytes->constData() + start, length);
        if (mustValidate) {
            if (size_t(decoder.requiredSpace(length)) > scratch.size())
                scratch.resize(decoder.requiredSpace(length));
            decoder.appendToBuffer(scratch.data(), line);
        }

        if (!pending.isEmpty() && std::binary_search(lengths.cbegin(), lengths.cend(), length)) {
            const auto it = pending.find(QByteArray::fromRawData(line.data(), length));
            if (it != pending.end()) {
                if (--it.value() == 0)
                    pending.erase(it);
                ++removed;
                return;
            }
        }
        if (anyKept)
            keep(previousEnd, previousTerminator);
        keep(start, length);
        anyKept = true;
        previousEnd = start + length;
        previousTerminator = terminator;
    });
    if (decoder.hasError()) {
        readFailed();
        return;
    }

    // The file's mode stays, and a symbolic link stays a link to the rewritten file.
    const auto failure = AtomicFile::write(m_filePath, [&](const auto &sink) {
        for (const auto &[offset, length] : kept)
            sink(QByteArrayView(bytes->constData() + offset, length));
    });
    if (failure) {
        setErrorMessage(tr("Cannot write %1: %2").arg(m_filePath, *failure));
        return;
    }

    load();
    setStatusMessage(countText(removed, tr("Removed %1 entry"), tr("Removed %1 entries")));
}
