#include "core/ProcessRunner.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFileInfo>
#include <QProcess>
#include <QStringDecoder>
#include <QTimer>

#include <csignal>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {
    QString decoded(const QByteArray &bytes)
    {
        // Stateless: a sequence cut off at the end is an error, not bytes held back for a next call.
        QStringDecoder decoder(QStringConverter::Utf8,
                               QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom);
        QString text = decoder.decode(bytes);
        return decoder.hasError() ? QString() : text;
    }

    void prepare(QProcess &process, const ProcessRunner::Options &options)
    {
        process.setProcessChannelMode(QProcess::MergedChannels);
        if (!options.environment.isEmpty()) {
            QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
            for (const auto &[name, value] : options.environment)
                environment.insert(name, value);
            process.setProcessEnvironment(environment);
        }
        if (!options.input)
            process.setStandardInputFile(QProcess::nullDevice());
        // A session of its own: the child can never open our terminal to ask for anything.
        process.setChildProcessModifier([] {
            ::setsid();
        });
    }
} // namespace

ProcessRunner::ProcessRunner(QObject *parent)
    : QObject(parent)
{}

namespace {
    // The child leads a session of its own, so its process group holds everything it started:
    // a script's own children go with it.
    void killGroup(QProcess *process)
    {
        if (const qint64 pid = process->processId(); pid > 0)
            ::kill(-pid_t(pid), SIGKILL);
        process->kill();
    }
} // namespace

ProcessRunner::~ProcessRunner()
{
    if (m_process) {
        m_process->disconnect(this);
        killGroup(m_process);
        m_process->waitForFinished(1000);
    }
}

bool ProcessRunner::isRunning() const
{
    return m_process != nullptr;
}

void ProcessRunner::start(const QString &program, const QStringList &arguments, const Options &options)
{
    Q_ASSERT(!m_process);
    m_program = program;
    m_stopReason.clear();
    m_process = new QProcess(this);
    prepare(*m_process, options);
    connect(m_process, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart) {
            //: %2, the system's reason, stays at the end: the privileged runner reads it from there.
            const QString failure = tr("Cannot run %1: %2");
            finish({-1, {}, failure.arg(QFileInfo(m_program).fileName(), m_process->errorString())});
        }
    });
    connect(m_process, &QProcess::finished, this, [this](int exitCode, QProcess::ExitStatus status) {
        ProcessResult result{exitCode, decoded(m_process->readAll()), {}};
        if (!m_stopReason.isEmpty() || status != QProcess::NormalExit) {
            result.exitCode = -1;
            result.failure = m_stopReason.isEmpty() ? tr("%1 stopped unexpectedly").arg(QFileInfo(m_program).fileName())
                                                    : m_stopReason;
        }
        finish(std::move(result));
    });
    if (options.timeoutMs > 0) {
        m_timer = new QTimer(this);
        m_timer->setSingleShot(true);
        connect(m_timer, &QTimer::timeout, this, [this, seconds = (options.timeoutMs + 999) / 1000] {
            const QString name = QFileInfo(m_program).fileName();
            m_stopReason = seconds == 1 ? tr("%1 did not finish within 1 second").arg(name)
                                        : tr("%1 did not finish within %2 seconds").arg(name).arg(seconds);
            killGroup(m_process);
        });
        m_timer->start(options.timeoutMs);
    }
    m_process->start(program, arguments);
    if (options.input && m_process) {
        m_process->write(*options.input);
        m_process->closeWriteChannel();
    }
}

void ProcessRunner::cancel()
{
    if (!m_process)
        return;
    m_stopReason = tr("Cancelled");
    killGroup(m_process);
}

void ProcessRunner::finish(ProcessResult result)
{
    if (!m_process)
        return;
    m_process->disconnect(this);
    m_process->deleteLater();
    m_process = nullptr;
    delete m_timer;
    m_timer = nullptr;
    emit finished(result);
}

ProcessResult ProcessRunner::run(const QString &program, const QStringList &arguments, const Options &options)
{
    ProcessRunner runner;
    ProcessResult result;
    QEventLoop loop;
    connect(&runner, &ProcessRunner::finished, &loop, [&](const ProcessResult &r) {
        result = r;
        loop.quit();
    });
    runner.start(program, arguments, options);
    if (runner.isRunning())
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    return result;
}
