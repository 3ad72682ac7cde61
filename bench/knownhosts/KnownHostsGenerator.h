#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Writes known_hosts files that look like a long-lived real one: plain names, [host]:port forms,
// name,address lists and hashed names, with ed25519, ECDSA and RSA keys (about 280 bytes a line).
class KnownHostsGenerator
{
public:
    // ecdsaKeys: real public key blobs (base64) to draw ECDSA keys from, so tools that check the
    // curve point accept them.
    KnownHostsGenerator(quint32 seed, QStringList ecdsaKeys);

    QByteArray generate(int lines);
    // Plain host names written by the last generate(), for lookups.
    const QStringList &plainHosts() const
    {
        return m_plainHosts;
    }

    // Makes count ECDSA public keys with the given ssh-keygen; empty when it cannot.
    static QStringList makeEcdsaKeys(const QString &keygen, int count);

private:
    QByteArray m_line;
    QStringList m_ecdsaKeys;
    QStringList m_plainHosts;
    quint32 m_seed;
};
