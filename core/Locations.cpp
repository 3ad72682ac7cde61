#include "core/Locations.h"

#include <QDir>
#include <QFileInfo>

#include <pwd.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

QString Locations::userHomeDirectory()
{
    if (const passwd *pw = getpwuid(getuid()); pw && pw->pw_dir && *pw->pw_dir)
        return QDir::cleanPath(QString::fromLocal8Bit(pw->pw_dir));
    return QDir::rootPath();
}

QString Locations::userRecordName()
{
    if (const passwd *pw = getpwuid(getuid()); pw && pw->pw_name && *pw->pw_name)
        return QString::fromLocal8Bit(pw->pw_name);
    return qEnvironmentVariable("USER");
}

Locations Locations::system()
{
    Locations locations = forHome(userHomeDirectory(), u"/usr/local/bin"_s);
    locations.userName = userRecordName();
    locations.sshPath = u"/usr/bin/ssh"_s;
    locations.agentSocket = qEnvironmentVariable("SSH_AUTH_SOCK");
    return locations;
}

Locations Locations::forHome(const QString &homeDir, const QString &scriptsDir, const QString &keygenPath)
{
    Locations l;
    l.homeDir = QDir::cleanPath(homeDir);
    l.userName = QFileInfo(l.homeDir).fileName();
    l.sshDir = l.homeDir + u"/.ssh"_s;
    l.configFile = l.sshDir + u"/config"_s;
    l.knownHostsFile = l.sshDir + u"/known_hosts"_s;
    l.scriptsDir = QDir::cleanPath(scriptsDir);
    l.keygenPath = keygenPath;
    l.sshAddPath = u"/usr/bin/ssh-add"_s;
    return l;
}
