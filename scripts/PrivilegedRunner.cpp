#include "scripts/PrivilegedRunner.h"

#include "core/ProcessRunner.h"

#include <QCoreApplication>
#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace {
    // sudo -n never waits for a password, so a run this long is stuck (a PAM module, a name lookup).
    constexpr int sudoTimeoutMs = 20000;

    // Why the program could not be started at all, when that is what happened. ProcessRunner says
    // so only in its message, whose translated text ends with the system's reason.
    std::optional<QString> launchFailure(const ProcessResult &result, const QString &name)
    {
        const QString prefix = QCoreApplication::translate("ProcessRunner", "Cannot run %1: %2").arg(name, QString());
        if (result.exitCode != -1 || !result.failure.startsWith(prefix))
            return std::nullopt;
        return result.failure.mid(prefix.size());
    }

    // Queued, so the answer never arrives inside runElevated, even when nothing could start.
    void answerLater(QObject *context,
                     const std::function<void(std::optional<QString>)> &done,
                     const std::optional<QString> &failure)
    {
        QMetaObject::invokeMethod(
            context,
            [done, failure] {
                done(failure);
            },
            Qt::QueuedConnection);
    }
} // namespace

SystemPrivilegedRunner::SystemPrivilegedRunner(QString sudoPath, QString pkexecPath)
    : m_sudoPath(std::move(sudoPath))
    , m_pkexecPath(std::move(pkexecPath))
{}

SystemPrivilegedRunner::~SystemPrivilegedRunner() = default;

void SystemPrivilegedRunner::runElevated(const QString &command, std::function<void(std::optional<QString>)> done)
{
    // There is no owner-authentication gate on this platform, so the chain starts with the
    // non-interactive path and falls back to the password prompt; the first error is dropped.
    auto *sudo = new ProcessRunner(&m_steps);
    QObject::connect(sudo, &ProcessRunner::finished, sudo, [this, sudo, command, done](const ProcessResult &result) {
        sudo->deleteLater();
        // The command's own exit status decides, not a bare "it started": a copy that failed
        // under sudo must not be reported as written.
        if (result.exitCode == 0)
            answerLater(&m_steps, done, std::nullopt);
        else
            runWithPasswordPrompt(command, done);
    });
    // -n: fail at once instead of asking for a password on a terminal nobody sees.
    ProcessOptions options;
    options.timeoutMs = sudoTimeoutMs;
    sudo->start(m_sudoPath, {u"-n"_s, u"/bin/sh"_s, u"-c"_s, command}, options);
}

void SystemPrivilegedRunner::runWithPasswordPrompt(const QString &command,
                                                   std::function<void(std::optional<QString>)> done)
{
    auto *pkexec = new ProcessRunner(&m_steps);
    QObject::connect(pkexec, &ProcessRunner::finished, pkexec, [this, pkexec, done](const ProcessResult &result) {
        pkexec->deleteLater();
        std::optional<QString> failure;
        const QString name = QFileInfo(m_pkexecPath).fileName();
        if (const auto reason = launchFailure(result, name))
            failure =
                QCoreApplication::translate("SystemPrivilegedRunner", "Failed to launch %1: %2").arg(name, *reason);
        else if (result.exitCode != 0 && !result.output.trimmed().isEmpty())
            failure = result.output.trimmed(); // the agent's own words, such as "Request dismissed"
        else if (result.exitCode != 0)
            failure = result.failure.isEmpty()
                          ? QCoreApplication::translate("SystemPrivilegedRunner", "Elevated command failed (exit %1)")
                                .arg(result.exitCode)
                          : result.failure;
        answerLater(&m_steps, done, failure);
    });
    // The agent's dialog may stay open for as long as the person needs, so there is no limit.
    ProcessOptions options;
    options.timeoutMs = 0;
    pkexec->start(m_pkexecPath, {u"/bin/sh"_s, u"-c"_s, command}, options);
}
