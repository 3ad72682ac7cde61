#include "engine/HostBlock.h"

#include <QCoreApplication>

using namespace Qt::StringLiterals;

bool SSHKeyword::equal(QStringView a, QStringView b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        char16_t x = a[i].unicode();
        char16_t y = b[i].unicode();
        if (x == y)
            continue;
        if (x >= u'A' && x <= u'Z')
            x += 32;
        if (y >= u'A' && y <= u'Z')
            y += 32;
        if (x != y)
            return false;
    }
    return true;
}

std::optional<QString> HostBlock::value(QStringView name) const
{
    for (const HostOption &option : options) {
        if (SSHKeyword::equal(option.name, name))
            return option.value;
    }
    return std::nullopt;
}

QStringList HostBlock::values(QStringView name) const
{
    QStringList found;
    for (const HostOption &option : options) {
        if (SSHKeyword::equal(option.name, name))
            found.append(option.value);
    }
    return found;
}

QString HostBlock::subtitle() const
{
    const QString host = value(u"HostName").value_or(QString());
    if (host.isEmpty())
        return {};
    const std::optional<QString> port = value(u"Port");
    const QString portText = port ? u':' + *port : QString();
    const QString user = value(u"User").value_or(QString());
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
