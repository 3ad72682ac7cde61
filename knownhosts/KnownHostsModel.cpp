#include "knownhosts/KnownHostsModel.h"

#include "ui/Locations.h"

#include <QFile>
#include <QHash>
#include <QRandomGenerator>
#include <QSaveFile>
#include <QStringDecoder>

#include <array>
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

    // Lines never split a multi-byte sequence, so decoding each one on its own without carried
    // state still catches every malformed or truncated sequence. A byte order mark stays a character
    // so that rewriting the file gives back exactly the bytes it had.
    QStringDecoder lineDecoder()
    {
        return QStringDecoder(QStringConverter::Utf8,
                              QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom);
    }

    std::optional<QByteArray> readFile(const QString &path)
    {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return std::nullopt;
        QByteArray bytes = file.readAll();
        if (file.error() != QFileDevice::NoError)
            return std::nullopt;
        return bytes;
    }

    bool isBlank(QChar c)
    {
        const char16_t u = c.unicode();
        if (u < 0x80)
            return u == u' ' || u == u'\t';
        return c.category() == QChar::Separator_Space;
    }

    // Version-4 identifiers drawn in bulk: one system call per identifier is what makes a million
    // lines slow to load.
    class UuidSource
    {
    public:
        QUuid next()
        {
            if (m_used == m_words.size()) {
                QRandomGenerator::global()->fillRange(m_words.data(), m_words.size());
                m_used = 0;
            }
            const quint32 *w = m_words.data() + m_used;
            m_used += 4;
            const auto b = [w](int i) {
                return uchar(w[2 + i / 4] >> (8 * (i % 4)));
            };
            return QUuid(w[0],
                         ushort(w[1]),
                         ushort(((w[1] >> 16) & 0x0FFF) | 0x4000),
                         uchar((b(0) & 0x3F) | 0x80),
                         b(1),
                         b(2),
                         b(3),
                         b(4),
                         b(5),
                         b(6),
                         b(7));
        }

    private:
        std::array<quint32, 4 * 512> m_words{};
        size_t m_used = m_words.size();
    };

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

    QString countText(qsizetype n, const QString &singular, const QString &plural)
    {
        return (n == 1 ? singular : plural).arg(n);
    }
} // namespace

KnownHostsModel::KnownHostsModel(QObject *parent)
    : KnownHostsModel(Locations::system().knownHostsFile, parent)
{}

KnownHostsModel::KnownHostsModel(const QString &filePath, QObject *parent)
    : QObject(parent)
    , m_fileURL(filePath)
{}

QString KnownHostsModel::hashedHostText()
{
    return tr("(hashed entry)");
}

void KnownHostsModel::setErrorMessage(std::optional<QString> message)
{
    if (message == m_errorMessage)
        return;
    m_errorMessage = std::move(message);
    emit errorMessageChanged();
}

void KnownHostsModel::setStatusMessage(const QString &message)
{
    if (message == m_statusMessage)
        return;
    m_statusMessage = message;
    emit statusMessageChanged();
}

void KnownHostsModel::load()
{
    std::optional<QByteArray> bytes = readFile(m_fileURL);
    QStringList lines;
    if (bytes) {
        QStringDecoder decoder = lineDecoder();
        forEachLine(*bytes, false, [&](qsizetype start, qsizetype length, int) {
            lines.append(length ? decoder.decode(QByteArrayView(bytes->constData() + start, length)) : QString());
        });
        if (decoder.hasError())
            bytes.reset();
    }
    if (!bytes) {
        m_entries.clear();
        emit entriesChanged();
        setStatusMessage(tr("known_hosts not found"));
        return;
    }
    bytes.reset();
    m_allLines = std::move(lines);
    parse();
}

void KnownHostsModel::parse()
{
    const QString hashedHost = hashedHostText();
    const QString ellipsis = QString(QChar(0x2026));
    UuidSource ids;
    Interner algorithms;
    QList<KnownHostEntry> entries;

    for (qsizetype index = 0; index < m_allLines.size(); ++index) {
        const QString &line = m_allLines.at(index);
        const QChar *text = line.constData();
        qsizetype end = line.size();
        qsizetype pos = 0;
        while (pos < end && isBlank(text[pos]))
            ++pos;
        while (end > pos && isBlank(text[end - 1]))
            --end;
        if (pos == end || text[pos] == u'#')
            continue;

        std::array<QStringView, 3> fields;
        int found = 0;
        while (found < 3 && pos < end) {
            const qsizetype start = pos;
            while (pos < end && !isBlank(text[pos]))
                ++pos;
            fields[found++] = QStringView(text + start, pos - start);
            while (pos < end && isBlank(text[pos]))
                ++pos;
        }
        if (found < 3)
            continue;

        KnownHostEntry entry;
        entry.id = ids.next();
        entry.rawLine = line;
        entry.isHashed = fields[0].startsWith(u"|1|");
        entry.host = entry.isHashed ? hashedHost : fields[0].toString();
        entry.algorithm = algorithms.get(fields[1]);
        qsizetype previewLength = qMin<qsizetype>(32, fields[2].size());
        if (previewLength < fields[2].size() && fields[2].at(previewLength - 1).isHighSurrogate())
            ++previewLength;
        entry.keyPreview.reserve(previewLength + 1);
        entry.keyPreview.append(fields[2].first(previewLength)).append(ellipsis);
        entry.lineIndex = int(index);
        entries.append(std::move(entry));
    }

    m_entries = std::move(entries);
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

    const std::optional<QByteArray> bytes = readFile(m_fileURL);
    const auto readFailed = [this] {
        setErrorMessage(tr("Cannot read %1").arg(m_fileURL));
    };
    if (!bytes) {
        readFailed();
        return;
    }

    // Kept lines keep their own terminators, so nothing but the removed lines changes; CR LF counts
    // as one terminator here so a removed line takes its whole line ending with it.
    QByteArray kept;
    kept.reserve(bytes->size());
    QStringDecoder decoder = lineDecoder();
    std::vector<QChar> scratch;
    qsizetype removed = 0;
    bool anyKept = false;
    qsizetype previousEnd = 0;
    int previousTerminator = 0;
    forEachLine(*bytes, true, [&](qsizetype start, qsizetype length, int terminator) {
        const QByteArrayView line(bytes->constData() + start, length);
        if (size_t(decoder.requiredSpace(length)) > scratch.size())
            scratch.resize(decoder.requiredSpace(length));
        decoder.appendToBuffer(scratch.data(), line);

        if (!pending.isEmpty()) {
            const auto it = pending.find(QByteArray::fromRawData(line.data(), length));
            if (it != pending.end()) {
                if (--it.value() == 0)
                    pending.erase(it);
                ++removed;
                return;
            }
        }
        if (anyKept)
            kept.append(bytes->constData() + previousEnd, previousTerminator);
        kept.append(line);
        anyKept = true;
        previousEnd = start + length;
        previousTerminator = terminator;
    });
    if (decoder.hasError()) {
        readFailed();
        return;
    }

    QSaveFile file(m_fileURL);
    if (!file.open(QIODevice::WriteOnly) || file.write(kept) != kept.size() || !file.commit()) {
        setErrorMessage(file.errorString());
        return;
    }

    load();
    setStatusMessage(countText(removed, tr("Removed %1 entry"), tr("Removed %1 entries")));
}
