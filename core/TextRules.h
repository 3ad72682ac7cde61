#pragma once

#include <QChar>
#include <QString>
#include <QStringView>

#include <algorithm>
#include <cstring>

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

    // Calls f(start, bodyEnd, end) for every line: each line-break character ends a line, and a
    // CR LF pair ends one line when mergeCrLf. The text after the last break is a line too,
    // empty when the text ends with a break.
    template <typename F>
    void forEachLine(QStringView text, bool mergeCrLf, F &&f)
    {
        const char16_t *p = text.utf16();
        const qsizetype n = text.size();
        qsizetype start = 0;
        qsizetype i = 0;
        while (i < n) {
            // Four ASCII characters at a time, none of them below 0x0E: no break can start there.
            if (i + 4 <= n) {
                quint64 word;
                std::memcpy(&word, p + i, 8);
                constexpr quint64 ones = 0x0001000100010001ULL;
                if (((((word - ones * 0x0E) & ~word) & 0x8000800080008000ULL) | (word & 0xFF80FF80FF80FF80ULL)) == 0) {
                    i += 4;
                    continue;
                }
            }
            if (!isLineBreak(QChar(p[i]))) {
                ++i;
                continue;
            }
            const qsizetype bodyEnd = i;
            i += (mergeCrLf && p[i] == u'\r' && i + 1 < n && p[i + 1] == u'\n') ? 2 : 1;
            f(start, bodyEnd, i);
            start = i;
        }
        f(start, n, n);
    }

    // A piece of `text` that shares its buffer instead of copying it: a million pieces cost one
    // allocation. The buffer lives as long as any piece does; changing a piece detaches it like
    // any shared string.
    inline QString sharedSlice(QString &text, qsizetype start, qsizetype length)
    {
        if (length == 0)
            return QString();
        QString::DataPointer &whole = text.data_ptr();
        if (!whole.d_ptr()) // static or raw data has no count to share
            return text.sliced(start, length);
        whole.d_ptr()->ref();
        return QString(QString::DataPointer(whole.d_ptr(), whole.data() + start, length));
    }
} // namespace TextRules
