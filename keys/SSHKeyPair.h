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
