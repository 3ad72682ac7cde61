#include "scripts/PrivilegedRunner.h"

#include <QFileInfo>
#include <QProcess>
#include <QStringDecoder>

using namespace Qt::StringLiterals;

SystemPrivilegedRunner::SystemPrivilegedRunner(QString sudoPath, QString pkexecPath)
    : m_sudoPath(std::move(sudoPath))
    , m_pkexecPath(std::move(pkexecPath))
{}

std::optional<QString> SystemPrivilegedRunner::runElevated(const QString &command)
{
    // There is no owner-authentication gate on this platform, so the chain starts with the
    // non-interactive path and falls back to the password prompt; the first error is dropped.
    if (!runNonInteractive(command))
        return std::nullopt;
    return runWithPasswordPrompt(command);
}

std::optional<QString> SystemPrivilegedRunner::runNonInteractive(const QString &command)
{
    QProcess process;
    process.setStandardInputFile(QProcess::nullDevice());
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    // -n: fail at once instead of asking for a password on a terminal nobody sees.
    process.start(m_sudoPath, {u"-n"_s, u"/bin/sh"_s, u"-c"_s, command});
    if (!process.waitForStarted(-1))
        return u"Failed to launch %1: %2"_s.arg(QFileInfo(m_sudoPath).fileName(), process.errorString());
    process.waitForFinished(-1);
    // Unlike a bare "it started" check, the command's own exit status decides: a copy that failed
    // under sudo must not be reported as written.
    if (process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0)
        return std::nullopt;
    return u"Elevated command failed (exit %1)"_s.arg(process.exitCode());
}

std::optional<QString> SystemPrivilegedRunner::runWithPasswordPrompt(const QString &command)
{
    QProcess process;
    process.setStandardInputFile(QProcess::nullDevice());
    process.setStandardOutputFile(QProcess::nullDevice());
    process.start(m_pkexecPath, {u"/bin/sh"_s, u"-c"_s, command});
    if (!process.waitForStarted(-1))
        return u"Failed to launch %1: %2"_s.arg(QFileInfo(m_pkexecPath).fileName(), process.errorString());
    process.closeWriteChannel();
    // The agent's dialog may stay open for a long time; the caller expects to wait for it.
    process.waitForFinished(-1);
    const QByteArray errorOutput = process.readAllStandardError();
    const bool succeeded = process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    if (succeeded)
        return std::nullopt;

    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = QString(decoder.decode(errorOutput)).trimmed();
    if (!decoder.hasError() && !text.isEmpty())
        return text;
    return u"Elevated command failed (exit %1)"_s.arg(process.exitCode());
}
