#pragma once

#include <QCoreApplication>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <optional>

// Opens the user's terminal emulator running one command. The command always travels as separate
// arguments, each terminal told in its own way where the command starts; no shell ever sees it.
class TerminalLauncher
{
    Q_DECLARE_TR_FUNCTIONS(TerminalLauncher)

public:
    struct Launch {
        QString program; // absolute path
        QStringList arguments;
    };

    // The terminal to use: $TERMINAL when set and found (with the options it names), else
    // x-terminal-emulator, else the first of the usual terminals found on the environment's PATH.
    static std::optional<Launch> launchFor(const QStringList &command, const QProcessEnvironment &environment);

    // Starts the terminal detached from Korvel. nullopt when it started, else a text for the user.
    static std::optional<QString>
    openWith(const QStringList &command,
             const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment());

    // The arguments that make the terminal named `program` run `command`.
    static QStringList argumentsFor(const QString &program, const QStringList &command);
};
