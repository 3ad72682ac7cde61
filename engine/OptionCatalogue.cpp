#include "engine/OptionCatalogue.h"

#include "engine/HostBlock.h"

#include <QCoreApplication>

using namespace Qt::StringLiterals;

namespace OptionCatalogue {
    namespace {
        constexpr char context[] = "OptionCatalogue";

        // The tables keep the English source: they are built once, possibly before a translator is
        // installed, so their texts are translated where they are shown.
        QString source(const char *text)
        {
            return QString::fromUtf8(text);
        }
        QStringList list(std::initializer_list<const char *> items)
        {
            QStringList result;
            for (const char *item : items)
                result.append(QString::fromUtf8(item));
            return result;
        }
    } // namespace

    const QList<OptionSection> &optionSections()
    {
        static const QList<OptionSection> sections = {
            {source(QT_TRANSLATE_NOOP("OptionCatalogue", "Connection")),
             list({"HostName", "User", "Port", "ConnectTimeout", "AddressFamily"})},
            {source(QT_TRANSLATE_NOOP("OptionCatalogue", "Authentication")),
             list({"IdentityFile",
                   "IdentityAgent",
                   "AddKeysToAgent",
                   "IdentitiesOnly",
                   "PubkeyAuthentication",
                   "PasswordAuthentication",
                   "PreferredAuthentications",
                   "KbdInteractiveAuthentication",
                   "NumberOfPasswordPrompts"})},
            {source(QT_TRANSLATE_NOOP("OptionCatalogue", "Forwarding & Tunneling")),
             list({"ForwardAgent",
                   "ForwardX11",
                   "ForwardX11Trusted",
                   "ProxyJump",
                   "ProxyCommand",
                   "LocalForward",
                   "RemoteForward",
                   "DynamicForward"})},
            {source(QT_TRANSLATE_NOOP("OptionCatalogue", "Multiplexing")),
             list({"ControlMaster", "ControlPath", "ControlPersist"})},
            {source(QT_TRANSLATE_NOOP("OptionCatalogue", "Keep-Alive")),
             list({"ServerAliveInterval", "ServerAliveCountMax", "TCPKeepAlive"})},
            {source(QT_TRANSLATE_NOOP("OptionCatalogue", "Security")),
             list({"StrictHostKeyChecking",
                   "UserKnownHostsFile",
                   "Compression",
                   "Ciphers",
                   "MACs",
                   "HostKeyAlgorithms",
                   "KexAlgorithms",
                   "PubkeyAcceptedAlgorithms"})},
            {source(QT_TRANSLATE_NOOP("OptionCatalogue", "Misc")),
             list({"LogLevel",
                   "BatchMode",
                   "RequestTTY",
                   "VisualHostKey",
                   "EscapeChar",
                   "SetEnv",
                   "SendEnv",
                   "PermitLocalCommand",
                   "LocalCommand"})},
        };
        return sections;
    }

    const QSet<QString> &allKnownKeys()
    {
        static const QSet<QString> keys = [] {
            QSet<QString> all;
            for (const OptionSection &section : optionSections()) {
                for (const QString &key : section.keys)
                    all.insert(key);
            }
            return all;
        }();
        return keys;
    }

    const QHash<QString, QStringList> &sectionCommonKeys()
    {
        static const QHash<QString, QStringList> common = {
            {u"Connection"_s, list({"HostName", "User", "Port"})},
            {u"Authentication"_s, list({"IdentityFile", "AddKeysToAgent"})},
            {u"Forwarding & Tunneling"_s, {}},
            {u"Multiplexing"_s, {}},
            {u"Keep-Alive"_s, {}},
            {u"Security"_s, {}},
            {u"Misc"_s, {}},
        };
        return common;
    }

    const QHash<QString, QStringList> &optionPickerValues()
    {
        static const QHash<QString, QStringList> values = [] {
            const QStringList yesNo = list({"yes", "no"});
            QHash<QString, QStringList> v;
            v.insert(u"AddressFamily"_s, list({"inet", "inet6", "any"}));
            v.insert(u"StrictHostKeyChecking"_s, list({"accept-new", "yes", "no", "ask", "off"}));
            v.insert(u"AddKeysToAgent"_s, list({"yes", "no", "ask", "confirm"}));
            for (const char *key : {"ForwardAgent",
                                    "ForwardX11",
                                    "ForwardX11Trusted",
                                    "Compression",
                                    "BatchMode",
                                    "VisualHostKey",
                                    "TCPKeepAlive",
                                    "IdentitiesOnly",
                                    "PubkeyAuthentication",
                                    "PasswordAuthentication",
                                    "KbdInteractiveAuthentication",
                                    "PermitLocalCommand",
                                    "ControlPersist"})
                v.insert(QString::fromLatin1(key), yesNo);
            v.insert(u"RequestTTY"_s, list({"yes", "no", "force", "auto"}));
            v.insert(u"ControlMaster"_s, list({"auto", "autoask", "yes", "no", "ask"}));
            v.insert(u"LogLevel"_s,
                     list({"QUIET", "FATAL", "ERROR", "INFO", "VERBOSE", "DEBUG", "DEBUG1", "DEBUG2", "DEBUG3"}));
            v.insert(u"PreferredAuthentications"_s,
                     list({"publickey",
                           "publickey,keyboard-interactive",
                           "publickey,password",
                           "keyboard-interactive",
                           "password",
                           "gssapi-with-mic,publickey"}));
            return v;
        }();
        return values;
    }

    const QHash<QString, QString> &optionHelp()
    {
        // clang-format off
        static const QHash<QString, QString> help = {
            {u"HostName"_s, source(QT_TRANSLATE_NOOP("OptionCatalogue", "The real hostname or IP address to connect to. Use this when the Host alias is a short nickname. Example: set Host to \"prod\" and HostName to \"192.168.1.10\"."))},
            {u"User"_s, source(QT_TRANSLATE_NOOP("OptionCatalogue", "The username to log in as on the remote host. Saves typing \"username@host\" every time. Example: \"ubuntu\", \"root\", or your work username."))},
            {u"Port"_s, source(QT_TRANSLATE_NOOP("OptionCatalogue", "The TCP port to connect to on the remote host. Default is 22. Change this if the SSH daemon runs on a non-standard port. Example: \"2222\"."))},
            {u"ConnectTimeout"_s, source(QT_TRANSLATE_NOOP("OptionCatalogue", "Seconds to wait when establishing a connection before giving up. Useful on slow or unreliable networks. Default is the system TCP timeout (often 120s). Example: \"10\" to fail fast."))},
            {u"AddressFamily"_s, source(QT_TRANSLATE_NOOP("OptionCatalogue", "Which IP address family to use when connecting. \"inet\" forces IPv4, \"inet6\" forces IPv6, \"any\" (default) tries both."))},
            {u"IdentityFile"_s, source(QT_TRANSLATE_NOOP("OptionCatalogue", "Path to the private key file used for public-key authentication. Supports ~ for home directory. Example: \"~/.ssh/id_ed25519\". You can add multiple IdentityFile lines for fallback keys."))},
            {u"IdentityAgent"_s, source(QT_TRANSLATE_NOOP("OptionCatalogue", "Path to the SSH agent socket, or \"none\" to disable agent forwarding for this host. Usually you don't need to set this — the agent is picked up automatically from SSH_AUTH_SOCK."))},
            {u"AddKeysToAgent"_s, source(QT_TRANSLATE_NOOP("OptionCatalogue", "Whether to automatically add the private key to the running SSH agent on first use. \"yes\" adds silently, \"ask\" prompts, \"confirm\" prompts on each use. With a passphrase-protected key you type the passphrase once per session: ssh-agent keeps the key, and the desktop's keyring unlocks it at login where one runs."))},
            {u"IdentitiesOnly"_s, source(QT_TRANSLATE_NOOP("OptionCatalogue", "When \"yes\", only the keys explicitly listed with IdentityFile are offered — the SSH agent and default key files are ignored. Useful when the server has a strict limit on authentication attempts."))},
            {u"PubkeyAuthentication"_s, source(QT_TRANSLATE_NOOP("OptionCatalogue", "Whether to attempt public-key authentication. Default is \"yes\". Set to \"no\" to force password or other methods (rarely needed)."))},
            {u"PasswordAuthentication"_s, source(QT_TRANSLATE_NOOP("OptionCatalogue", "Whether to attempt password authentication if public-key fails. Default is \"yes\". Set to \"no\" on hardened servers that allow keys only — prevents being prompted for a password."))},
            {u"PreferredAuthentications"_s, source(QT_TRANSLATE_NOOP("OptionCatalogue", "Comma-separated list of authentication methods to try, in order. \"publickey\" is fastest and most secure. Example: \"publickey,keyboard-interactive\" to skip password prompts."))},
            {u"KbdInteractiveAuthentication"_s, source(QT_TRANSLATE_NOOP("OptionCatalogue", "Whether to try keyboard-interactive authentication (e.g. OTP, MFA prompts). Default is \"yes\". Disable if the server has no interactive auth to avoid delays."))},
            {u"NumberOfPasswordPrompts"_s, source(QT_TRANSLATE_NOOP("OptionCatalogue", "How many times to prompt for a password before giving up. Default is 3. Set to \"1\" on scripts to avoid repeated prompting."))},
            {u"ForwardAgent"_s, source(QT_TRANSLATE_NOOP("OptionCatalogue", "Forwards your local SSH agent to the remote host so you can SSH onward (agent hopping) without copying private keys. Only enable for trusted servers — a compromised server can misuse your agent."))},
            {u"ForwardX11"_s, source(QT_TRANSLATE_NOOP("OptionCatalogue", "Enables X11 display forwarding so GUI apps on the remote machine appear locally. Requires an X11 server on macOS (e.g. XQuartz). Use ForwardX11Trusted yes if apps need untrusted extensions."))},
            {u"ForwardX11Trusted"_s, source(QT_TRANSLATE_NOOP("OptionCatalogue", "When \"yes\", gives the remote X11 client full access to your local X11 display (less sandboxed). Required by some older GUI applications. Prefer \"no\" (default) unless you hit display issues."))},
            {u"ProxyJump"_s, source(QT_TRANSLATE_NOOP("OptionCatalogue", "One or more jump hosts to hop through before reaching the destination, separated by commas. Example: \"bastion.example.com\" or \"user@jump1,user@jump2\". Replaces the older ProxyCommand approach with a cleaner syntax."))},
            {u"ProxyCommand"_s, source(QT_TRANSLATE_NOOP("OptionCatalogue", "A command to run to establish the connection instead of a direct TCP connection. Example: \"ssh -W %h:%p bastion.example.com\". ProxyJump is usually simpler — use ProxyCommand for advanced cases."))},
            {u"LocalForward"_s, source(QT_TRANSLATE_NOOP("OptionCatalogue", "Forward a local port to a remote host:port over the SSH tunnel. Format: \"LOCAL_PORT REMOTE_HOST:REMOTE_PORT\". Example: \"5432 localhost:5432\" to tunnel a remote Postgres to local port 5432."))},
            {u"RemoteForward"_s, source(QT_TRANSLATE_NOOP("OptionCatalogue", "Forward a port on the remote host to a local host:port. Format: \"REMOTE_PORT LOCAL_HOST:LOCAL_PORT\". Example: \"8080 localhost:3000\" to expose your local dev server on the remote machine."))},
            {u"DynamicForward"_s, source(QT_TRANSLATE_NOOP("OptionCatalogue", "Creates a local SOCKS5 proxy that tunnels all traffic through the SSH connection. Format: \"LOCAL_PORT\". Example: \"1080\" — configure your browser to use SOCKS5 proxy at localhost:1080."))},
            {u"ControlMaster"_s, source(QT_TRANSLATE_NOOP("OptionCatalogue", "Enables SSH connection multiplexing — subsequent connections to the same host reuse an existing connection, making them instant. \"auto\" creates a master if none exists; \"autoask\" prompts first."))},
            {u"ControlPath"_s, source(QT_TRANSLATE_NOOP("OptionCatalogue", "Path to the socket file used for connection multiplexing (ControlMaster). Example: \"~/.ssh/ctrl/%r@%h:%p\". The directory must exist before use."))},
            {u"ControlPersist"_s, source(QT_TRANSLATE_NOOP("OptionCatalogue", "How long the master connection stays open after the last client disconnects. \"yes\" keeps it open indefinitely; a number like \"10m\" keeps it for 10 minutes. Combine with ControlMaster auto for fast repeated connections."))},
            {u"ServerAliveInterval"_s, source(QT_TRANSLATE_NOOP("OptionCatalogue", "Seconds between keepalive packets sent to the server when no data has been received. Prevents idle connections from being dropped by firewalls or NAT. Example: \"60\" sends a ping every minute."))},
            {u"ServerAliveCountMax"_s, source(QT_TRANSLATE_NOOP("OptionCatalogue", "How many keepalive messages to send without a response before disconnecting. Works together with ServerAliveInterval. Example: \"3\" disconnects after 3 missed pings (combined: 3 minutes of silence)."))},
            {u"TCPKeepAlive"_s, source(QT_TRANSLATE_NOOP("OptionCatalogue", "Whether the OS-level TCP keepalive is used to detect dead connections. Default is \"yes\". Less reliable than ServerAliveInterval for detecting NAT drops, but has no overhead."))},
            {u"StrictHostKeyChecking"_s, source(QT_TRANSLATE_NOOP("OptionCatalogue", "Controls what happens when the server's host key is unknown or has changed. \"accept-new\" silently accepts new keys but rejects changed ones (safest for automation). \"yes\" rejects unknown keys. \"no\" accepts all (dangerous). \"ask\" prompts (default)."))},
            {u"UserKnownHostsFile"_s, source(QT_TRANSLATE_NOOP("OptionCatalogue", "Path to the known_hosts file where server fingerprints are stored. Default: \"~/.ssh/known_hosts\". Set to \"/dev/null\" to disable host key checking entirely (insecure, dev only)."))},
            {u"Compression"_s, source(QT_TRANSLATE_NOOP("OptionCatalogue", "Whether to compress data during transfer. Helps on slow connections but adds CPU overhead on fast ones. Default is \"no\". Enable with \"yes\" for slow links or large file transfers."))},
            {u"Ciphers"_s, source(QT_TRANSLATE_NOOP("OptionCatalogue", "Comma-separated list of encryption ciphers in preference order. Leave blank to use the secure defaults. Example to prefer ChaCha20: \"chacha20-poly1305@openssh.com,aes256-gcm@openssh.com\"."))},
            {u"MACs"_s, source(QT_TRANSLATE_NOOP("OptionCatalogue", "Message Authentication Code algorithms for data integrity verification. Leave blank for secure defaults. Only change if connecting to legacy systems that require specific MACs."))},
            {u"HostKeyAlgorithms"_s, source(QT_TRANSLATE_NOOP("OptionCatalogue", "Which host key types to accept from the server, in preference order. Leave blank for secure defaults. Example: \"ssh-ed25519,rsa-sha2-512\" to prefer Ed25519 over RSA."))},
            {u"KexAlgorithms"_s, source(QT_TRANSLATE_NOOP("OptionCatalogue", "Key exchange algorithms used to establish the session encryption key. Leave blank for secure defaults. Only override when connecting to servers that don't support modern algorithms."))},
            {u"PubkeyAcceptedAlgorithms"_s, source(QT_TRANSLATE_NOOP("OptionCatalogue", "Algorithms accepted for public-key authentication, in preference order. Leave blank for secure defaults. Example: \"ssh-ed25519,rsa-sha2-256\" to prioritize Ed25519."))},
            {u"LogLevel"_s, source(QT_TRANSLATE_NOOP("OptionCatalogue", "Verbosity of SSH client log messages. \"INFO\" (default) logs connections. \"DEBUG\" / \"DEBUG2\" / \"DEBUG3\" add increasing detail useful for troubleshooting authentication or connection issues. \"QUIET\" suppresses all but critical errors."))},
            {u"BatchMode"_s, source(QT_TRANSLATE_NOOP("OptionCatalogue", "When \"yes\", disables all interactive prompts — passwords, confirmations, host key questions. Use in scripts and automation where there's no terminal. The connection fails instead of prompting."))},
            {u"RequestTTY"_s, source(QT_TRANSLATE_NOOP("OptionCatalogue", "Whether to request a pseudo-terminal (TTY) for the session. \"auto\" (default) allocates a TTY when running interactively. \"force\" always allocates one — useful for running sudo over SSH. \"no\" never allocates a TTY."))},
            {u"VisualHostKey"_s, source(QT_TRANSLATE_NOOP("OptionCatalogue", "When \"yes\", displays a visual ASCII-art fingerprint of the host key on connection. Makes it easier to spot if a host key has changed unexpectedly. Fun and slightly useful — default is \"no\"."))},
            {u"EscapeChar"_s, source(QT_TRANSLATE_NOOP("OptionCatalogue", "The escape character used to control the SSH session (default \"~\"). \"~.\" disconnects, \"~^Z\" suspends, \"~#\" lists forwarded connections. Set to \"none\" to disable escape sequences."))},
            {u"SetEnv"_s, source(QT_TRANSLATE_NOOP("OptionCatalogue", "Environment variables to set on the remote machine, as NAME=value pairs. The server's AcceptEnv must allow the variable. Example: \"MY_VAR=hello\"."))},
            {u"SendEnv"_s, source(QT_TRANSLATE_NOOP("OptionCatalogue", "Local environment variables to send to the remote session. The server must accept them via AcceptEnv in sshd_config. Example: \"LANG LC_*\" sends locale settings (common default on macOS)."))},
            {u"PermitLocalCommand"_s, source(QT_TRANSLATE_NOOP("OptionCatalogue", "When \"yes\", enables the LocalCommand option below. Must be \"yes\" for LocalCommand to have any effect."))},
            {u"LocalCommand"_s, source(QT_TRANSLATE_NOOP("OptionCatalogue", "A local shell command to run after a successful connection. PermitLocalCommand must be \"yes\". Example: \"echo Connected to %h\" to log connections."))},
        };
        // clang-format on
        return help;
    }

    QString sectionTitle(const OptionSection &section)
    {
        return QCoreApplication::translate(context, section.title.toUtf8().constData());
    }

    QString helpText(const QString &key)
    {
        const auto found = optionHelp().constFind(key);
        if (found == optionHelp().cend())
            return {};
        return QCoreApplication::translate(context, found->toUtf8().constData());
    }

    std::optional<QString> knownKey(QStringView name)
    {
        // Keyed by the lower-case ASCII spelling, which is how ssh compares keywords.
        static const QHash<QString, QString> byFolded = [] {
            QHash<QString, QString> table;
            for (const QString &key : allKnownKeys())
                table.insert(key.toLower(), key);
            return table;
        }();
        QString folded = name.toString();
        for (QChar &c : folded) {
            if (c >= u'A' && c <= u'Z')
                c = QChar(c.unicode() + 32);
        }
        const auto found = byFolded.constFind(folded);
        if (found == byFolded.cend())
            return std::nullopt;
        return *found;
    }

    bool acceptsRepeats(QStringView name)
    {
        // ssh_config(5): every line of these adds to what the earlier ones gave.
        static const char16_t *const repeatable[] = {
            u"IdentityFile",
            u"CertificateFile",
            u"LocalForward",
            u"RemoteForward",
            u"DynamicForward",
            u"SendEnv",
            u"SetEnv",
            u"Include",
            u"PermitRemoteOpen",
        };
        for (const char16_t *known : repeatable) {
            if (SSHKeyword::equal(name, QStringView(known)))
                return true;
        }
        return false;
    }
} // namespace OptionCatalogue
