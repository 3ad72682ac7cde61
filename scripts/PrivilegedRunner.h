#pragma once

#include <QString>

#include <optional>

// Runs one shell command line as administrator. nullopt means the command ran and succeeded;
// otherwise the text says why it did not.
class PrivilegedRunner
{
public:
    PrivilegedRunner() = default;
    virtual ~PrivilegedRunner() = default;
    Q_DISABLE_COPY_MOVE(PrivilegedRunner)

    virtual std::optional<QString> runElevated(const QString &command) = 0;
};

// The desktop's own chain: `sudo -n` first, which succeeds only when no password is needed, then
// `pkexec`, whose authentication agent asks for one. Both run the command under /bin/sh -c.
class SystemPrivilegedRunner final : public PrivilegedRunner
{
public:
    explicit SystemPrivilegedRunner(QString sudoPath = QStringLiteral("/usr/bin/sudo"),
                                    QString pkexecPath = QStringLiteral("/usr/bin/pkexec"));

    std::optional<QString> runElevated(const QString &command) override;

    // The two steps of the chain, with the same result convention.
    std::optional<QString> runNonInteractive(const QString &command);
    std::optional<QString> runWithPasswordPrompt(const QString &command);

private:
    QString m_sudoPath;
    QString m_pkexecPath;
};
