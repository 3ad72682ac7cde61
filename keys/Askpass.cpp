#include "keys/Askpass.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

using namespace Qt::StringLiterals;

namespace {
    // printf is a shell builtin, so the value is not passed on to another program either. The
    // prompts are the tools' own, untranslated texts.
    constexpr char script[] = "#!/bin/sh\n"
                              "case \"$1\" in\n"
                              "\"Enter old passphrase\"*) printf '%s\\n' \"$KORVEL_OLD_PASSPHRASE\" ;;\n"
                              "\"Bad passphrase\"*) exit 1 ;;\n"
                              "*) printf '%s\\n' \"$KORVEL_KEY_PASSPHRASE\" ;;\n"
                              "esac\n";
} // namespace

std::optional<Askpass> Askpass::prepare(const QString &passphrase, const QString &oldPassphrase)
{
    Askpass route;
    route.m_dir = std::make_shared<QTemporaryDir>(QDir::tempPath() + u"/korvel-askpass-XXXXXX"_s);
    if (!route.m_dir->isValid())
        return std::nullopt;
    QFile::setPermissions(route.m_dir->path(),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QFile helper(route.m_dir->filePath(u"askpass"_s));
    if (!helper.open(QIODevice::WriteOnly) || helper.write(script) != qint64(sizeof script - 1))
        return std::nullopt;
    helper.close();
    if (!helper.setPermissions(QFileDevice::ReadOwner | QFileDevice::ExeOwner))
        return std::nullopt;
    route.m_environment = {{u"SSH_ASKPASS"_s, helper.fileName()},
                           {u"SSH_ASKPASS_REQUIRE"_s, u"force"_s},
                           {u"KORVEL_KEY_PASSPHRASE"_s, passphrase},
                           {u"KORVEL_OLD_PASSPHRASE"_s, oldPassphrase}};
    return route;
}
