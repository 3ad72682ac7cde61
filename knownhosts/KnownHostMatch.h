#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QMessageAuthenticationCode>

// Which known_hosts lines ssh-keygen -F and -R pick for a host name, by ssh's own reading of a
// line: fields split at spaces and tabs only, a line with an unknown key type never matches, and
// host lists matched as ssh matches patterns.
namespace KnownHostMatch {
    struct Line {
        bool valid = false; // a host line ssh accepts
        bool marked = false; // @cert-authority or @revoked
        QByteArrayView hosts;
    };
    Line read(QByteArrayView line);

    // True for the key type names ssh knows, its short names ("ED25519", any case) included.
    bool isKeyType(QByteArrayView name);

    // 1 when a pattern of the comma list matches, -1 when a negated one ("!pattern") does, else 0.
    // Both sides are compared in lower case, as ssh does.
    int matchPatternList(QByteArrayView lowerName, QByteArrayView patterns);

    // A name to look for, with its lower-case form and a reusable HMAC for hashed entries.
    class Finder
    {
    public:
        explicit Finder(const QByteArray &name);
        // True when ssh-keygen -F <name> prints the line.
        bool matches(QByteArrayView line);
        bool matches(const Line &line);

    private:
        bool matchesHash(QByteArrayView hashed);

        QByteArray m_name;
        QByteArray m_lowerName;
        QMessageAuthenticationCode m_mac;
    };
} // namespace KnownHostMatch
