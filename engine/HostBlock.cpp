#include "engine/HostBlock.h"

#include <QCoreApplication>

using namespace Qt::StringLiterals;

QString HostBlock::subtitle() const
{
    const QString host = options.value(u"HostName"_s);
    if (host.isEmpty())
        return {};
    const auto port = options.constFind(u"Port"_s);
    const QString portText = port == options.cend() ? QString() : u':' + *port;
    const QString user = options.value(u"User"_s);
    if (user.isEmpty())
        return host + portText;
    return user + u'@' + host + portText;
}

QString HostBlock::displayName() const
{
    if (pattern == u"*"_s)
        return QCoreApplication::translate("HostBlock", "* (Global Defaults)");
    return pattern;
}
