#pragma once

#include "engine/HostBlock.h"

#include <QList>
#include <QString>
#include <QStringList>

// Which host blocks name a key file, the way ssh reads their IdentityFile and CertificateFile.
namespace KeyUsage {
    // The file a value names, with "~", "~user", %d, %u and %% expanded as ssh expands them; empty
    // when it depends on the host or the connection (%h, %r, ${VAR}, ...), is "none" or is relative.
    QString expandedPath(const QString &value, const QString &homeDir, const QString &userName);

    // The display names of the blocks whose IdentityFile or CertificateFile names the key at
    // privateKeyPath, its public half or its certificate (<key>-cert.pub), in block order.
    QStringList hostsUsing(const QList<HostBlock> &blocks,
                           const QString &privateKeyPath,
                           const QString &homeDir,
                           const QString &userName);

    // The names Host lines give that a key can be copied to: no wildcards, no negations, none
    // that would pass for an option.
    QStringList aliases(const QList<HostBlock> &blocks);
} // namespace KeyUsage
