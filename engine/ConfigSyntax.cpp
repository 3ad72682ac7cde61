#include "engine/ConfigSyntax.h"

#include "core/TextRules.h"

#include <QCoreApplication>

#include <algorithm>
#include <climits>

using namespace Qt::StringLiterals;

namespace {
    // clang-format off
    const char *const writeOrder[] = {
        "HostName", "User", "Port", "ConnectTimeout", "AddressFamily", "IdentityFile", "IdentityAgent",
        "AddKeysToAgent", "UseKeychain", "IdentitiesOnly", "PubkeyAuthentication", "PasswordAuthentication",
        "PreferredAuthentications", "KbdInteractiveAuthentication", "ForwardAgent", "ForwardX11",
        "ForwardX11Trusted", "ProxyJump", "ProxyCommand", "LocalForward", "RemoteForward", "DynamicForward",
        "ServerAliveInterval", "ServerAliveCountMax", "TCPKeepAlive", "StrictHostKeyChecking",
        "UserKnownHostsFile", "Compression", "Ciphers", "MACs", "HostKeyAlgorithms", "KexAlgorithms",
        "PubkeyAcceptedAlgorithms", "ControlMaster", "ControlPath", "ControlPersist", "LogLevel", "BatchMode",
        "RequestTTY", "VisualHostKey", "PermitLocalCommand", "LocalCommand", "NumberOfPasswordPrompts",
        "SetEnv", "SendEnv", "EscapeChar",
    };
    // clang-format on

    // The write order by name length, so a lookup compares a handful of names and hashes nothing.
    class WriteRanks
    {
    public:
        WriteRanks()
        {
            int rank = 0;
            for (const char *name : writeOrder) {
                const QString s = QString::fromLatin1(name);
                m_byLength[s.size()].append({s, rank++});
            }
        }

        int rank(QStringView name, bool foldCase) const
        {
            if (name.size() >= qsizetype(std::size(m_byLength)))
                return INT_MAX;
            for (const Entry &entry : m_byLength[name.size()]) {
                if (foldCase ? SSHKeyword::equal(entry.name, name) : entry.name == name)
                    return entry.rank;
            }
            return INT_MAX;
        }

    private:
        struct Entry {
            QString name;
            int rank;
        };
        QList<Entry> m_byLength[32];
    };

    int rankOf(QStringView name, bool foldCase)
    {
        static const WriteRanks ranks;
        // IgnoreUnknown only covers the options after it, so it leads its block.
        if (SSHKeyword::equal(name, u"ignoreunknown"))
            return -1;
        return ranks.rank(name, foldCase);
    }

    // UTF-16 code units compare surrogates below U+E000..U+FFFF; shift them so the order is by code point.
    char16_t codePointKey(char16_t c)
    {
        if (c >= 0xE000)
            return c - 0x800;
        if (c >= 0xD800)
            return c + 0x2000;
        return c;
    }

    bool isSinglePathOption(QStringView name)
    {
        return SSHKeyword::equal(name, u"identityfile") || SSHKeyword::equal(name, u"certificatefile")
               || SSHKeyword::equal(name, u"identityagent") || SSHKeyword::equal(name, u"controlpath");
    }

    bool readsBackBare(QStringView value)
    {
        if (value.isEmpty())
            return true;
        const QChar first = value.front();
        const QChar last = value.back();
        if (first == u'=' || TextRules::isBlank(first) || TextRules::isBlank(last))
            return false;
        return !(value.size() >= 2 && first == last && (first == u'"' || first == u'\''));
    }

    QString visible(const QString &text)
    {
        QString shown = text;
        for (QChar &c : shown) {
            if (TextRules::isLineBreak(c))
                c = QChar(0x21B5);
        }
        return shown;
    }

    bool holdsLineBreak(QStringView text)
    {
        for (const QChar c : text) {
            if (TextRules::isLineBreak(c))
                return true;
        }
        return false;
    }

    // A name that is blank, or whose first word is Host or Match, would be read back as part of
    // another line or as a new section taking the block's later options with it. Only leading
    // blanks go when the line is read: trailing ones stay in the keyword, which ends only at a
    // space, tab or "=", so "Host" followed by a no-break space is an ordinary name.
    bool misreadName(QStringView name)
    {
        qsizetype start = 0;
        while (start < name.size() && TextRules::isBlank(name[start]))
            ++start;
        const QStringView line = name.sliced(start);
        if (line.isEmpty())
            return true;
        const QStringView keyword = ConfigSyntax::splitKeyword(line).keyword;
        return SSHKeyword::equal(keyword, u"host") || SSHKeyword::equal(keyword, u"match");
    }

    std::optional<QString> checkBlock(const HostBlock &block, qsizetype index)
    {
        // An empty pattern writes a bare "Host" line, which opens nothing: the block's options
        // would join the host before it.
        if (TextRules::trimmed(block.pattern).isEmpty())
            return QCoreApplication::translate("SSHParser", "The host at position %1 has an empty pattern")
                .arg(index + 1);
        if (holdsLineBreak(block.pattern))
            return QCoreApplication::translate("SSHParser", "The pattern of host “%1” holds a line break")
                .arg(visible(block.pattern));
        for (const HostOption &option : block.options) {
            if (holdsLineBreak(option.name)) {
                return QCoreApplication::translate("SSHParser", "The option name “%1” of host “%2” holds a line break")
                    .arg(visible(option.name), block.pattern);
            }
            if (holdsLineBreak(option.value))
                return QCoreApplication::translate("SSHParser", "The value of %1 for host “%2” holds a line break")
                    .arg(option.name, block.pattern);
            if (misreadName(option.name)) {
                return QCoreApplication::translate(
                           "SSHParser",
                           "The option name “%1” of host “%2” cannot be written: it would be read as another line")
                    .arg(option.name, block.pattern);
            }
        }
        return std::nullopt;
    }

} // namespace

namespace ConfigSyntax {
    KeywordSplit splitKeyword(QStringView line)
    {
        const qsizetype n = line.size();
        qsizetype i = 0;
        while (i < n) {
            const char16_t c = line[i].unicode();
            if (c == u' ' || c == u'\t' || c == u'=')
                break;
            ++i;
        }
        const QStringView keyword = line.first(i);
        bool seenEquals = false;
        while (i < n) {
            const QChar c = line[i];
            if (TextRules::isBlank(c)) {
                ++i;
            } else if (c == u'=' && !seenEquals) {
                seenEquals = true;
                ++i;
            } else {
                break;
            }
        }
        return {keyword, TextRules::trimmed(line.sliced(i))};
    }

    QStringView hostPatterns(QStringView rest)
    {
        for (qsizetype i = 1; i < rest.size(); ++i) {
            if (rest[i] == u'#' && TextRules::isBlank(rest[i - 1])) {
                const QStringView patterns = TextRules::trimmed(rest.first(i));
                return patterns.isEmpty() ? rest : patterns;
            }
        }
        return rest;
    }

    QStringView trimmingQuotes(QStringView text)
    {
        if (text.size() >= 2) {
            const QChar first = text.front();
            if ((first == u'"' || first == u'\'') && text.back() == first)
                return text.sliced(1, text.size() - 2);
        }
        return text;
    }

    QStringList arguments(QStringView s, bool *balanced)
    {
        QStringList result;
        char16_t quote = 0;
        qsizetype i = 0;
        const qsizetype n = s.size();
        while (i < n) {
            if (s[i] == u' ' || s[i] == u'\t') {
                ++i;
                continue;
            }
            if (s[i] == u'#')
                break;
            QString word;
            quote = 0;
            for (; i < n; ++i) {
                const char16_t c = s[i].unicode();
                if (c == u'\\' && i + 1 < n) {
                    const char16_t next = s[i + 1].unicode();
                    if (next == u'\'' || next == u'"' || next == u'\\' || (quote == 0 && next == u' '))
                        ++i;
                    word += s[i];
                } else if (quote == 0 && (c == u' ' || c == u'\t')) {
                    break;
                } else if (quote == 0 && (c == u'"' || c == u'\'')) {
                    quote = c;
                } else if (quote != 0 && c == quote) {
                    quote = 0;
                } else {
                    word += s[i];
                }
            }
            result.append(word);
        }
        if (balanced)
            *balanced = quote == 0;
        return result;
    }

    QString writtenValue(const QString &name, const QString &value)
    {
        if (!readsBackBare(value) || (isSinglePathOption(name) && ConfigSyntax::arguments(value).size() > 1))
            return u'"' + value + u'"';
        return value;
    }

    int writeRank(QStringView name)
    {
        return rankOf(name, false);
    }

    bool codePointLess(QStringView a, QStringView b)
    {
        const qsizetype n = std::min(a.size(), b.size());
        for (qsizetype i = 0; i < n; ++i) {
            if (a[i] != b[i])
                return codePointKey(a[i].unicode()) < codePointKey(b[i].unicode());
        }
        return a.size() < b.size();
    }

    bool writesBefore(QStringView a, QStringView b)
    {
        // In a file, "user" is the User option: ssh reads keywords in any case.
        const int rankA = rankOf(a, true);
        const int rankB = rankOf(b, true);
        if (rankA != rankB)
            return rankA < rankB;
        return rankA == INT_MAX && codePointLess(a, b);
    }

    std::optional<QString> validateBlock(const HostBlock &block, qsizetype index)
    {
        return checkBlock(block, index);
    }

    std::optional<QString> validate(const QList<HostBlock> &blocks)
    {
        for (qsizetype i = 0; i < blocks.size(); ++i) {
            if (auto error = checkBlock(blocks[i], i))
                return error;
        }
        return std::nullopt;
    }

    QByteArray render(const QList<HostBlock> &blocks)
    {
        QString text;
        for (qsizetype i = 0; i < blocks.size(); ++i) {
            const HostBlock &block = blocks[i];
            if (i > 0)
                text += u'\n';
            text += u"Host "_s + block.pattern + u'\n';
            QList<const HostOption *> options;
            for (const HostOption &option : block.options)
                options.append(&option);
            std::stable_sort(options.begin(), options.end(), [](const HostOption *a, const HostOption *b) {
                const int rankA = writeRank(a->name);
                const int rankB = writeRank(b->name);
                if (rankA != rankB)
                    return rankA < rankB;
                return rankA == INT_MAX && codePointLess(a->name, b->name);
            });
            for (const HostOption *option : std::as_const(options))
                text += u"    "_s + option->name + u' ' + writtenValue(option->name, option->value) + u'\n';
        }
        return text.toUtf8();
    }
} // namespace ConfigSyntax
