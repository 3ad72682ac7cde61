#pragma once

#include "engine/HostBlock.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QProcess>
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

// What the corpus tests share: running the installed ssh, and a corpus file in a folder of its own.
inline QString corpusDir()
{
    return QDir::cleanPath(QStringLiteral(KORVEL_SOURCE_DIR) + u"/../shared/corpus/ssh_config"_s);
}

// ssh takes ~ and relative Include paths from the user record, not from $HOME; a HOME of our own
// still keeps Match exec commands (gpg-connect-agent) away from the real home. Stderr counts
// only on failure: those commands print run-specific text there while ssh succeeds.
inline QByteArray
sshG(const QString &config, const QString &home, const QString &destination, const QStringList &options = {})
{
    QProcess p;
    QProcessEnvironment env;
    env.insert(u"HOME"_s, home);
    env.insert(u"PATH"_s, u"/usr/bin:/bin"_s);
    env.insert(u"LC_ALL"_s, u"C"_s);
    p.setProcessEnvironment(env);
    p.setStandardInputFile(QProcess::nullDevice());
    p.start(u"/usr/bin/ssh"_s, QStringList{u"-G"_s, u"-F"_s, config} + options + QStringList{u"--"_s, destination});
    if (!p.waitForFinished(30000)) { // a Match exec command may start an agent on a loaded machine
        p.kill();
        p.waitForFinished();
        return "timed out";
    }
    const int code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    return "exit " + QByteArray::number(code) + '\n' + p.readAllStandardOutput()
           + (code ? p.readAllStandardError() : QByteArray());
}

// A corpus file copied into a temporary folder as "config"; its include folder is copied too
// and @INCDIR@ in the text becomes the copy's path.
struct Fixture {
    QTemporaryDir dir;
    QString config = dir.filePath(u"config"_s), home = dir.filePath(u"home"_s);
    QByteArray bytes;

    Fixture(const QString &corpus, const QString &name)
    {
        QDir().mkpath(home);
        bytes = readFile(corpus + u'/' + name);
        const QString inc = corpus + u'/' + QFileInfo(name).completeBaseName() + u".inc"_s;
        if (QFileInfo(inc).isDir()) {
            const QString copy = dir.filePath(u"inc"_s);
            for (QDirIterator it(inc, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories); it.hasNext();) {
                const QString from = it.next();
                writeFile(copy + u'/' + QDir(inc).relativeFilePath(from), readFile(from));
            }
            bytes.replace("@INCDIR@", QFile::encodeName(copy));
        }
        writeFile(config, bytes);
    }
};
