#pragma once

#include "core/Uuid.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <QUuid>

#include <optional>

// One option line of a host block.
struct HostOption {
    QString name; // as written in the file (spelling kept)
    QString value; // the value as read (one pair of enclosing quotes removed)

    friend bool operator==(const HostOption &, const HostOption &) = default;
};

// One `Host` section of the client configuration: its pattern and every option line, in file order.
struct HostBlock {
    QUuid id = Uuid::create();
    QString pattern;
    QList<HostOption> options;

    // The value ssh uses: the first option whose name equals `name` ignoring ASCII case.
    std::optional<QString> value(QStringView name) const;
    // Every value of that option, in file order.
    QStringList values(QStringView name) const;

    // The one-line summary shown under the pattern.
    QString subtitle() const;
    // "* (Global Defaults)" for "*", otherwise the pattern.
    QString displayName() const;

    friend bool operator==(const HostBlock &, const HostBlock &) = default;
};

namespace SSHKeyword {
    // ssh compares keywords with strcasecmp: only ASCII letters fold.
    bool equal(QStringView a, QStringView b);
} // namespace SSHKeyword
