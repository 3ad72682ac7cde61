#pragma once

#include <QByteArray>
#include <QString>

// Small file helpers for tests. Every test works inside its own QTemporaryDir.
namespace TestSupport {
    void writeFile(const QString &path, const QByteArray &bytes);
    QByteArray readFile(const QString &path);
    // Writes a small shell script and makes it executable; for fake tools.
    void writeScript(const QString &path, const QByteArray &body);
    bool isRoot();
    // The permission bits of the file, or -1 when it cannot be read.
    int modeOf(const QString &path);
} // namespace TestSupport
