#pragma once

#include <QChar>
#include <QString>
#include <QStringView>

#include <algorithm>

// The character classes every text reader of Korvel shares.
namespace TextRules {
    // A tab or any Unicode space separator; line breaks are not blanks.
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

    inline bool holdsLineBreak(QStringView text)
    {
        return std::any_of(text.begin(), text.end(), isLineBreak);
    }

    // The text without blanks at either end.
    inline QStringView trimmed(QStringView text)
    {
        qsizetype begin = 0;
        qsizetype end = text.size();
        while (begin < end && isBlank(text[begin]))
            ++begin;
        while (end > begin && isBlank(text[end - 1]))
            --end;
        return text.sliced(begin, end - begin);
    }

    inline QString trimmed(const QString &text)
    {
        return trimmed(QStringView(text)).toString();
    }
} // namespace TextRules
