#pragma once

#include <QString>
#include <QUuid>

// One key pair found in the key directory: a private key file beside its "<name>.pub".
struct SSHKeyPair {
    QUuid id;
    QString name;
    QString privateURL;
    QString publicURL;
    QString keyType;
    QString comment;
    QString fingerprint;
    QString publicKeyContent;
};

// The outcome of one child process: its exit status (-1 when it could not start) and everything
// it wrote to standard output and standard error, in the order written.
struct ProcessResult {
    int exitCode = -1;
    QString output;
};
