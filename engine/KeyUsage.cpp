#include "engine/KeyUsage.h"

#include "core/TextRules.h"
#include "engine/ConfigSyntax.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <pwd.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {
    QString homeOf(const QString &user)
    {
        const passwd *pw = ::getpwnam(QFile::encodeName(user).constData());
        return pw && pw->pw_dir ? QFile::decodeName(pw->pw_dir) : QString();
    }

    // The same file by name, or by where both lead when they exist (a home behind a link).
    bool sameFile(const QString &a, const QString &b)
    {
        if (QDir::cleanPath(a) == QDir::cleanPath(b))
            return true;
        const QString left = QFileInfo(a).canonicalFilePath();
        return !left.isEmpty() && left == QFileInfo(b).canonicalFilePath();
    }
} // namespace

QString KeyUsage::expandedPath(const QString &value, const QString &homeDir, const QString &userName)
{
    if (value.isEmpty() || value.compare("none"_L1, Qt::CaseInsensitive) == 0 || value.contains(u"${"_s))
        return {};
    QString path = value;
    if (path.startsWith(u'~')) {
        const qsizetype slash = path.indexOf(u'/');
        const QString user = path.mid(1, slash < 0 ? -1 : slash - 1);
        const QString home = user.isEmpty() ? homeDir : homeOf(user);
        if (home.isEmpty())
            return {};
        path = home + (slash < 0 ? QString() : path.mid(slash));
    }
    QString expanded;
    for (qsizetype i = 0; i < path.size(); ++i) {
        if (path.at(i) != u'%') {
            expanded += path.at(i);
            continue;
        }
        const QChar token = i + 1 < path.size() ? path.at(++i) : QChar();
        if (token == u'%')
            expanded += u'%';
        else if (token == u'd')
            expanded += homeDir;
        else if (token == u'u')
            expanded += userName;
        else
            return {}; // names something of the connection
    }
    return expanded.startsWith(u'/') ? QDir::cleanPath(expanded) : QString();
}

QStringList KeyUsage::hostsUsing(const QList<HostBlock> &blocks,
                                 const QString &privateKeyPath,
                                 const QString &homeDir,
                                 const QString &userName)
{
    const QString files[] = {privateKeyPath, privateKeyPath + u".pub"_s, privateKeyPath + u"-cert.pub"_s};
    QStringList hosts;
    for (const HostBlock &block : blocks) {
        const QStringList values = block.values(u"IdentityFile") + block.values(u"CertificateFile");
        const bool uses = std::any_of(values.cbegin(), values.cend(), [&](const QString &value) {
            const QString path = expandedPath(value, homeDir, userName);
            return !path.isEmpty() && std::any_of(std::begin(files), std::end(files), [&path](const QString &file) {
                return sameFile(path, file);
            });
        });
        if (uses && !hosts.contains(block.displayName()))
            hosts << block.displayName();
    }
    return hosts;
}

QStringList KeyUsage::aliases(const QList<HostBlock> &blocks)
{
    QStringList names;
    for (const HostBlock &block : blocks) {
        const QStringView patterns = ConfigSyntax::hostPatterns(TextRules::trimmed(QStringView(block.pattern)));
        // Words split at blanks outside double quotes, as ssh splits them.
        QStringList words{QString()};
        bool quoted = false;
        for (const QChar c : patterns) {
            if (c == u'"')
                quoted = !quoted;
            else if (!quoted && TextRules::isBlank(c))
                words << QString();
            else
                words.last() += c;
        }
        for (const QString &word : std::as_const(words)) {
            // ssh-copy-id hands the name to ssh without "--", which would read "-x" as an option.
            if (word.isEmpty() || word.startsWith(u'!') || word.startsWith(u'-') || word.contains(u'*')
                || word.contains(u'?') || names.contains(word))
                continue;
            names << word;
        }
    }
    return names;
}
