#pragma once

#include "engine/HostBlock.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <QUuid>

#include <optional>

// Lines a host block has no place for, carried verbatim from load to save: everything before the
// first Host header (Include lines, global options) and Match sections, kept after the block they
// follow. Comment and blank lines inside a block are still dropped.
struct CarriedLines {
    QStringList leading;
    QHash<QUuid, QStringList> after;

    bool isEmpty() const
    {
        return leading.isEmpty() && after.isEmpty();
    }
    friend bool operator==(const CarriedLines &, const CarriedLines &) = default;
};

struct ParsedConfig {
    QList<HostBlock> blocks;
    CarriedLines carried;
};

namespace SSHParser {
    // The full reading: host blocks plus the carried lines; parse() returns the blocks of this.
    ParsedConfig parseDocument(QStringView text);
    // The file's text as UTF-8; assumes validate() found nothing.
    QByteArray render(const QList<HostBlock> &blocks, const CarriedLines &carried = {});
    // A line break in a pattern, name or value would inject lines into the file.
    std::optional<QString> validate(const QList<HostBlock> &blocks);
    std::optional<QString> write(const QList<HostBlock> &blocks, const CarriedLines &carried, const QString &path);

    // A random version-4 identifier without a system call per block.
    QUuid newBlockId();

    // How a value is written after its name: bare, or in double quotes when bare would read back
    // differently for this parser or would split into several arguments for a single-path option.
    QString writtenValue(const QString &name, const QString &value);
    // A tab or any Unicode space separator.
    inline bool isBlank(QChar c)
    {
        const char16_t u = c.unicode();
        if (u < 0x80)
            return u == u' ' || u == u'\t';
        return c.category() == QChar::Separator_Space;
    }
    // U+000A..U+000D, NEL, LINE SEPARATOR and PARAGRAPH SEPARATOR each end a line.
    inline bool isLineBreak(QChar c)
    {
        const char16_t u = c.unicode();
        if (u > 0x0D && u < 0x85)
            return false;
        return u >= 0x0A && (u <= 0x0D || u == 0x85 || u == 0x2028 || u == 0x2029);
    }
    QStringView trimmed(QStringView text);
} // namespace SSHParser
