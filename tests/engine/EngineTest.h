#pragma once

#include "engine/ConfigDocument.h"

#include <QFile>

#include <sys/stat.h>

using namespace Qt::StringLiterals;

inline HostBlock block(const QString &pattern, std::initializer_list<std::pair<QString, QString>> options = {})
{
    HostBlock b;
    b.pattern = pattern;
    for (const auto &[key, value] : options)
        b.options.insert(key, value);
    return b;
}

// Blocks as one comparable text: "pattern{Key=value|...}[carried|lines]" with the keys sorted.
inline QString describe(const QList<HostBlock> &blocks, const CarriedLines &carried = {})
{
    QStringList parts;
    for (const HostBlock &b : blocks) {
        QStringList options;
        for (auto it = b.options.cbegin(); it != b.options.cend(); ++it)
            options.append(it.key() + u'=' + it.value());
        options.sort();
        parts.append(b.pattern + u'{' + options.join(u'|') + u'}');
        if (carried.after.contains(b.id))
            parts.last() += u'[' + carried.after.value(b.id).join(u'|') + u']';
    }
    return parts.join(u' ');
}

inline int modeOf(const QString &path)
{
    struct stat st;
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? int(st.st_mode & 07777) : -1;
}
