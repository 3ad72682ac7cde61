#pragma once

#include "core/ProcessRunner.h"

#include <QObject>
#include <QString>

#include <memory>
#include <optional>

// What the installed ssh said when it refused a configuration.
struct SSHRejection {
    QString message; // ssh's own words
    QString file; // the file it names; empty for an option given on the command line
    int line = 0; // the line it names, 0 when none

    friend bool operator==(const SSHRejection &, const SSHRejection &) = default;
};

// Asks the installed ssh whether it accepts a configuration, without connecting anywhere and
// without reading the user's files: `ssh -G` only prints what it would use. Standard input is
// closed and every run has a time limit.
class SSHCheck final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SSHCheck)
public:
    explicit SSHCheck(const QString &sshPath, QObject *parent = nullptr);

    // ssh -G -F /dev/null -o <name>=<value> localhost: does this ssh know the keyword and take the value?
    void probeOption(const QString &name, const QString &value);
    // ssh -G -F <config> <destination>: does it read the whole file?
    void checkConfig(const QString &configPath, const QString &destination);
    bool isRunning() const;
    // Stops a run; its answer never comes.
    void cancel();

    // The first error ssh printed, from a run that failed; nothing when it succeeded.
    static std::optional<SSHRejection> rejection(const ProcessResult &result);
    // Whether the config, or a file it includes, has a Match line with exec: checking such a file
    // would run the user's commands.
    static bool runsCommands(const QString &configPath, const QString &homeDir);
    // The first name of the config's Host lines that is no pattern, to ask ssh about.
    static QString firstLiteralAlias(const QStringList &patterns);

signals:
    void finished(const std::optional<SSHRejection> &rejection);

private:
    void run(const QStringList &arguments);

    QString m_sshPath;
    std::unique_ptr<ProcessRunner> m_runner;
};
