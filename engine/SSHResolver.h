#pragma once

#include "engine/HostBlock.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <memory>

// One value ssh takes from the configuration, and where it is written.
struct ResolvedOption {
    QString keyword; // lower-case, as `ssh -G` prints it
    QString value; // the value as written (quotes removed); HostName with %h etc. expanded
    QString file; // absolute path of the file that sets it
    int line = 0; // 1-based line in that file

    friend bool operator==(const ResolvedOption &, const ResolvedOption &) = default;
};

// What ssh takes from the configuration for one destination.
struct Resolution {
    QString destination; // as typed
    QString user; // the user of "user@host", empty when none; it wins over any User line
    QString host; // the destination without its user
    QList<ResolvedOption> options; // in the order ssh meets them; accumulating keywords: every value
    QStringList execCommands; // `Match exec` commands met and NOT run
    QStringList execKeywords; // lower-case keywords such sections set (could change the result)
    bool finalPass = false; // whether ssh reads the configuration a second time (Match final, canonical)

    // The winning (first) one, or nullptr.
    const ResolvedOption *find(QStringView keyword) const;
    // Every value of an accumulating keyword, in order.
    QList<const ResolvedOption *> findAll(QStringView keyword) const;
};

// Hosts defined in files the config includes (for the sidebar): file, line and the parsed block.
struct IncludedHostBlock {
    QString file;
    int line = 0;
    HostBlock block;
    int lastLine = 0; // the last line before the file's next Host or Match line, or its end
};

// Works out, without running ssh, what ssh will use for a destination: the files in the order it
// reads them, first value wins, Host and Match sections, Include. `Match exec` is never run.
class SSHResolver
{
public:
    // `configText` is the main config as the app holds it (maybe unsaved edits), read from
    // `configPath` for messages; Include globs are relative to `sshDir` (as ssh: ~/.ssh) and `~` is
    // `homeDir`. Included files are read once here (and kept), so resolve() does no file I/O.
    SSHResolver(const QString &configText, const QString &configPath, const QString &homeDir, const QString &sshDir);
    ~SSHResolver();
    SSHResolver(const SSHResolver &) = delete;
    SSHResolver &operator=(const SSHResolver &) = delete;
    SSHResolver(SSHResolver &&) noexcept;
    SSHResolver &operator=(SSHResolver &&) noexcept;

    // The system-wide file ssh reads after the user's when no -F is given (/etc/ssh/ssh_config,
    // its relative Include paths below /etc/ssh). Its sections start afresh, its values come after.
    void appendSystemConfig(const QString &text, const QString &path, const QString &includeDir);

    Resolution resolve(const QString &destination, const QString &localUser) const;
    QList<IncludedHostBlock> includedHostBlocks() const; // Host blocks of included files, in order
    QStringList includedFiles() const; // every file read through Include, in order
    // Included files that could not be read, with the reason ("<file>: <reason>").
    QStringList includeErrors() const;
    // Whether a Match line of the config or of a file it includes runs a command (exec).
    bool runsCommands() const;
    // A keyword this ssh knows, spelled as its manual spells it ("ServerAliveInterval" for
    // "serveraliveinterval"); empty for one it does not know.
    static QString spelling(QStringView keyword);
    // Whether a host name, as typed, matches the patterns of a Host line as ssh matches them.
    static bool hostMatches(QStringView host, QStringView patterns);

    struct Data;

private:
    std::unique_ptr<Data> d;
};
