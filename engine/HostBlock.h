#pragma once

#include <QHash>
#include <QString>
#include <QUuid>

// One `Host` section of the client configuration: its pattern and its options (one value each).
struct HostBlock {
    QUuid id = QUuid::createUuid();
    QString pattern;
    QHash<QString, QString> options;

    // The one-line summary shown under the pattern.
    QString subtitle() const;
    // "* (Global Defaults)" for "*", otherwise the pattern.
    QString displayName() const;

    friend bool operator==(const HostBlock &, const HostBlock &) = default;
};
