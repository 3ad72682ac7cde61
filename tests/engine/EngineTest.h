#pragma once

#include "engine/ConfigDocument.h"
#include "support/TestSupport.h"

#include <QFile>

#include <sys/stat.h>

using namespace Qt::StringLiterals;
using TestSupport::readFile;
using TestSupport::writeFile;

inline HostBlock block(const QString &pattern, std::initializer_list<std::pair<QString, QString>> options = {})
{
    HostBlock b;
    b.pattern = pattern;
    for (const auto &[key, value] : options)
        b.options.insert(key, value);
    return b;
}

// Blocks as one comparable text, keys sorted: "[leading|lines] pattern{Key=value|...}[carried|lines]".
inline QString describe(const QList<HostBlock> &blocks, const CarriedLines &carried = {})
{
    QStringList parts;
    if (!carried.leading.isEmpty())
        parts.append(u'[' + carried.leading.join(u'|') + u']');
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
