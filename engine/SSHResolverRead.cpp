#include "core/TextRules.h"
#include "engine/ConfigSyntax.h"
#include "engine/SSHResolver.h"
#include "engine/SSHResolverData.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <optional>

using namespace Qt::StringLiterals;

namespace {
    using Data = SSHResolver::Data;
    constexpr auto asciiLower = &Data::asciiLower;
    constexpr int maxIncludeDepth = 16; // as deep as ssh itself follows

    // clang-format off
    // Other spellings ssh takes for a keyword, and the name `ssh -G` prints for it.
    const char *const aliases[][2] = {
        {"challengeresponseauthentication", "kbdinteractiveauthentication"},
        {"skeyauthentication", "kbdinteractiveauthentication"},
        {"tisauthentication", "kbdinteractiveauthentication"},
        {"dsaauthentication", "pubkeyauthentication"},
        {"identityfile2", "identityfile"},
        {"keepalive", "tcpkeepalive"},
        {"hostbasedkeytypes", "hostbasedacceptedalgorithms"},
        {"pubkeyacceptedkeytypes", "pubkeyacceptedalgorithms"},
        {"smartcarddevice", "pkcs11provider"},
        {"protocolkeepalives", "serveraliveinterval"},
    };
    // Keywords ssh reads and then ignores.
    const char *const ignored[] = {
        "protocol", "cipher", "fallbacktorsh", "globalknownhostsfile2", "rhostsauthentication",
        "userknownhostsfile2", "useroaming", "usersh", "useprivilegedport", "afstokenpassing",
        "kerberosauthentication", "kerberostgtpassing", "rsaauthentication", "rhostsrsaauthentication",
        "compressionlevel", "useblacklistedkeys", "setuptimeout",
    };
    // Every keyword this ssh takes (OpenSSH 9.2 as Debian builds it), spelled as its manual spells them.
    const char *const knownKeywords[] = {
        "AddKeysToAgent", "AddressFamily", "BatchMode", "BindAddress", "BindInterface", "CanonicalDomains",
        "CanonicalizeFallbackLocal", "CanonicalizeHostname", "CanonicalizeMaxDots", "CanonicalizePermittedCNAMEs",
        "CASignatureAlgorithms", "CertificateFile", "CheckHostIP", "Ciphers", "ClearAllForwardings", "Compression",
        "ConnectionAttempts", "ConnectTimeout", "ControlMaster", "ControlPath", "ControlPersist", "DynamicForward",
        "EnableEscapeCommandline", "EnableSSHKeysign", "EscapeChar", "ExitOnForwardFailure", "FingerprintHash",
        "ForkAfterAuthentication", "ForwardAgent", "ForwardX11", "ForwardX11Timeout", "ForwardX11Trusted",
        "GatewayPorts", "GlobalKnownHostsFile", "GSSAPIAuthentication", "GSSAPIClientIdentity",
        "GSSAPIDelegateCredentials", "GSSAPIKexAlgorithms", "GSSAPIKeyExchange", "GSSAPIRenewalForcesRekey",
        "GSSAPIServerIdentity", "GSSAPITrustDns", "HashKnownHosts", "HostbasedAcceptedAlgorithms",
        "HostbasedAuthentication", "HostKeyAlgorithms", "HostKeyAlias", "HostName", "IdentitiesOnly", "IdentityAgent",
        "IdentityFile", "IgnoreUnknown", "IPQoS", "KbdInteractiveAuthentication", "KbdInteractiveDevices",
        "KexAlgorithms", "KnownHostsCommand", "LocalCommand", "LocalForward", "LogLevel", "LogVerbose", "MACs",
        "NoHostAuthenticationForLocalhost", "NumberOfPasswordPrompts", "PasswordAuthentication", "PermitLocalCommand",
        "PermitRemoteOpen", "PKCS11Provider", "Port", "PreferredAuthentications", "ProxyCommand", "ProxyJump",
        "ProxyUseFdpass", "PubkeyAcceptedAlgorithms", "PubkeyAuthentication", "RekeyLimit", "RemoteCommand",
        "RemoteForward", "RequestTTY", "RequiredRSASize", "RevokedHostKeys", "SecurityKeyProvider", "SendEnv",
        "ServerAliveCountMax", "ServerAliveInterval", "SessionType", "SetEnv", "StdinNull", "StreamLocalBindMask",
        "StreamLocalBindUnlink", "StrictHostKeyChecking", "SyslogFacility", "TCPKeepAlive", "Tunnel", "TunnelDevice",
        "UpdateHostKeys", "User", "UserKnownHostsFile", "VerifyHostKeyDNS", "VisualHostKey", "XAuthLocation",
    };

    // clang-format on

    bool isIgnored(QStringView lowerName)
    {
        return std::any_of(std::begin(ignored), std::end(ignored), [&](const char *name) {
            return lowerName == QLatin1StringView(name);
        });
    }

    SSHResolver::Data::Pattern pattern(const QString &text, bool lower)
    {
        SSHResolver::Data::Pattern p;
        p.negated = text.startsWith(u'!');
        p.text = p.negated ? text.sliced(1) : text; // shares the file's text when it can
        if (lower)
            p.text = asciiLower(p.text);
        p.literal = !p.text.contains(u'*') && !p.text.contains(u'?');
        return p;
    }

    QList<SSHResolver::Data::Pattern> patternList(const QString &argument, bool lower)
    {
        QList<SSHResolver::Data::Pattern> list;
        for (const QStringView part : QStringView(argument).split(u','))
            list.append(pattern(part.toString(), lower));
        return list;
    }

    // A Match line's words as ssh's strdelim() takes them: one "=" also separates, only double
    // quotes group. Nothing when a quote is left open.
    std::optional<QStringList> matchWords(QStringView s)
    {
        QStringList words;
        const qsizetype n = s.size();
        qsizetype i = 0;
        auto skipBlanks = [&] {
            while (i < n && (s[i] == u' ' || s[i] == u'\t' || s[i] == u'\r'))
                ++i;
        };
        while (i < n) {
            const qsizetype start = i;
            while (i < n && s[i] != u' ' && s[i] != u'\t' && s[i] != u'"' && s[i] != u'=')
                ++i;
            QString word = s.sliced(start, i - start).toString();
            if (i < n && s[i] == u'"') {
                const qsizetype close = s.indexOf(u'"', i + 1);
                if (close < 0)
                    return std::nullopt;
                word += s.sliced(i + 1, close - i - 1);
                i = close + 1;
                skipBlanks();
            } else if (i < n) {
                const bool equals = s[i] == u'=';
                ++i;
                skipBlanks();
                if (!equals && i < n && s[i] == u'=') {
                    ++i;
                    skipBlanks();
                }
            }
            words.append(word);
        }
        return words;
    }

    // A Match line's criteria, as ssh reads them; nothing when ssh refuses the line.
    std::optional<SSHResolver::Data::MatchLine> matchLine(QStringView rest, bool *wantsFinal)
    {
        using Criterion = SSHResolver::Data::Criterion;
        SSHResolver::Data::MatchLine line;
        const std::optional<QStringList> split = matchWords(rest);
        if (!split)
            return std::nullopt;
        QStringList words = *split;
        // A word that begins with "#" starts a comment; an empty one ends the line.
        for (qsizetype i = 0; i < words.size(); ++i) {
            if (words[i].isEmpty() || words[i].startsWith(u'#')) {
                words.resize(i);
                break;
            }
        }
        for (qsizetype i = 0; i < words.size(); ++i) {
            Criterion c;
            c.negated = words[i].startsWith(u'!');
            const QString name = asciiLower(QStringView(words[i]).sliced(c.negated ? 1 : 0));
            if (name == u"all"_s) {
                // "all" stands alone, or last after canonical or final.
                if (line.criteria.size() > 1 || i + 1 < words.size())
                    return std::nullopt;
                line.criteria.append(c);
                return line;
            }
            if (name == u"canonical"_s || name == u"final"_s) {
                c.type = name == u"final"_s ? Criterion::Final : Criterion::Canonical;
                *wantsFinal = *wantsFinal || c.type == Criterion::Final;
                line.criteria.append(c);
                continue;
            }
            if (i + 1 >= words.size())
                return std::nullopt;
            c.argument = words[++i];
            if (name == u"host"_s)
                c.type = Criterion::Host;
            else if (name == u"originalhost"_s)
                c.type = Criterion::OriginalHost;
            else if (name == u"user"_s)
                c.type = Criterion::User;
            else if (name == u"localuser"_s)
                c.type = Criterion::LocalUser;
            else if (name == u"exec"_s)
                c.type = Criterion::Exec;
            else
                return std::nullopt;
            const bool hostNames = c.type == Criterion::Host || c.type == Criterion::OriginalHost;
            if (c.type != Criterion::Exec)
                c.patterns = patternList(c.argument, hostNames);
            line.criteria.append(c);
        }
        if (line.criteria.isEmpty())
            return std::nullopt;
        return line;
    }

    // Several words as one value, a word that is empty or holds a blank quoted so it reads as one.
    QString quotedWords(QStringList words)
    {
        for (QString &word : words) {
            if (word.isEmpty() || std::any_of(word.cbegin(), word.cend(), TextRules::isBlank))
                word = u'"' + word + u'"';
        }
        return words.join(u' ');
    }

    // The files a glob names, component by component, in the order glob(3) returns them.
    QStringList expandGlob(const QString &pattern)
    {
        QStringList found{u"/"_s};
        for (const QString &part : pattern.split(u'/', Qt::SkipEmptyParts)) {
            QStringList next;
            for (const QString &dir : std::as_const(found)) {
                if (!part.contains(u'*') && !part.contains(u'?') && !part.contains(u'[')) {
                    const QString path = QDir(dir).filePath(part);
                    if (QFileInfo::exists(path))
                        next.append(path);
                    continue;
                }
                const QStringList names =
                    QDir(dir).entryList({part}, QDir::AllEntries | QDir::NoDotAndDotDot, QDir::Name);
                for (const QString &name : names)
                    next.append(QDir(dir).filePath(name));
            }
            found = next;
        }
        return found;
    }
} // namespace

int SSHResolver::Data::keywordId(const QString &lowerName)
{
    if (const auto it = keywordIds.constFind(lowerName); it != keywordIds.cend())
        return *it;
    QString name = lowerName;
    for (const auto &alias : aliases) {
        if (lowerName == QLatin1StringView(alias[0]))
            name = QString::fromLatin1(alias[1]);
    }
    int id = -1;
    for (size_t i = 0; i < keywords.size(); ++i) {
        if (keywords[i].name == name)
            id = int(i);
    }
    if (id < 0) {
        Keyword keyword;
        keyword.name = name;
        if (name == u"proxycommand"_s || name == u"localcommand"_s || name == u"remotecommand"_s
            || name == u"knownhostscommand"_s || name == u"proxyjump"_s)
            keyword.takes = Takes::Raw;
        else if (name == u"identityfile"_s || name == u"certificatefile"_s || name == u"localforward"_s
                 || name == u"remoteforward"_s || name == u"dynamicforward"_s)
            keyword.takes = Takes::Each;
        else if (name == u"sendenv"_s)
            keyword.takes = Takes::SendEnv;
        else if (name == u"setenv"_s)
            keyword.takes = Takes::SetEnv;
        // ssh keeps one of ProxyCommand and ProxyJump: whichever comes first.
        const bool proxy = name == u"proxycommand"_s || name == u"proxyjump"_s;
        const int other =
            proxy ? keywordIds.value(name == u"proxyjump"_s ? u"proxycommand"_s : u"proxyjump"_s, -1) : -1;
        // ssh refuses a file with a keyword it does not know, unless IgnoreUnknown names it:
        // either way, ssh takes nothing from that line.
        keyword.known = !SSHResolver::spelling(name).isEmpty();
        keyword.slot = other >= 0 ? keywords[size_t(other)].slot : slotCount++;
        id = int(keywords.size());
        keywords.push_back(keyword);
        if (name == u"hostname"_s)
            hostNameKeyword = id;
        else if (name == u"user"_s)
            userKeyword = id;
        else if (name == u"canonicalizehostname"_s)
            canonicalizeKeyword = id;
    }
    keywordIds.insert(lowerName, id);
    return id;
}

int SSHResolver::Data::classify(QStringView spelling)
{
    // Files spell a keyword the same way throughout: look the spelling up before folding it.
    for (const auto &[known, id] : std::as_const(spellings)) {
        if (known.size() == spelling.size() && known == spelling)
            return id;
    }
    const QString lower = asciiLower(spelling);
    const int id = lower == u"host"_s      ? Host
                   : lower == u"match"_s   ? Match
                   : lower == u"include"_s ? Include
                   : isIgnored(lower)      ? Ignored
                                           : keywordId(lower);
    spellings.append({spelling.toString(), id});
    return id;
}

void SSHResolver::Data::readInclude(const QString &argument, int depth)
{
    // As ssh reads them: ~ is the home folder, other relative paths are below ~/.ssh.
    QString target = argument;
    if (target == u"~"_s || target.startsWith(u"~/"_s))
        target = homeDir + target.mid(1);
    else if (!target.startsWith(u'/'))
        target = sshDir + u'/' + target;
    for (const QString &path : expandGlob(target)) {
        if (depth + 1 > maxIncludeDepth) {
            includeErrors.append(
                QCoreApplication::translate("SSHResolver", "%1: included too deeply (a loop?)").arg(path));
            continue;
        }
        QFile file(path);
        if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly)) {
            includeErrors.append(u"%1: %2"_s.arg(path, file.errorString()));
            continue;
        }
        const int index = int(files.size());
        files.append(path);
        texts.append(QString::fromUtf8(file.readAll()));
        if (!includedFiles.contains(path))
            includedFiles.append(path);
        const size_t enter = items.size();
        items.push_back({Kind::Enter, index, 0});
        read(index, depth + 1);
        items.push_back({Kind::Leave, index, 0});
        items[enter].next = int(items.size());
    }
}

void SSHResolver::Data::read(int file, int depth)
{
    QString text = texts[file]; // a copy that shares the buffer: an Include grows texts
    int lineNumber = 0;
    qsizetype block = -1; // the included Host block the options go to
    QStringList words;
    // ssh reads lines up to "\n" only; a CR before it is trailing blank.
    qsizetype start = 0;
    while (start <= text.size()) {
        qsizetype end = text.indexOf(u'\n', start);
        if (end < 0)
            end = text.size();
        ++lineNumber;
        const QStringView line = TextRules::trimmed(QStringView(text).sliced(start, end - start));
        const qsizetype next = end + 1;
        auto sliceOf = [&](QStringView view) {
            return TextRules::sharedSlice(text, view.data() - text.constData(), view.size());
        };
        if (line.isEmpty() || line.front() == u'#' || line.front() == u'\r') {
            start = next;
            continue;
        }
        const ConfigSyntax::KeywordSplit split = ConfigSyntax::splitKeyword(line);
        QStringView rest = split.rest;
        while (!rest.isEmpty() && (rest.back() == u'\r' || rest.back() == u'\f' || TextRules::isBlank(rest.back())))
            rest.chop(1);
        const int id = classify(split.keyword);
        start = next;
        if (rest.isEmpty() || id == Ignored) // ssh refuses a keyword without a value
            continue;
        // Commands go to a shell as written; everything else is split like a command line.
        const bool raw = id >= 0 && keywords[size_t(id)].takes == Takes::Raw;
        bool balanced = true;
        words.clear();
        if (!raw && std::none_of(rest.begin(), rest.end(), [](QChar c) {
                return c == u'"' || c == u'\'' || c == u'\\';
            })) {
            // Nothing to unquote: the words are pieces of the file's text.
            for (qsizetype i = 0; i < rest.size();) {
                if (rest[i] == u' ' || rest[i] == u'\t') {
                    ++i;
                    continue;
                }
                if (rest[i] == u'#')
                    break;
                const qsizetype begin = i;
                while (i < rest.size() && rest[i] != u' ' && rest[i] != u'\t')
                    ++i;
                words.append(sliceOf(rest.sliced(begin, i - begin)));
            }
        } else if (!raw) {
            words = ConfigSyntax::arguments(rest, &balanced);
        }
        if (!raw && (!balanced || words.isEmpty()))
            continue;
        // A Host or Match line ends the included block before it.
        if ((id == Host || id == Match) && block >= 0)
            includedBlocks[block].lastLine = lineNumber - 1;
        if (id == Host) {
            HostLine host;
            for (const QString &word : words)
                host.patterns.append(pattern(word, false));
            items.push_back({Kind::Host, int(hosts.size()), 0});
            hosts.push_back(std::move(host));
            block = -1;
            if (file > 0) {
                HostBlock parsed;
                parsed.pattern = ConfigSyntax::hostPatterns(rest).toString();
                block = includedBlocks.size();
                includedBlocks.append({files[file], lineNumber, parsed});
            }
        } else if (id == Match) {
            bool final = false;
            const std::optional<MatchLine> match = matchLine(rest, &final);
            wantsFinal = wantsFinal || final;
            // Any word that reads as exec counts: ssh may run the command before it refuses the line.
            for (const QString &word : matchWords(rest).value_or(words)) {
                const QString name = asciiLower(word);
                runsCommands = runsCommands || name == u"exec"_s || name == u"!exec"_s;
            }
            items.push_back({Kind::Match, int(matches.size()), 0});
            matches.push_back(match.value_or(MatchLine{{}, false}));
            block = -1;
        } else if (id == Include) {
            for (const QString &word : words)
                readInclude(word, depth);
        } else {
            Option option;
            option.keyword = id;
            option.file = file;
            option.line = lineNumber;
            if (raw)
                option.value = sliceOf(rest);
            else if (words.size() == 1)
                option.value = words.constFirst();
            else
                option.value = quotedWords(words);
            const Takes takes = keywords[option.keyword].takes;
            if (takes == Takes::SendEnv || takes == Takes::SetEnv)
                option.words = words;
            items.push_back({Kind::Option, int(options.size()), 0});
            options.push_back(std::move(option));
            if (block >= 0)
                includedBlocks[block].block.options.append(
                    {split.keyword.toString(), ConfigSyntax::trimmingQuotes(rest).toString()});
        }
    }
    if (block >= 0)
        includedBlocks[block].lastLine = lineNumber;
}

SSHResolver::SSHResolver(const QString &configText,
                         const QString &configPath,
                         const QString &homeDir,
                         const QString &sshDir)
    : d(std::make_unique<Data>())
{
    d->homeDir = homeDir;
    d->readTopLevel(configText, configPath, sshDir);
}

void SSHResolver::appendSystemConfig(const QString &text, const QString &path, const QString &includeDir)
{
    d->readTopLevel(text, path, includeDir);
}

void SSHResolver::Data::readTopLevel(const QString &text, const QString &path, const QString &includeDir)
{
    sshDir = includeDir;
    const int index = int(files.size());
    if (index > 0)
        items.push_back({Kind::Top, index, 0});
    texts.append(text);
    files.append(QFileInfo(path).absoluteFilePath());
    read(index, 0);
    // Where a section's options end: a resolve skips a section that does not apply in one step.
    int next = int(items.size());
    for (int i = next - 1; i >= 0; --i) {
        Item &item = items[size_t(i)];
        if (item.kind == Kind::Option)
            continue;
        if (item.kind != Kind::Enter)
            item.next = next;
        next = i;
    }
}

SSHResolver::~SSHResolver() = default;
SSHResolver::SSHResolver(SSHResolver &&) noexcept = default;
SSHResolver &SSHResolver::operator=(SSHResolver &&) noexcept = default;

QList<IncludedHostBlock> SSHResolver::includedHostBlocks() const
{
    return d->includedBlocks;
}

QStringList SSHResolver::includedFiles() const
{
    return d->includedFiles;
}

QStringList SSHResolver::includeErrors() const
{
    return d->includeErrors;
}

bool SSHResolver::runsCommands() const
{
    return d->runsCommands;
}

QString SSHResolver::spelling(QStringView keyword)
{
    for (const char *known : knownKeywords) {
        if (QLatin1StringView(known).compare(keyword, Qt::CaseInsensitive) == 0)
            return QString::fromLatin1(known);
    }
    return {};
}
