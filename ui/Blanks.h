#pragma once

#include <QChar>
#include <QString>

namespace Blanks {
    // Tab and the Unicode space separators; line breaks are not blanks.
    inline bool isBlank(QChar c)
    {
        return c == u'\t' || c.category() == QChar::Separator_Space;
    }

    // The text without blanks at either end.
    inline QString trimmed(const QString &text)
    {
        qsizetype begin = 0;
        qsizetype end = text.size();
        while (begin < end && isBlank(text.at(begin)))
            ++begin;
        while (end > begin && isBlank(text.at(end - 1)))
            --end;
        return text.mid(begin, end - begin);
    }
} // namespace Blanks
