#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QUuid>

#include <optional>

// One usable line of the known-hosts file, as shown in the pane. It keeps the line's UTF-8 bytes
// as a piece of the file the model read (shared, not copied) and where its fields lie; the texts
// are made when asked for, so a million entries cost little more than the file itself.
class KnownHostEntry
{
public:
    enum class Marker : quint8 {
        None,
        CertAuthority,
        Revoked
    };

    QUuid id;
    int lineIndex = 0;
    bool isHashed = false; // the host field begins with "|1|"
    Marker markerKind = Marker::None;

    // Reads one line (without its terminator): blanks trimmed, "#" comments and lines of fewer
    // than three fields skipped. A leading "@cert-authority" or "@revoked" is the marker when
    // three fields follow it.
    static std::optional<KnownHostEntry> parse(const QByteArray &line);

    QString rawLine() const;
    // The host field as written; the hashed-entry text instead when it is hashed.
    QString host() const;
    QString algorithm() const;
    // The first 32 characters of the key data and "…".
    QString keyPreview() const;
    // "@cert-authority", "@revoked" or empty.
    QString marker() const;
    // "SHA256:" and the unpadded base64 of the SHA-256 of the decoded key, as ssh-keygen -l prints
    // it; empty when the key data is not base64.
    QString fingerprint() const;

    QByteArrayView lineBytes() const
    {
        return m_line;
    }
    QByteArrayView hostBytes() const
    {
        return field(m_hostStart, m_hostEnd);
    }
    QByteArrayView algorithmBytes() const
    {
        return field(m_algorithmStart, m_algorithmEnd);
    }
    QByteArrayView keyBytes() const;

private:
    QByteArrayView field(quint32 start, quint32 end) const
    {
        return QByteArrayView(m_line.constData() + start, end - start);
    }

    QByteArray m_line;
    quint32 m_hostStart = 0;
    quint32 m_hostEnd = 0;
    quint32 m_algorithmStart = 0;
    quint32 m_algorithmEnd = 0;
    quint32 m_keyStart = 0;
};
