#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// A known_hosts file made with the real ssh-keygen, for checking against its -F, -R and -l:
// 100 keys of every type it makes, under plain names, patterns, negations, ports, markers and
// hashed names, with a comment and a blank line.
namespace KnownHostsSample {
    inline const QString keygen = QStringLiteral("/usr/bin/ssh-keygen");

    // The file's bytes, made in dir; empty when ssh-keygen cannot make them.
    QByteArray make(const QString &dir);
    // What ssh-keygen prints to standard output.
    QByteArray run(const QStringList &args);
    // The line numbers (from 1) of "# Host <name> found: line N" in ssh-keygen -F output.
    QList<int> foundLines(const QByteArray &output);
} // namespace KnownHostsSample
