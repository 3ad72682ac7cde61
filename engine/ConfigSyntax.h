#pragma once

#include "engine/HostBlock.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringView>
#include <QUuid>

#include <optional>

// How the client configuration reads: blanks, line breaks, keywords, quotes, and how a value is
// written so that it reads back as itself.
namespace SSHParser {
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

    struct KeywordSplit {
        QStringView keyword;
        QStringView rest; // after the separator (blanks with at most one "=" among them), trimmed
    };
    // Splits a trimmed, non-empty line into its keyword and the rest.
    KeywordSplit splitKeyword(QStringView line);
    // One pair of enclosing quotes removed.
    QStringView trimmingQuotes(QStringView text);

    // How a value is written after its name: bare, or in double quotes when bare would read back
    // differently for this parser or would split into several arguments for a single-path option.
    QString writtenValue(const QString &name, const QString &value);
    // The place of an option in a written block: IgnoreUnknown first, then the fixed table,
    // then every other name (INT_MAX).
    int writeRank(QStringView name);
    // Unicode code point order, which UTF-16 code units get wrong above the surrogates.
    bool codePointLess(QStringView a, QStringView b);
    // Whether `a` stands before `b` in a written block.
    bool writesBefore(QStringView a, QStringView b);

    // Why the block cannot be written so that it reads back (a line break, an empty pattern, a
    // name read as another line), or nothing. `index` counts from 0.
    std::optional<QString> validateBlock(const HostBlock &block, qsizetype index);
    std::optional<QString> validate(const QList<HostBlock> &blocks);
    // A fresh file's text for the blocks: table order, four-space indent, one blank line between.
    QByteArray render(const QList<HostBlock> &blocks);

    // A random version-4 identifier without a system call per block.
    QUuid newBlockId();
} // namespace SSHParser
