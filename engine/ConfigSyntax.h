#pragma once

#include "engine/HostBlock.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <optional>

// How the client configuration reads: keywords, separators and quotes, and how a value is written
// so that it reads back as itself. Blanks and line breaks are TextRules'.
namespace ConfigSyntax {
    struct KeywordSplit {
        QStringView keyword;
        QStringView rest; // after the separator (blanks with at most one "=" among them), trimmed
    };
    // Splits a trimmed, non-empty line into its keyword and the rest.
    KeywordSplit splitKeyword(QStringView line);
    // The patterns of a Host line's rest: ssh stops at a word that begins with "#", so a comment
    // after them is not part of the pattern (unless nothing else is there).
    QStringView hostPatterns(QStringView rest);
    // One pair of enclosing quotes removed.
    QStringView trimmingQuotes(QStringView text);
    // The arguments of a line's rest as ssh splits them: at spaces and tabs outside quotes, quotes
    // removed, backslash escapes of a blank, a quote or a backslash undone, ending at a word that
    // begins with "#".
    // `balanced` becomes false when a quote is left open, which ssh refuses.
    QStringList arguments(QStringView rest, bool *balanced = nullptr);

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
} // namespace ConfigSyntax
