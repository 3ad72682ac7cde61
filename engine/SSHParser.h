#pragma once

#include "engine/HostBlock.h"

#include <QList>
#include <QString>

#include <optional>

// Reads and writes the OpenSSH client configuration text.
namespace SSHParser {
    QList<HostBlock> parse(const QString &text);
    // nullopt on success, else the error's human-readable description
    std::optional<QString> write(const QList<HostBlock> &blocks, const QString &path);
} // namespace SSHParser
