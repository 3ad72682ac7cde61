#pragma once

#include <QString>

// Every fixed place Korvel reads or writes. The application builds one from the user record;
// tests and tools build one inside a temporary directory and hand it down the same way.
struct Locations {
    QString homeDir;
    // The login name ssh knows the user by (%u, Match localuser): from the user record.
    QString userName;
    QString sshDir;
    QString configFile;
    QString knownHostsFile;
    QString scriptsDir;
    QString keygenPath;
    // The ssh that is asked whether it reads a config (`ssh -G`); empty where it must never run.
    QString sshPath;
    QString sshAddPath;
    // The running ssh-agent's socket (SSH_AUTH_SOCK); empty when there is none to ask.
    QString agentSocket;

    // The current user's real locations; the home directory comes from the user record, not $HOME.
    static Locations system();
    // The same layout below another home directory and scripts directory; no ssh is asked. The user
    // name is the home folder's name, so tests get the same one everywhere.
    static Locations forHome(const QString &homeDir,
                             const QString &scriptsDir,
                             const QString &keygenPath = QStringLiteral("/usr/bin/ssh-keygen"));
    static QString userHomeDirectory();
    // The login name of the user record; $USER only when the record has none.
    static QString userRecordName();

    friend bool operator==(const Locations &, const Locations &) = default;
};
