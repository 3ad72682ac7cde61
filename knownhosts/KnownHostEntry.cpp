#include "knownhosts/KnownHostEntry.h"

#include "knownhosts/KnownHostsModel.h"

#include <QCryptographicHash>

#include <array>

using namespace Qt::StringLiterals;

namespace {
    // The byte length of the blank (a tab or a Unicode space separator) at p[i], or 0. The data
    // is valid UTF-8, so a lead byte is followed by its continuation bytes.
    int blankLength(const uchar *p, qsizetype i, qsizetype n)
    {
        const uchar c = p[i];
        if (c == ' ' || c == '\t')
            return 1;
        if (c < 0xC2)
            return 0;
        if (c == 0xC2)
            return i + 1 < n && p[i + 1] == 0xA0 ? 2 : 0; // U+00A0
        if (c < 0xE1 || c > 0xE3 || i + 2 >= n)
            return 0;
        const uchar b1 = p[i + 1];
        const uchar b2 = p[i + 2];
        if (c == 0xE1)
            return b1 == 0x9A && b2 == 0x80 ? 3 : 0; // U+1680
        if (c == 0xE3)
            return b1 == 0x80 && b2 == 0x80 ? 3 : 0; // U+3000
        if (b1 == 0x80) // U+2000..U+200A, U+202F
            return (b2 >= 0x80 && b2 <= 0x8A) || b2 == 0xAF ? 3 : 0;
        return b1 == 0x81 && b2 == 0x9F ? 3 : 0; // U+205F
    }
    // QString::fromUtf8 drops a leading byte order mark; here it is a character of the line.
    QString decode(QByteArrayView bytes)
    {
        if (bytes.startsWith("\xef\xbb\xbf"))
            return QChar(0xFEFF) + QString::fromUtf8(bytes.sliced(3));
        return QString::fromUtf8(bytes);
    }
} // namespace

std::optional<KnownHostEntry> KnownHostEntry::parse(const QByteArray &line)
{
    // Offsets are kept in 32 bits; no usable line comes near that.
    if (line.size() >= qsizetype(0xFFFFFFFF))
        return std::nullopt;
    const auto *p = reinterpret_cast<const uchar *>(line.constData());
    const qsizetype n = line.size();
    qsizetype pos = 0;
    const auto skipBlanks = [&] {
        while (pos < n) {
            const int length = blankLength(p, pos, n);
            if (length == 0)
                break;
            pos += length;
        }
    };
    skipBlanks();
    if (pos == n || p[pos] == '#')
        return std::nullopt;

    // Only the host and algorithm fields are read to their end here, and a marker's one more; the
    // key's end is found when it is asked for, so the long key data is never scanned at load.
    const int wanted = p[pos] == '@' ? 4 : 3;
    std::array<std::pair<qsizetype, qsizetype>, 4> fields;
    int found = 0;
    while (found < wanted && pos < n) {
        const qsizetype start = pos;
        if (found + 1 == wanted) {
            fields[found++] = {start, start};
            break;
        }
        // Printable ASCII, nearly every byte, is never blank.
        while (pos < n && ((p[pos] > ' ' && p[pos] < 0x80) || blankLength(p, pos, n) == 0))
            ++pos;
        fields[found++] = {start, pos};
        skipBlanks();
    }
    if (found < 3)
        return std::nullopt;

    KnownHostEntry entry;
    int first = 0;
    if (found == 4) {
        const QByteArrayView word(line.constData() + fields[0].first, fields[0].second - fields[0].first);
        if (word == "@cert-authority")
            entry.markerKind = Marker::CertAuthority;
        else if (word == "@revoked")
            entry.markerKind = Marker::Revoked;
        if (entry.markerKind != Marker::None)
            first = 1;
    }
    entry.m_line = line;
    entry.m_hostStart = quint32(fields[first].first);
    entry.m_hostEnd = quint32(fields[first].second);
    entry.m_algorithmStart = quint32(fields[first + 1].first);
    entry.m_algorithmEnd = quint32(fields[first + 1].second);
    entry.m_keyStart = quint32(fields[first + 2].first);
    entry.isHashed = entry.hostBytes().startsWith("|1|");
    return entry;
}

QByteArrayView KnownHostEntry::keyBytes() const
{
    const auto *p = reinterpret_cast<const uchar *>(m_line.constData());
    const qsizetype n = m_line.size();
    qsizetype end = m_keyStart;
    while (end < n && ((p[end] > ' ' && p[end] < 0x80) || blankLength(p, end, n) == 0))
        ++end;
    return QByteArrayView(m_line.constData() + m_keyStart, end - m_keyStart);
}

QString KnownHostEntry::rawLine() const
{
    return decode(m_line);
}

QString KnownHostEntry::host() const
{
    return isHashed ? KnownHostsModel::hashedHostText() : decode(hostBytes());
}

QString KnownHostEntry::algorithm() const
{
    return decode(algorithmBytes());
}

QString KnownHostEntry::keyPreview() const
{
    // 32 characters take at most 128 bytes; a pair of surrogates counts as one character here.
    const QByteArrayView key = keyBytes();
    const QString start = decode(key.first(qMin<qsizetype>(key.size(), 33 * 4)));
    qsizetype length = qMin<qsizetype>(32, start.size());
    if (length < start.size() && start.at(length - 1).isHighSurrogate())
        ++length;
    return start.first(length) + QChar(0x2026);
}

QString KnownHostEntry::marker() const
{
    switch (markerKind) {
    case Marker::CertAuthority:
        return u"@cert-authority"_s;
    case Marker::Revoked:
        return u"@revoked"_s;
    case Marker::None:
        break;
    }
    return {};
}

QString KnownHostEntry::fingerprint() const
{
    const QByteArrayView key = keyBytes();
    const auto decoded = QByteArray::fromBase64Encoding(QByteArray::fromRawData(key.data(), key.size()),
                                                        QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded || decoded.decoded.isEmpty())
        return {};
    return u"SHA256:"_s
           + QString::fromLatin1(QCryptographicHash::hash(decoded.decoded, QCryptographicHash::Sha256)
                                     .toBase64(QByteArray::OmitTrailingEquals));
}
