#pragma once

#include "keys/SSHKeyPair.h"

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

// Runs child processes without a shell. Safe to call from any thread.
namespace ProcessRunner {
    struct Request {
        // Written to the child's standard input before it starts, which then reads end of file.
        // Kept small (a pipe buffer's worth) because nothing drains it concurrently.
        QByteArray input;
        // Variables added to (or replacing those in) this process's environment, for this child only.
        QList<QPair<QString, QString>> environment;
    };

    // Runs the executable to completion. Standard output and standard error share one pipe; the
    // child never sees the terminal: its standard input comes from us and it starts a session of
    // its own, so it has no controlling terminal to prompt on.
    ProcessResult run(const QString &executable, const QStringList &args, const Request &request = {});
} // namespace ProcessRunner
