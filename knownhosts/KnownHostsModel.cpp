#include "knownhosts/KnownHostsModel.h"

#include "core/AtomicFile.h"
#include "core/Locations.h"
#include "core/TextRules.h"
#include "core/Uuid.h"
#include "knownhosts/KnownHostMatch.h"

#include <QFile>
#include <QHash>
#include <QStringDecoder>

#include <algorithm>
#include <array>
#include <cstring>
#include <deque>
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

    // A piece of `bytes` that shares its buffer instead of copying it, as TextRules::sharedSlice
    // does for text: a million lines cost one allocation.
    QByteArray sharedSlice(QByteArray &bytes, qsizetype start, qsizetype length)
    {
        QByteArray::DataPointer &whole = bytes.data_ptr();
        if (!whole.d_ptr())
            return bytes.sliced(start, length);
        whole.d_ptr()->ref();
        return QByteArray(QByteArray::DataPointer(whole.d_ptr(), whole.data() + start, length));
    }

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
    // The old file goes before the new one is read, so the two are never held at once.
    m_entries = {};
    m_bytes = {};
    m_stamp = stampOf(m_filePath);
    std::optional<QByteArray> bytes = readFile(m_filePath);
    if (!bytes || !adopt(std::move(*bytes))) {
        m_entries = {};
        m_bytes = {};
        emit entriesChanged();
        setStatusMessage(tr("known_hosts not found"));
        return;
    }
    emit entriesChanged();
    setStatusMessage(countText(m_entries.size(), tr("Loaded %1 entry"), tr("Loaded %1 entries")));
}

bool KnownHostsModel::adopt(QByteArray bytes)
{
    m_bytes = std::move(bytes);
    const bool ascii = isAscii(m_bytes);
    QStringDecoder decoder = lineDecoder();
    std::vector<QChar> scratch;
    // Growing the list piecemeal costs more than a count of line feeds.
    qsizetype estimate = 1;
    for (const char *p = m_bytes.cbegin(), *end = m_bytes.cend();
         (p = static_cast<const char *>(std::memchr(p, '\n', size_t(end - p)))) != nullptr;
         ++p)
        ++estimate;
    m_entries.reserve(estimate);
    int index = 0;
    forEachLine(m_bytes, false, [&](qsizetype start, qsizetype length, int) {
        // Lines never split a character, so checking them one by one checks the file.
        if (!ascii) {
            if (size_t(decoder.requiredSpace(length)) > scratch.size())
                scratch.resize(decoder.requiredSpace(length));
            decoder.appendToBuffer(scratch.data(), QByteArrayView(m_bytes.constData() + start, length));
        }
        if (length > 0) {
            if (std::optional<KnownHostEntry> entry = KnownHostEntry::parse(sharedSlice(m_bytes, start, length))) {
                entry->id = Uuid::create();
                entry->lineIndex = index;
                m_entries.append(std::move(*entry));
            }
        }
        ++index;
    });
    return !decoder.hasError();
}

QStringList KnownHostsModel::allLines() const
{
    QStringDecoder decoder = lineDecoder();
    const QString text = decoder.decode(m_bytes);
    QStringList lines;
    TextRules::forEachLine(text, false, [&](qsizetype start, qsizetype bodyEnd, qsizetype) {
        lines.append(text.sliced(start, bodyEnd - start));
    });
    return lines;
}

std::optional<QByteArray> KnownHostsModel::readAgain() const
{
    // Compared a piece at a time with the bytes loaded: when nothing changed, which is the rule,
    // those are used and the file never exists twice in memory.
    if (!m_bytes.isEmpty()) {
        struct stat st;
        QFile file(m_filePath);
        if (::stat(QFile::encodeName(m_filePath).constData(), &st) == 0 && S_ISREG(st.st_mode)
            && qint64(st.st_size) == m_bytes.size() && file.open(QIODevice::ReadOnly)) {
            QByteArray piece(1 << 20, Qt::Uninitialized);
            qsizetype at = 0;
            while (true) {
                const qint64 got = file.read(piece.data(), piece.size());
                if (got <= 0 || at + got > m_bytes.size()
                    || std::memcmp(piece.constData(), m_bytes.constData() + at, size_t(got)) != 0)
                    break;
                at += got;
                if (at == m_bytes.size()) {
                    if (file.read(piece.data(), 1) == 0)
                        return m_bytes;
                    break;
                }
            }
        }
    }
    return readFile(m_filePath);
}

KnownHostsModel::Stamp KnownHostsModel::stampOf(const QString &path)
{
    struct stat st;
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return {};
    return {qint64(st.st_size), qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec, quint64(st.st_ino)};
}

bool KnownHostsModel::isCurrent() const
{
    return m_stamp && *m_stamp == stampOf(m_filePath);
}

QList<qsizetype> KnownHostsModel::find(const QString &name) const
{
    QList<qsizetype> found;
    KnownHostMatch::Finder finder(name.toUtf8());
    for (qsizetype i = 0; i < m_entries.size(); ++i) {
        if (finder.matches(m_entries.at(i).lineBytes()))
            found.append(i);
    }
    return found;
}

QSet<QUuid> KnownHostsModel::removableFor(const QStringList &names) const
{
    QSet<QUuid> ids;
    if (names.isEmpty())
        return ids;
    // One pass reads each line once for all the names.
    std::deque<KnownHostMatch::Finder> finders;
    for (const QString &name : names)
        finders.emplace_back(name.toUtf8());
    for (const KnownHostEntry &entry : m_entries) {
        const KnownHostMatch::Line line = KnownHostMatch::read(entry.lineBytes());
        if (line.marked)
            continue;
        for (KnownHostMatch::Finder &finder : finders) {
            if (finder.matches(line)) {
                ids.insert(entry.id);
                break;
            }
        }
    }
    return ids;
}

void KnownHostsModel::removeEntries(const QSet<QUuid> &ids)
{
    // Each selected text goes as many times as it was selected, first occurrences first; identical
    // lines are interchangeable, and a line edited on disk since the load no longer matches.
    QHash<QByteArray, int> pending;
    if (!ids.isEmpty()) {
        for (const KnownHostEntry &entry : std::as_const(m_entries)) {
            if (ids.contains(entry.id))
                ++pending[entry.lineBytes().toByteArray()];
        }
    }

    // Only lines of a selected length are worth hashing.
    std::vector<qsizetype> lengths;
    for (auto it = pending.cbegin(); it != pending.cend(); ++it)
        lengths.push_back(it.key().size());
    std::sort(lengths.begin(), lengths.end());

    std::optional<QByteArray> bytes = readAgain();
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

    // What was written becomes the loaded file without reading it back: the kept stretches move
    // to the front of the buffer read, once nothing else shares it.
    QByteArray content = std::move(*bytes);
    bytes.reset();
    m_entries = {};
    m_bytes = {};
    char *data = content.data();
    qsizetype size = 0;
    for (const auto &[offset, length] : kept) {
        std::memmove(data + size, data + offset, size_t(length));
        size += length;
    }
    content.truncate(size);
    m_stamp = stampOf(m_filePath);
    adopt(std::move(content));
    emit entriesChanged();
    setStatusMessage(countText(removed, tr("Removed %1 entry"), tr("Removed %1 entries")));
}
