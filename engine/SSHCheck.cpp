#include "engine/SSHCheck.h"

#include "engine/ConfigSyntax.h"
#include "engine/SSHResolver.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

using namespace Qt::StringLiterals;

namespace {
    constexpr int checkTimeoutMs = 10000;
} // namespace

SSHCheck::SSHCheck(const QString &sshPath, QObject *parent)
    : QObject(parent)
    , m_sshPath(sshPath)
{}

void SSHCheck::probeOption(const QString &name, const QString &value)
{
    run({u"-G"_s, u"-F"_s, u"/dev/null"_s, u"-o"_s, name + u'=' + value, u"localhost"_s});
}

void SSHCheck::checkConfig(const QString &configPath, const QString &destination)
{
    run({u"-G"_s, u"-F"_s, configPath, u"--"_s, destination});
}

bool SSHCheck::isRunning() const
{
    return m_runner && m_runner->isRunning();
}

void SSHCheck::cancel()
{
    m_runner.reset(); // kills the child; its answer goes with the runner
}

void SSHCheck::run(const QStringList &arguments)
{
    // A new question replaces one still running.
    m_runner = std::make_unique<ProcessRunner>();
    connect(m_runner.get(), &ProcessRunner::finished, this, [this](const ProcessResult &result) {
        emit finished(rejection(result));
    });
    ProcessOptions options;
    options.timeoutMs = checkTimeoutMs;
    m_runner->start(m_sshPath, arguments, options);
}

std::optional<SSHRejection> SSHCheck::rejection(const ProcessResult &result)
{
    if (result.exitCode == 0)
        return std::nullopt;
    if (!result.failure.isEmpty())
        return SSHRejection{result.failure, {}, 0};
    // "<file>: line 3: Bad configuration option: x" or "<file> line 5: Bad port 'zz'."
    static const QRegularExpression located(u"^(.*?):? line (\\d+): (.*)$"_s);
    const QStringList lines = result.output.split(u'\n', Qt::SkipEmptyParts);
    for (const QString &line : lines) {
        const QRegularExpressionMatch match = located.match(line.trimmed());
        if (!match.hasMatch())
            continue;
        const QString file = match.captured(1);
        QString message = match.captured(3);
        if (message.endsWith(u'.'))
            message.chop(1);
        return SSHRejection{message, file == u"command-line"_s ? QString() : file, match.captured(2).toInt()};
    }
    return SSHRejection{lines.isEmpty() ? QString() : lines.constFirst().trimmed(), {}, 0};
}

bool SSHCheck::runsCommands(const QString &configPath, const QString &homeDir)
{
    QFile file(configPath);
    if (!QFileInfo(configPath).isFile() || !file.open(QIODevice::ReadOnly))
        return false;
    const SSHResolver resolver(QString::fromUtf8(file.readAll()), configPath, homeDir, homeDir + u"/.ssh"_s);
    return resolver.runsCommands();
}

QString SSHCheck::firstLiteralAlias(const QStringList &patterns)
{
    for (const QString &pattern : patterns) {
        for (const QString &word : ConfigSyntax::arguments(pattern)) {
            if (!word.contains(u'*') && !word.contains(u'?') && !word.startsWith(u'!') && !word.startsWith(u'-'))
                return word;
        }
    }
    return u"localhost"_s;
}
