#pragma once

#include <QObject>
#include <QString>

#include <functional>
#include <optional>

// Runs one shell command line as administrator without blocking the caller, who may wait a long
// time for a person to type a password. `done` gets nullopt when the command ran and succeeded,
// otherwise the text saying why not. It is called later, on the thread that called runElevated,
// never from inside runElevated; a runner destroyed before that never calls it.
class PrivilegedRunner
{
public:
    PrivilegedRunner() = default;
    virtual ~PrivilegedRunner() = default;
    Q_DISABLE_COPY_MOVE(PrivilegedRunner)

    virtual void runElevated(const QString &command, std::function<void(std::optional<QString>)> done) = 0;
};

// The desktop's own chain: `sudo -n` first, which succeeds only when no password is needed, then
// `pkexec`, whose authentication agent asks for one. Both run the command under /bin/sh -c.
// Used on the thread that made it.
class SystemPrivilegedRunner final : public PrivilegedRunner
{
public:
    explicit SystemPrivilegedRunner(QString sudoPath = QStringLiteral("/usr/bin/sudo"),
                                    QString pkexecPath = QStringLiteral("/usr/bin/pkexec"));
    ~SystemPrivilegedRunner() override;

    void runElevated(const QString &command, std::function<void(std::optional<QString>)> done) override;

private:
    void runWithPasswordPrompt(const QString &command, std::function<void(std::optional<QString>)> done);

    QString m_sudoPath;
    QString m_pkexecPath;
    // Parent of the running steps and context of their answers: both end with the runner.
    QObject m_steps;
};
