#include "engine/SSHParser.h"

#include "engine/ConfigDocument.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator64>
#include <QTemporaryFile>
#include <QThread>
#include <QVarLengthArray>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <sys/stat.h>
#include <system_error>
#include <thread>
#include <unistd.h>
#include <vector>

using namespace Qt::StringLiterals;

namespace {
    QString tr(const char *text)
    {
        return QCoreApplication::translate("SSHParser", text);
    }

    // ssh compares keywords with strcasecmp, so only ASCII letters fold.
    bool equalsAsciiCaseInsensitive(QStringView text, QLatin1StringView word)
    {
        if (text.size() != word.size())
            return false;
        for (qsizetype i = 0; i < text.size(); ++i) {
            char16_t c = text[i].unicode();
            if (c >= u'A' && c <= u'Z')
                c += 32;
            if (c != char16_t(word[i].unicode()))
                return false;
        }
        return true;
    }

    struct KeywordSplit {
        QStringView keyword;
        QStringView rest; // after the separator: blanks with at most one "=" among them
    };

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
            if (SSHParser::isBlank(c)) {
                ++i;
            } else if (c == u'=' && !seenEquals) {
                seenEquals = true;
                ++i;
            } else {
                break;
            }
        }
        return {keyword, SSHParser::trimmed(line.sliced(i))};
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

    // Option names repeat on every block; sharing one string per known name saves an
    // allocation per option line.
    class NameTable
    {
    public:
        NameTable()
        {
            static const char *const names[] = {
                "HostName",
                "User",
                "Port",
                "ConnectTimeout",
                "AddressFamily",
                "IdentityFile",
                "IdentityAgent",
                "AddKeysToAgent",
                "UseKeychain",
                "IdentitiesOnly",
                "PubkeyAuthentication",
                "PasswordAuthentication",
                "PreferredAuthentications",
                "KbdInteractiveAuthentication",
                "ForwardAgent",
                "ForwardX11",
                "ForwardX11Trusted",
                "ProxyJump",
                "ProxyCommand",
                "LocalForward",
                "RemoteForward",
                "DynamicForward",
                "ServerAliveInterval",
                "ServerAliveCountMax",
                "TCPKeepAlive",
                "StrictHostKeyChecking",
                "UserKnownHostsFile",
                "Compression",
                "Ciphers",
                "MACs",
                "HostKeyAlgorithms",
                "KexAlgorithms",
                "PubkeyAcceptedAlgorithms",
                "ControlMaster",
                "ControlPath",
                "ControlPersist",
                "LogLevel",
                "BatchMode",
                "RequestTTY",
                "VisualHostKey",
                "PermitLocalCommand",
                "LocalCommand",
                "NumberOfPasswordPrompts",
                "SetEnv",
                "SendEnv",
                "EscapeChar",
                "CertificateFile",
                "IgnoreUnknown",
            };
            for (const char *name : names) {
                const QString s = QString::fromLatin1(name);
                m_byLength[s.size()].append(s);
            }
        }

        QString intern(QStringView name) const
        {
            if (name.size() < qsizetype(std::size(m_byLength))) {
                for (const QString &known : m_byLength[name.size()]) {
                    if (known == name)
                        return known;
                }
            }
            return name.toString();
        }

    private:
        QList<QString> m_byLength[32];
    };

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

        int rank(const QString &name) const
        {
            if (name.size() >= qsizetype(std::size(m_byLength)))
                return INT_MAX;
            for (const Entry &entry : m_byLength[name.size()]) {
                // Names the parser interned share the table's data, so most checks stop at the pointer.
                if (entry.name.constData() == name.constData() || entry.name == name)
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

    int writeRank(const QString &name)
    {
        static const WriteRanks ranks;
        // IgnoreUnknown only covers the options after it, so it leads its block.
        if (equalsAsciiCaseInsensitive(name, "ignoreunknown"_L1))
            return -1;
        return ranks.rank(name);
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

    bool codePointLess(QStringView a, QStringView b)
    {
        const qsizetype n = std::min(a.size(), b.size());
        for (qsizetype i = 0; i < n; ++i) {
            if (a[i] != b[i])
                return codePointKey(a[i].unicode()) < codePointKey(b[i].unicode());
        }
        return a.size() < b.size();
    }

    bool isSinglePathOption(QStringView name)
    {
        return equalsAsciiCaseInsensitive(name, "identityfile"_L1)
               || equalsAsciiCaseInsensitive(name, "certificatefile"_L1)
               || equalsAsciiCaseInsensitive(name, "identityagent"_L1)
               || equalsAsciiCaseInsensitive(name, "controlpath"_L1);
    }

    // How many arguments ssh's argv_split() makes of a bare value: words split at spaces and tabs
    // outside quotes, "\ " joins, a word starting with "#" begins a trailing comment.
    int opensshArgumentCount(QStringView s)
    {
        int count = 0;
        qsizetype i = 0;
        const qsizetype n = s.size();
        while (i < n) {
            if (s[i] == u' ' || s[i] == u'\t') {
                ++i;
                continue;
            }
            if (s[i] == u'#')
                break;
            ++count;
            char16_t quote = 0;
            for (; i < n; ++i) {
                const char16_t c = s[i].unicode();
                if (c == u'\\' && i + 1 < n) {
                    const char16_t next = s[i + 1].unicode();
                    if (next == u'\'' || next == u'"' || next == u'\\' || (quote == 0 && next == u' '))
                        ++i;
                } else if (quote == 0 && (c == u' ' || c == u'\t')) {
                    break;
                } else if (quote == 0 && (c == u'"' || c == u'\'')) {
                    quote = c;
                } else if (quote != 0 && c == quote) {
                    quote = 0;
                }
            }
        }
        return count;
    }

    bool readsBackBare(QStringView value)
    {
        if (value.isEmpty())
            return true;
        const QChar first = value.front();
        const QChar last = value.back();
        if (first == u'=' || SSHParser::isBlank(first) || SSHParser::isBlank(last))
            return false;
        return !(value.size() >= 2 && first == last && (first == u'"' || first == u'\''));
    }

    QString visible(const QString &text)
    {
        QString shown = text;
        for (QChar &c : shown) {
            if (SSHParser::isLineBreak(c))
                c = QChar(0x21B5);
        }
        return shown;
    }

    bool holdsLineBreak(QStringView text)
    {
        for (const QChar c : text) {
            if (SSHParser::isLineBreak(c))
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
        while (start < name.size() && SSHParser::isBlank(name[start]))
            ++start;
        const QStringView line = name.sliced(start);
        if (line.isEmpty())
            return true;
        const QStringView keyword = splitKeyword(line).keyword;
        return equalsAsciiCaseInsensitive(keyword, "host"_L1) || equalsAsciiCaseInsensitive(keyword, "match"_L1);
    }

    std::optional<QString> validateBlock(const HostBlock &block, qsizetype index)
    {
        // An empty pattern writes a bare "Host" line, which opens nothing: the block's options
        // would join the host before it.
        if (SSHParser::trimmed(block.pattern).isEmpty())
            return tr("The host at position %1 has an empty pattern").arg(index + 1);
        if (holdsLineBreak(block.pattern))
            return tr("The pattern of host “%1” holds a line break").arg(visible(block.pattern));
        for (auto it = block.options.cbegin(); it != block.options.cend(); ++it) {
            if (holdsLineBreak(it.key())) {
                return tr("The option name “%1” of host “%2” holds a line break").arg(visible(it.key()), block.pattern);
            }
            if (holdsLineBreak(it.value()))
                return tr("The value of %1 for host “%2” holds a line break").arg(it.key(), visible(block.pattern));
            if (misreadName(it.key())) {
                return tr("The option name “%1” of host “%2” cannot be written: it would be read as another line")
                    .arg(it.key(), block.pattern);
            }
        }
        return std::nullopt;
    }

    QString systemError(int error)
    {
        return QString::fromLocal8Bit(std::strerror(error));
    }

    bool existsOrIsLink(const QString &path)
    {
        struct stat st;
        return ::lstat(QFile::encodeName(path).constData(), &st) == 0;
    }

    std::optional<QString> makeDirectory(const QString &dir)
    {
        // Create the missing components from the top down, each with bits 0700 whatever the umask.
        QStringList missing;
        QString current = dir;
        while (!existsOrIsLink(current)) {
            missing.prepend(current);
            const QString parent = QFileInfo(current).absolutePath();
            if (parent == current)
                break;
            current = parent;
        }
        for (const QString &path : std::as_const(missing)) {
            const QByteArray native = QFile::encodeName(path);
            if (::mkdir(native.constData(), 0700) != 0 || ::chmod(native.constData(), 0700) != 0) {
                return tr("Cannot create the folder %1: %2").arg(path, systemError(errno));
            }
        }
        return std::nullopt;
    }

    // A symbolic link (a dotfiles set-up) is written through to its target, so the link stays.
    QString resolvedTarget(const QString &path)
    {
        QString current = QFileInfo(path).absoluteFilePath();
        for (int hops = 0; hops < 40; ++hops) {
            const QFileInfo info(current);
            if (!info.isSymLink())
                return current;
            current = info.symLinkTarget();
        }
        return current;
    }

    std::optional<QString> makeBackup(const QString &path, const QString &dir)
    {
        const QString base = dir + u"/config.bak."_s + QDateTime::currentDateTime().toString(u"yyyyMMdd_HHmmss"_s);
        // A second save within the same second takes the next free suffix: an existing backup is
        // never overwritten, and the save still goes ahead.
        QString candidate = base;
        for (int n = 2;; ++n) {
            if (!existsOrIsLink(candidate)) {
                QFile source(path);
                if (source.copy(candidate))
                    return std::nullopt;
                if (!existsOrIsLink(candidate)) {
                    return tr("Cannot back up the file to %1: %2").arg(candidate, source.errorString());
                }
            }
            candidate = base + u'-' + QString::number(n);
        }
    }

    std::optional<QString> writeAtomically(const QString &target, const QByteArray &bytes)
    {
        const QFileInfo info(target);
        QTemporaryFile temp(info.absolutePath() + u'/' + info.fileName() + u".korvel-XXXXXX"_s);
        if (!temp.open())
            return temp.errorString();
        // Written past QFile's buffer: a write that stops part way (disk full) reports no error
        // there, and the user would read "Unknown error".
        const char *data = bytes.constData();
        for (qsizetype left = bytes.size(); left > 0;) {
            const ssize_t written = ::write(temp.handle(), data, size_t(left));
            if (written < 0 && errno == EINTR)
                continue;
            if (written <= 0)
                return systemError(errno);
            data += written;
            left -= written;
        }
        if (::fsync(temp.handle()) != 0)
            return systemError(errno);
        if (::rename(QFile::encodeName(temp.fileName()).constData(), QFile::encodeName(target).constData()) != 0)
            return systemError(errno);
        temp.setAutoRemove(false);
        return std::nullopt;
    }

    template <typename Function>
    void forEachLine(QStringView text, Function &&function)
    {
        const QChar *data = text.data();
        const qsizetype n = text.size();
        qsizetype start = 0;
        qsizetype i = 0;
        while (i < n) {
            const char16_t c = data[i].unicode();
            if (!SSHParser::isLineBreak(QChar(c))) {
                ++i;
                continue;
            }
            function(QStringView(data + start, i - start));
            i += (c == u'\r' && i + 1 < n && data[i + 1] == u'\n') ? 2 : 1;
            start = i;
        }
        if (start < n)
            function(QStringView(data + start, n - start));
    }

    // Appends without the checks of QString::append; the writer calls it millions of times.
    class TextBuffer
    {
    public:
        explicit TextBuffer(qsizetype capacity)
        {
            m_text.resize(capacity);
            m_at = m_text.data();
        }

        void append(QStringView s)
        {
            if (s.isEmpty()) // a null view's data() is null, which memcpy must not see
                return;
            if (m_text.constData() + m_text.size() - m_at < s.size())
                grow(s.size());
            std::memcpy(static_cast<void *>(m_at), s.data(), size_t(s.size()) * sizeof(QChar));
            m_at += s.size();
        }

        void append(QChar c)
        {
            if (m_at == m_text.constData() + m_text.size())
                grow(1);
            *m_at++ = c;
        }

        QByteArray toUtf8() const
        {
            return QStringView(m_text.constData(), m_at - m_text.constData()).toUtf8();
        }

    private:
        void grow(qsizetype needed)
        {
            const qsizetype used = m_at - m_text.constData();
            m_text.resize(std::max(m_text.size() * 2, used + needed));
            m_at = m_text.data() + used;
        }

        QString m_text;
        QChar *m_at = nullptr;
    };

    // Runs piece 0 here and the others on threads of their own; where no thread can be started
    // the piece runs here too.
    template <typename Work>
    void runPieces(int pieces, Work &&work)
    {
        std::vector<std::thread> workers;
        for (int i = 1; i < pieces; ++i) {
            try {
                workers.emplace_back(work, i);
            } catch (const std::system_error &) {
                work(i);
            }
        }
        work(0);
        for (std::thread &worker : workers)
            worker.join();
    }

    bool isHeaderLine(QStringView raw)
    {
        const QStringView line = SSHParser::trimmed(raw);
        if (line.isEmpty() || line.front() == u'#')
            return false;
        const KeywordSplit split = splitKeyword(line);
        return !split.rest.isEmpty() && equalsAsciiCaseInsensitive(split.keyword, "host"_L1);
    }

    // The start of the first header line that begins after `from`, or the end of the text.
    qsizetype nextHeaderStart(QStringView text, qsizetype from)
    {
        const qsizetype n = text.size();
        qsizetype i = from;
        while (i < n) {
            while (i < n && !SSHParser::isLineBreak(text[i]))
                ++i;
            if (i >= n)
                break;
            i += (text[i] == u'\r' && i + 1 < n && text[i + 1] == u'\n') ? 2 : 1;
            qsizetype end = i;
            while (end < n && !SSHParser::isLineBreak(text[end]))
                ++end;
            if (isHeaderLine(text.sliced(i, end - i)))
                return i;
        }
        return n;
    }

    void dropTrailingBlankLines(QStringList &lines)
    {
        while (!lines.isEmpty() && SSHParser::trimmed(lines.back()).isEmpty())
            lines.removeLast();
    }
} // namespace

namespace SSHParser {
    QStringView trimmed(QStringView text)
    {
        qsizetype begin = 0;
        qsizetype end = text.size();
        while (begin < end && isBlank(text[begin]))
            ++begin;
        while (end > begin && isBlank(text[end - 1]))
            --end;
        return text.sliced(begin, end - begin);
    }

    QUuid newBlockId()
    {
        thread_local QRandomGenerator64 generator(QRandomGenerator::system()->generate());
        const quint64 high = (generator.generate() & ~quint64(0xF000)) | 0x4000; // version 4
        const quint64 low = (generator.generate() & ~(quint64(0xC0) << 56)) | (quint64(0x80) << 56); // variant 1
        return QUuid(uint(high >> 32),
                     ushort(high >> 16),
                     ushort(high),
                     uchar(low >> 56),
                     uchar(low >> 48),
                     uchar(low >> 40),
                     uchar(low >> 32),
                     uchar(low >> 24),
                     uchar(low >> 16),
                     uchar(low >> 8),
                     uchar(low));
    }

    static ParsedConfig parseRange(QStringView text)
    {
        // One table per call: threads sharing interned strings would fight over their reference counts.
        const NameTable names;
        ParsedConfig result;
        enum class Place {
            Leading,
            Block,
            Carried
        } place = Place::Leading;
        HostBlock block{QUuid(), {}, {}};
        QStringList carried;

        auto finishBlock = [&] {
            if (place == Place::Leading)
                return;
            dropTrailingBlankLines(carried);
            if (!carried.isEmpty())
                result.carried.after.insert(block.id, std::exchange(carried, {}));
            result.blocks.append(std::move(block));
        };

        forEachLine(text, [&](QStringView raw) {
            const QStringView line = trimmed(raw);
            const bool comment = line.isEmpty() || line.front() == u'#';
            const KeywordSplit split = comment ? KeywordSplit{} : splitKeyword(line);
            if (!comment && !split.rest.isEmpty() && equalsAsciiCaseInsensitive(split.keyword, "host"_L1)) {
                finishBlock();
                block = HostBlock{newBlockId(), split.rest.toString(), {}};
                place = Place::Block;
                return;
            }
            switch (place) {
            case Place::Leading:
                result.carried.leading.append(raw.toString());
                return;
            case Place::Carried:
                carried.append(raw.toString());
                return;
            case Place::Block:
                break;
            }
            if (comment)
                return;
            // A Match section runs to the next Host header and is carried as written.
            if (equalsAsciiCaseInsensitive(split.keyword, "match"_L1)) {
                place = Place::Carried;
                carried.append(raw.toString());
                return;
            }
            const QStringView value = trimmingQuotes(split.rest);
            if (split.keyword.isEmpty() || value.isEmpty())
                return;
            // The first value wins; values are never empty, so a null slot is a new one.
            QString &slot = block.options[names.intern(split.keyword)];
            if (slot.isNull())
                slot = value.toString();
        });
        finishBlock();
        return result;
    }

    ParsedConfig parseDocument(QStringView text)
    {
        // Large files are cut at Host headers and the pieces read in parallel; a piece that starts
        // at a header has no leading lines and no open Match section, so the pieces join exactly.
        const int pieces = text.size() < (1 << 20) ? 1 : std::clamp(QThread::idealThreadCount(), 1, 4);
        QList<qsizetype> cuts{0};
        for (int k = 1; k < pieces; ++k) {
            const qsizetype at = nextHeaderStart(text, std::max(cuts.constLast(), text.size() / pieces * k));
            if (at > cuts.constLast() && at < text.size())
                cuts.append(at);
        }
        cuts.append(text.size());
        if (cuts.size() == 2)
            return parseRange(text);

        std::vector<ParsedConfig> parts(cuts.size() - 1);
        runPieces(int(parts.size()), [&](int i) {
            parts[i] = parseRange(text.sliced(cuts[i], cuts[i + 1] - cuts[i]));
        });

        ParsedConfig result = std::move(parts[0]);
        for (size_t i = 1; i < parts.size(); ++i) {
            result.blocks.append(std::move(parts[i].blocks));
            result.carried.after.insert(parts[i].carried.after);
        }
        return result;
    }

    QList<HostBlock> parse(const QString &text)
    {
        return parseDocument(text).blocks;
    }

    QString writtenValue(const QString &name, const QString &value)
    {
        if (!readsBackBare(value) || (isSinglePathOption(name) && opensshArgumentCount(value) > 1))
            return u'"' + value + u'"';
        return value;
    }

    static QByteArray renderRange(const QList<HostBlock> &blocks,
                                  qsizetype begin,
                                  qsizetype end,
                                  const CarriedLines &carried,
                                  std::optional<QString> *error)
    {
        // A guess from the block count alone: measuring each block first would read all of them twice.
        TextBuffer text((end - begin) * 176 + 64);
        if (begin == 0) {
            for (const QString &line : carried.leading) {
                text.append(line);
                text.append(u'\n');
            }
        }
        struct Item {
            int rank;
            const QString *name;
            const QString *value;
        };
        QVarLengthArray<Item, 64> items;
        for (qsizetype i = begin; i < end; ++i) {
            const HostBlock &block = blocks[i];
            if (i > 0)
                text.append(u'\n');
            text.append(u"Host ");
            text.append(block.pattern);
            text.append(u'\n');

            items.clear();
            for (auto it = block.options.cbegin(); it != block.options.cend(); ++it)
                items.append({writeRank(it.key()), &it.key(), &it.value()});
            // Checking here rather than in a pass of its own reads every string from memory once.
            if (error) {
                bool broken = holdsLineBreak(block.pattern) || SSHParser::trimmed(block.pattern).isEmpty();
                for (const Item &item : std::as_const(items))
                    broken =
                        broken || holdsLineBreak(*item.name) || holdsLineBreak(*item.value) || misreadName(*item.name);
                if (broken) {
                    *error = validateBlock(block, i);
                    return {};
                }
            }
            std::sort(items.begin(), items.end(), [](const Item &a, const Item &b) {
                if (a.rank != b.rank)
                    return a.rank < b.rank;
                return codePointLess(*a.name, *b.name);
            });
            for (const Item &item : std::as_const(items)) {
                text.append(u"    ");
                text.append(*item.name);
                text.append(u' ');
                if (readsBackBare(*item.value) && !isSinglePathOption(*item.name))
                    text.append(*item.value);
                else
                    text.append(writtenValue(*item.name, *item.value));
                text.append(u'\n');
            }

            // Carried lines stand after a blank line, which the next read drops again.
            if (carried.after.isEmpty())
                continue;
            const auto after = carried.after.constFind(block.id);
            if (after != carried.after.cend() && !after->isEmpty()) {
                text.append(u'\n');
                for (const QString &line : *after) {
                    text.append(line);
                    text.append(u'\n');
                }
            }
        }
        return text.toUtf8();
    }

    // The text of the blocks; with `error`, stops at the first line break in a pattern, name or value.
    static QByteArray
    renderAll(const QList<HostBlock> &blocks, const CarriedLines &carried, std::optional<QString> *error)
    {
        const qsizetype count = blocks.size();
        const int pieces = count < 4096 ? 1 : std::clamp(QThread::idealThreadCount(), 1, 4);
        if (pieces == 1)
            return renderRange(blocks, 0, count, carried, error);

        std::vector<QByteArray> parts(pieces);
        std::vector<std::optional<QString>> errors(pieces);
        auto bound = [&](int k) {
            return count * k / pieces;
        };
        runPieces(pieces, [&](int k) {
            parts[k] = renderRange(blocks, bound(k), bound(k + 1), carried, error ? &errors[k] : nullptr);
        });
        if (error) {
            for (std::optional<QString> &found : errors) {
                if (found) {
                    *error = std::move(found);
                    return {};
                }
            }
        }

        qsizetype total = 0;
        for (const QByteArray &part : parts)
            total += part.size();
        QByteArray text = std::move(parts[0]);
        text.reserve(total);
        for (int k = 1; k < pieces; ++k)
            text += parts[k];
        return text;
    }

    QByteArray render(const QList<HostBlock> &blocks, const CarriedLines &carried)
    {
        return renderAll(blocks, carried, nullptr);
    }

    std::optional<QString> validate(const QList<HostBlock> &blocks)
    {
        for (qsizetype i = 0; i < blocks.size(); ++i) {
            if (auto error = validateBlock(blocks[i], i))
                return error;
        }
        return std::nullopt;
    }

    std::optional<QString> write(const QList<HostBlock> &blocks, const CarriedLines &carried, const QString &path)
    {
        // Refuse before touching anything: no folder, no backup, no change to the file.
        std::optional<QString> invalid;
        const QByteArray text = renderAll(blocks, carried, &invalid);
        if (invalid)
            return invalid;

        const QFileInfo info(path);
        const QString dir = info.absolutePath();
        if (!existsOrIsLink(dir)) {
            if (auto failure = makeDirectory(dir))
                return failure;
        }
        if (QFileInfo::exists(path)) {
            if (auto failure = makeBackup(path, dir))
                return failure;
        }

        const QString target = resolvedTarget(path);
        if (auto failure = writeAtomically(target, text))
            return failure;
        if (::chmod(QFile::encodeName(target).constData(), 0600) != 0)
            return systemError(errno);
        return std::nullopt;
    }

    std::optional<QString> write(const QList<HostBlock> &blocks, const QString &path)
    {
        return write(blocks, CarriedLines{}, path);
    }
} // namespace SSHParser
