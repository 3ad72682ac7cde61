#pragma once

#include "core/TextRules.h"
#include "engine/ConfigSyntax.h"
#include "engine/HostBlock.h"

#include <QString>
#include <QStringView>

#include <algorithm>

// How the config document sees single lines: where they end, what kind they are, and how a new
// one is written. For the document's own use.
namespace ConfigLines {
    // Calls function(start, bodyEnd, end) for each line; a CR LF pair ends one line.
    template <typename Function>
    inline void forEachLine(QStringView text, Function &&function)
    {
        TextRules::forEachLine(text, true, [&](qsizetype start, qsizetype bodyEnd, qsizetype end) {
            if (start < end)
                function(start, bodyEnd, end);
        });
    }

    inline qsizetype lineBreakLength(QStringView line)
    {
        if (line.isEmpty() || !TextRules::isLineBreak(line.back()))
            return 0;
        return line.endsWith(u"\r\n") ? 2 : 1;
    }

    inline QStringView bodyOf(QStringView line)
    {
        return line.chopped(lineBreakLength(line));
    }

    enum class LineKind {
        Blank,
        Comment,
        Header,
        Match,
        Option,
        Other
    };

    struct LineInfo {
        LineKind kind = LineKind::Blank;
        ConfigSyntax::KeywordSplit split;
        QStringView value;
    };

    inline LineInfo classify(QStringView body)
    {
        LineInfo info;
        const QStringView line = TextRules::trimmed(body);
        if (line.isEmpty())
            return info;
        if (line.front() == u'#') {
            info.kind = LineKind::Comment;
            return info;
        }
        info.split = ConfigSyntax::splitKeyword(line);
        if (SSHKeyword::equal(info.split.keyword, u"host") && !info.split.rest.isEmpty()) {
            info.kind = LineKind::Header;
        } else if (SSHKeyword::equal(info.split.keyword, u"match")) {
            info.kind = LineKind::Match;
        } else {
            info.value = ConfigSyntax::trimmingQuotes(info.split.rest);
            info.kind = info.split.keyword.isEmpty() || info.value.isEmpty() ? LineKind::Other : LineKind::Option;
        }
        return info;
    }

    // What a value or pattern looks like in the text while it holds a line break: the save refuses
    // the block, but the lines must keep their shape until the user mends it.
    inline QString printable(const QString &text)
    {
        QString shown = text;
        for (QChar &c : shown) {
            if (TextRules::isLineBreak(c))
                c = u' ';
        }
        return shown;
    }

    // A name that reads back as one keyword of an option line.
    inline bool isPlainKeyword(QStringView name)
    {
        if (name.isEmpty() || name.front() == u'#' || SSHKeyword::equal(name, u"host")
            || SSHKeyword::equal(name, u"match"))
            return false;
        return std::none_of(name.begin(), name.end(), [](QChar c) {
            return c == u'=' || c == u'"' || c == u'\'' || TextRules::isBlank(c) || TextRules::isLineBreak(c);
        });
    }

    inline bool endsWithBlankLine(QStringView text)
    {
        const QStringView body = text.chopped(lineBreakLength(text));
        qsizetype start = body.size();
        while (start > 0 && !TextRules::isLineBreak(body[start - 1]))
            --start;
        return TextRules::trimmed(body.sliced(start)).isEmpty();
    }

    inline QStringView indentOf(QStringView line)
    {
        qsizetype n = 0;
        while (n < line.size() && TextRules::isBlank(line[n]))
            ++n;
        return line.first(n);
    }
} // namespace ConfigLines
