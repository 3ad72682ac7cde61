#pragma once

#include "core/Locations.h"

#include <QStringList>

class QTextStream;

// `korvel --resolve <destination> [-F <config>]`: what ssh takes from the configuration for a
// destination, one `ssh -G` line per keyword with the file and line that sets it. Needs no display.
namespace ResolveCommand {
    // Whether the command line asks for the command instead of the window (--resolve, -F, --help).
    bool wanted(int argc, char *argv[]);
    // Runs it: 0 when done, 2 after a one-line message for a bad argument or unreadable file.
    // Without -F, ssh reads `systemConfig` after the user's file, and so does the command.
    int run(const QStringList &arguments,
            const Locations &locations,
            QTextStream &out,
            QTextStream &err,
            const QString &systemConfig = QStringLiteral("/etc/ssh/ssh_config"));
} // namespace ResolveCommand
