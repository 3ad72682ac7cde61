#pragma once

#include "engine/HostBlock.h"
#include "support/TestSupport.h"

#include <QTemporaryDir>

using namespace Qt::StringLiterals;
using TestSupport::modeOf;
using TestSupport::readFile;
using TestSupport::writeFile;

inline HostBlock block(const QString &pattern, std::initializer_list<std::pair<QString, QString>> options = {})
{
    HostBlock b;
    b.pattern = pattern;
    for (const auto &[key, value] : options)
        b.options.append({key, value});
    return b;
}

// Blocks as one comparable text, options in file order: "pattern{Key=value|...} ...".
inline QString describe(const QList<HostBlock> &blocks)
{
    QStringList parts;
    for (const HostBlock &b : blocks) {
        QStringList options;
        for (const HostOption &option : b.options)
            options.append(option.name + u'=' + option.value);
        parts.append(b.pattern + u'{' + options.join(u'|') + u'}');
    }
    return parts.join(u' ');
}

// A file "config" holding the text in the folder; its path.
inline QString configIn(const QTemporaryDir &dir, const QByteArray &text)
{
    const QString path = dir.filePath(u"config"_s);
    writeFile(path, text);
    return path;
}
