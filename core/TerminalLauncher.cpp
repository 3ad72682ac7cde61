#include "core/TerminalLauncher.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

using namespace Qt::StringLiterals;

namespace {
    // Tried in this order when neither $TERMINAL nor x-terminal-emulator is there.
    const QStringList usualTerminals =
        {u"gnome-terminal"_s, u"konsole"_s, u"xfce4-terminal"_s, u"kitty"_s, u"alacritty"_s, u"xterm"_s};

    QString findOnPath(const QString &name, const QProcessEnvironment &environment)
    {
        if (name.isEmpty())
            return {};
        if (name.contains(u'/')) {
            const QFileInfo info(name);
            return info.isAbsolute() && info.isFile() && info.isExecutable() ? info.absoluteFilePath() : QString();
        }
        QStringList dirs;
        // Only absolute entries: an empty one would mean the current directory.
        for (const QString &dir : environment.value(u"PATH"_s).split(u':', Qt::SkipEmptyParts)) {
            if (QDir::isAbsolutePath(dir))
                dirs.append(dir);
        }
        // findExecutable() searches the system PATH when given no directories.
        return dirs.isEmpty() ? QString() : QStandardPaths::findExecutable(name, dirs);
    }
} // namespace

QStringList TerminalLauncher::argumentsFor(const QString &program, const QStringList &command)
{
    const QString name = QFileInfo(program).fileName();
    // clang-format off
    // Each takes the rest of its arguments as the program and its arguments. gnome-terminal's own
    // -e wants one string, so it gets "--"; x-terminal-emulator must take -e by Debian policy,
    // and so does a terminal we do not know, the most common convention.
    if (name == u"gnome-terminal")                          return QStringList{u"--"_s} + command;
    if (name == u"kitty" || name == u"foot")                return command;
    if (name == u"xfce4-terminal" || name == u"terminator"
        || name == u"mate-terminal")                        return QStringList{u"-x"_s} + command;
    if (name == u"wezterm")                                 return QStringList{u"start"_s, u"--"_s} + command;
    // clang-format on
    return QStringList{u"-e"_s} + command;
}

std::optional<TerminalLauncher::Launch> TerminalLauncher::launchFor(const QStringList &command,
                                                                    const QProcessEnvironment &environment)
{
    // $TERMINAL may carry the user's own options ("kitty -1"); a path that exists as written wins.
    const QString terminal = environment.value(u"TERMINAL"_s).trimmed();
    if (const QString program = findOnPath(terminal, environment); !program.isEmpty())
        return Launch{program, argumentsFor(terminal, command)};
    if (QStringList options = QProcess::splitCommand(terminal); options.size() > 1) {
        const QString name = options.takeFirst();
        if (const QString program = findOnPath(name, environment); !program.isEmpty())
            return Launch{program, options + argumentsFor(name, command)};
    }
    for (const QString &candidate : QStringList{u"x-terminal-emulator"_s} + usualTerminals) {
        const QString program = findOnPath(candidate, environment);
        if (!program.isEmpty())
            return Launch{program, argumentsFor(candidate, command)};
    }
    return std::nullopt;
}

std::optional<QString> TerminalLauncher::openWith(const QStringList &command, const QProcessEnvironment &environment)
{
    const auto launch = launchFor(command, environment);
    if (!launch) {
        return tr("No terminal program was found. Set the TERMINAL environment variable to the terminal you "
                  "use, or install one such as xterm.");
    }
    QProcess process;
    process.setProgram(launch->program);
    process.setArguments(launch->arguments);
    process.setProcessEnvironment(environment);
    const QString home = environment.value(u"HOME"_s);
    process.setWorkingDirectory(QDir::isAbsolutePath(home) && QFileInfo(home).isDir() ? home : QDir::homePath());
    if (!process.startDetached())
        return tr("Could not start %1.").arg(launch->program);
    return std::nullopt;
}
