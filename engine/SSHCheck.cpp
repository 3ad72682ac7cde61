#include "engine/SSHCheck.h"

#include "core/TextRules.h"
#include "engine/ConfigSyntax.h"
#include "engine/HostBlock.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>

using namespace Qt::StringLiterals;

namespace {
    constexpr int checkTimeoutMs = 10000;
    constexpr int maxIncludeDepth = 16; // as deep as ssh itself follows

    // The words of an argument list as ssh splits them: at blanks, with one pair of quotes removed.
    QStringList words(QStringView text)
    {
        QStringList result;
        for (const QString &word : text.toString().split(QRegularExpression(u"[ \t]+"_s), Qt::SkipEmptyParts)) {
            const QStringView unquoted = ConfigSyntax::trimmingQuotes(word);
            if (unquoted.startsWith(u'#'))
                break;
            result.append(unquoted.toString());
        }
        return result;
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

    bool runsCommandsIn(const QString &path, const QString &homeDir, int depth, QSet<QString> &seen)
    {
        if (depth > maxIncludeDepth || seen.contains(path))
            return false;
        seen.insert(path);
        QFile file(path);
        if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly))
            return false;
        const QString text = QString::fromUtf8(file.readAll());
        bool found = false;
        TextRules::forEachLine(text, true, [&](qsizetype start, qsizetype bodyEnd, qsizetype) {
            const QStringView line = TextRules::trimmed(QStringView(text).sliced(start, bodyEnd - start));
            if (found || line.isEmpty() || line.front() == u'#')
                return;
            const ConfigSyntax::KeywordSplit split = ConfigSyntax::splitKeyword(line);
            if (SSHKeyword::equal(split.keyword, u"match")) {
                for (const QString &word : words(split.rest)) {
                    if (SSHKeyword::equal(word, u"exec") || SSHKeyword::equal(word, u"!exec"))
                        found = true;
                }
            } else if (SSHKeyword::equal(split.keyword, u"include")) {
                // As ssh reads them: ~ is the home folder, other relative paths are below ~/.ssh.
                for (QString target : words(split.rest)) {
                    if (target.startsWith(u"~/"_s))
                        target = homeDir + target.mid(1);
                    else if (!target.startsWith(u'/'))
                        target = homeDir + u"/.ssh/"_s + target;
                    for (const QString &included : expandGlob(target))
                        found = found || runsCommandsIn(included, homeDir, depth + 1, seen);
                }
            }
        });
        return found;
    }
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
    QSet<QString> seen;
    return runsCommandsIn(configPath, homeDir, 0, seen);
}

QString SSHCheck::firstLiteralAlias(const QStringList &patterns)
{
    for (const QString &pattern : patterns) {
        for (const QString &word : words(pattern)) {
            if (!word.contains(u'*') && !word.contains(u'?') && !word.startsWith(u'!') && !word.startsWith(u'-'))
                return word;
        }
    }
    return u"localhost"_s;
}
