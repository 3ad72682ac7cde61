#include "knownhosts/KnownHostMatch.h"

#include "core/Wildcard.h"

#include <cstring>

namespace {
    constexpr char asciiLower(char c)
    {
        return c >= 'A' && c <= 'Z' ? char(c + 32) : c;
    }

    bool isSshBlank(char c)
    {
        return c == ' ' || c == '\t';
    }
} // namespace

namespace KnownHostMatch {
    bool isKeyType(QByteArrayView name)
    {
        // clang-format off
        static constexpr const char *names[] = {
            "ssh-ed25519", "ssh-ed25519-cert-v01@openssh.com",
            "sk-ssh-ed25519@openssh.com", "sk-ssh-ed25519-cert-v01@openssh.com",
            "ecdsa-sha2-nistp256", "ecdsa-sha2-nistp256-cert-v01@openssh.com",
            "ecdsa-sha2-nistp384", "ecdsa-sha2-nistp384-cert-v01@openssh.com",
            "ecdsa-sha2-nistp521", "ecdsa-sha2-nistp521-cert-v01@openssh.com",
            "sk-ecdsa-sha2-nistp256@openssh.com", "sk-ecdsa-sha2-nistp256-cert-v01@openssh.com",
            "ssh-dss", "ssh-dss-cert-v01@openssh.com",
            "ssh-rsa", "ssh-rsa-cert-v01@openssh.com",
            "rsa-sha2-256", "rsa-sha2-256-cert-v01@openssh.com",
            "rsa-sha2-512", "rsa-sha2-512-cert-v01@openssh.com",
        };
        // ssh also takes the short names of plain key types, in any case.
        static constexpr const char *shortNames[] = {"RSA", "DSA", "ECDSA", "ED25519", "ECDSA-SK", "ED25519-SK"};
        // clang-format on
        for (const char *known : names) {
            if (name == QByteArrayView(known))
                return true;
        }
        for (const char *known : shortNames) {
            if (name.compare(QByteArrayView(known), Qt::CaseInsensitive) == 0)
                return true;
        }
        return false;
    }

    Line read(QByteArrayView line)
    {
        Line result;
        // ssh holds a line as a C string: a zero byte ends it.
        if (const void *nul = std::memchr(line.data(), 0, size_t(line.size())))
            line = line.first(static_cast<const char *>(nul) - line.data());
        const char *p = line.data();
        const qsizetype n = line.size();
        qsizetype i = 0;
        const auto skipBlanks = [&] {
            while (i < n && isSshBlank(p[i]))
                ++i;
        };
        const auto skipWord = [&] {
            while (i < n && !isSshBlank(p[i]))
                ++i;
        };
        skipBlanks();
        if (i == n || p[i] == '#')
            return result;
        if (p[i] == '@') {
            // A marker ends at the line's first space, or failing that its first tab.
            const QByteArrayView rest = line.sliced(i);
            qsizetype end = rest.indexOf(' ');
            if (end < 0)
                end = rest.indexOf('\t');
            const QByteArrayView word = rest.first(qMax<qsizetype>(end, 0));
            if (word != "@cert-authority" && word != "@revoked")
                return result;
            result.marked = true;
            i += end;
            skipBlanks();
            if (i < n && p[i] == '@') // one marker only
                return result;
        }
        const qsizetype hostStart = i;
        skipWord();
        result.hosts = line.sliced(hostStart, i - hostStart);
        skipBlanks();
        if (i == n || p[i] == '#')
            return result;
        const qsizetype typeStart = i;
        skipWord();
        if (i - typeStart <= 1 || i == n || !isKeyType(line.sliced(typeStart, i - typeStart)))
            return result;
        skipBlanks();
        result.valid = i < n && p[i] != '#';
        return result;
    }

    int matchPatternList(QByteArrayView lowerName, QByteArrayView patterns)
    {
        bool positive = false;
        qsizetype i = 0;
        while (i < patterns.size()) {
            const bool negated = patterns[i] == '!';
            if (negated)
                ++i;
            qsizetype end = patterns.sliced(i).indexOf(',');
            end = end < 0 ? patterns.size() : i + end;
            // ssh gives up on the whole list at a pattern of 1023 bytes or more.
            if (end - i >= 1023)
                return 0;
            // The pattern is lowered as it is read; the name is lower case already.
            if (Wildcard::matches(lowerName, patterns.sliced(i, end - i), asciiLower)) {
                if (negated)
                    return -1;
                positive = true;
            }
            i = end + 1;
        }
        return positive ? 1 : 0;
    }

    Finder::Finder(const QByteArray &name)
        : m_name(name)
        , m_lowerName(name.toLower())
        , m_mac(QCryptographicHash::Sha1)
    {}

    bool Finder::matches(QByteArrayView line)
    {
        return matches(read(line));
    }

    bool Finder::matches(const Line &line)
    {
        if (!line.valid)
            return false;
        if (line.hosts.startsWith('|'))
            return matchesHash(line.hosts);
        return matchPatternList(m_lowerName, line.hosts) == 1;
    }

    // "|1|" base64(salt) "|" base64(HMAC-SHA1 of the name keyed with the salt), compared whole as
    // ssh compares it; the name is used exactly as given.
    bool Finder::matchesHash(QByteArrayView hashed)
    {
        if (!hashed.startsWith("|1|"))
            return false;
        const QByteArrayView rest = hashed.sliced(3);
        const qsizetype bar = rest.indexOf('|');
        if (bar <= 0)
            return false;
        const auto salt = QByteArray::fromBase64Encoding(QByteArray::fromRawData(rest.data(), bar),
                                                         QByteArray::AbortOnBase64DecodingErrors);
        if (!salt || salt.decoded.size() != 20)
            return false;
        m_mac.setKey(salt.decoded);
        m_mac.addData(m_name);
        return hashed == "|1|" + salt.decoded.toBase64() + '|' + m_mac.result().toBase64();
    }
} // namespace KnownHostMatch
