#include "scripts/BinScriptsModel.h"

#include <QCollator>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>

#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {
    constexpr qsizetype classifyLength = 8192;

    // Opens a path for reading only when it is a regular file, so a pipe, socket or device that
    // turned up in the directory can never block the caller.
    int openRegularFile(const QString &path)
    {
        const int fd =
            ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC);
        if (fd < 0)
            return -1;
        struct stat info {};
        if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
            ::close(fd);
            return -1;
        }
        return fd;
    }

    // Reads up to limit bytes (all when limit is negative); nullopt on a read error.
    std::optional<QByteArray> readFrom(int fd, qsizetype limit)
    {
        QByteArray bytes;
        char buffer[16384];
        while (limit < 0 || bytes.size() < limit) {
            const qsizetype want =
                limit < 0 ? qsizetype(sizeof buffer) : std::min(qsizetype(sizeof buffer), limit - bytes.size());
            const ssize_t got = ::read(fd, buffer, size_t(want));
            if (got < 0 && errno == EINTR)
                continue;
            if (got < 0)
                return std::nullopt;
            if (got == 0)
                break;
            bytes.append(buffer, got);
        }
        return bytes;
    }

    // Writes until everything is out. Unbuffered, because QSaveFile commits a file cut short when a
    // full disk stops a buffered write part way; the write that then fails carries the system's error.
    bool writeFully(QFileDevice &file, const char *data, qsizetype length)
    {
        while (length > 0) {
            const qint64 written = file.write(data, length);
            if (written <= 0)
                return false;
            data += written;
            length -= written;
        }
        return true;
    }

    QString countText(qsizetype count)
    {
        return count == 1 ? u"Found %1 file in /usr/local/bin/"_s.arg(count)
                          : u"Found %1 files in /usr/local/bin/"_s.arg(count);
    }

    constexpr QFile::Permissions executableMode = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner
                                                  | QFile::ReadGroup | QFile::ExeGroup | QFile::ReadOther
                                                  | QFile::ExeOther;
} // namespace

BinScriptsModel::BinScriptsModel(QObject *parent)
    : BinScriptsModel(u"/usr/local/bin"_s, std::make_shared<SystemPrivilegedRunner>(), parent)
{}

BinScriptsModel::BinScriptsModel(const QString &binDir, std::shared_ptr<PrivilegedRunner> runner, QObject *parent)
    : QObject(parent)
    , m_binDir(QDir::cleanPath(binDir))
    , m_runner(std::move(runner))
{}

void BinScriptsModel::setErrorMessage(std::optional<QString> message)
{
    if (message == m_errorMessage)
        return;
    m_errorMessage = std::move(message);
    emit errorMessageChanged();
}

void BinScriptsModel::setStatusMessage(const QString &message)
{
    if (message == m_statusMessage)
        return;
    m_statusMessage = message;
    emit statusMessageChanged();
}

void BinScriptsModel::load()
{
    const QByteArray dirPath = QFile::encodeName(m_binDir);
    struct stat info {};
    // Any kind of entry counts as existing; only a missing one is created.
    if (::lstat(dirPath.constData(), &info) != 0 && !QDir().mkpath(m_binDir)) {
        setStatusMessage(u"Cannot access /usr/local/bin/"_s);
        return;
    }
    DIR *dir = ::opendir(dirPath.constData());
    if (!dir) {
        setStatusMessage(u"Cannot read /usr/local/bin/"_s);
        return;
    }

    const QString prefix = m_binDir.endsWith(u'/') ? m_binDir : m_binDir + u'/';
    QList<ScriptFile> found;
    bool listingFailed = false;
    for (;;) {
        errno = 0;
        const dirent *entry = ::readdir(dir);
        if (!entry) {
            listingFailed = errno != 0;
            break;
        }
        if (entry->d_name[0] == '.')
            continue;
        // The entry's own type, not its link target's. An unknown type is kept.
        bool isRegular = true;
        if (entry->d_type != DT_UNKNOWN) {
            isRegular = entry->d_type == DT_REG;
        } else if (struct stat entryInfo{};
                   ::fstatat(::dirfd(dir), entry->d_name, &entryInfo, AT_SYMLINK_NOFOLLOW) == 0) {
            isRegular = S_ISREG(entryInfo.st_mode);
        }
        if (!isRegular)
            continue;
        const QString name = QFile::decodeName(entry->d_name);
        const QString url = prefix + name;
        found.append(ScriptFile{QUuid::createUuid(), name, url, isTextFile(url)});
    }
    ::closedir(dir);
    if (listingFailed) {
        setStatusMessage(u"Cannot read /usr/local/bin/"_s);
        return;
    }

    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::stable_sort(found.begin(), found.end(), [&collator](const ScriptFile &a, const ScriptFile &b) {
        return collator.compare(a.name, b.name) < 0;
    });

    m_scripts = std::move(found);
    emit scriptsChanged();
    setStatusMessage(countText(m_scripts.size()));
}

void BinScriptsModel::save(const ScriptFile &script, const QString &content)
{
    // A folder that took the script's place since the scan would receive the elevated copy inside it.
    if (QFileInfo(script.url).isDir()) {
        setErrorMessage(u"Save failed: %1 is a directory"_s.arg(script.url));
        return;
    }
    if (const auto failure = writeScript(script.url, content.toUtf8())) {
        setErrorMessage(u"Save failed: "_s + *failure);
        return;
    }
    setStatusMessage(u"Saved: "_s + script.name);
}

std::optional<ScriptFile> BinScriptsModel::create(const QString &name)
{
    // "." and ".." would make the copy land inside a directory and chmod that directory, and a
    // slash would leave the scripts directory, so such names are refused before anything is written.
    if (name.isEmpty() || name == u"."_s || name == u".."_s || name.contains(u'/') || name.contains(QChar(0))) {
        setErrorMessage(u"Create failed: Not a valid file name: %1"_s.arg(name));
        return std::nullopt;
    }
    const QString target = m_binDir + u'/' + name;
    if (QFileInfo(target).isDir()) {
        setErrorMessage(u"Create failed: %1 is a directory"_s.arg(target));
        return std::nullopt;
    }
    if (const auto failure = writeScript(target, scriptTemplate(name))) {
        setErrorMessage(u"Create failed: "_s + *failure);
        return std::nullopt;
    }
    load();
    setStatusMessage(u"Created: "_s + name);
    for (const ScriptFile &script : std::as_const(m_scripts)) {
        if (script.name == name)
            return script;
    }
    return std::nullopt;
}

void BinScriptsModel::deleteScript(const ScriptFile &script)
{
    if (!QFile::remove(script.url)) {
        const auto failure = m_runner ? m_runner->runElevated(removeCommand(script.url))
                                      : std::optional<QString>(u"No administrator access"_s);
        if (failure) {
            setErrorMessage(u"Delete failed: "_s + *failure);
            return;
        }
    }
    load();
    setStatusMessage(u"Deleted: "_s + script.name);
}

std::optional<QString> BinScriptsModel::writeScript(const QString &target, const QByteArray &content)
{
    if (directSave(target, content))
        return std::nullopt;
    if (!m_runner)
        return u"No administrator access"_s;
    const QString temp = tempFile(content);
    auto failure = m_runner->runElevated(copyCommand(temp, target));
    QFile::remove(temp);
    return failure;
}

bool BinScriptsModel::directSave(const QString &path, const QByteArray &content)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)
        || !writeFully(file, content.constData(), content.size()) || !file.commit())
        return false;
    return QFile::setPermissions(path, executableMode);
}

QString BinScriptsModel::tempFile(const QByteArray &content)
{
    const QString path =
        QDir::tempPath() + u"/korvel-"_s + QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper() + u".sh"_s;
    // A failed write is not reported here: the copy that reads the file fails on its own.
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)
        && writeFully(file, content.constData(), content.size()))
        file.commit();
    return path;
}

QString BinScriptsModel::shellQuote(const QString &path)
{
    QString quoted = path;
    quoted.replace(u'\'', u"'\\''"_s);
    return u'\'' + quoted + u'\'';
}

QString BinScriptsModel::copyCommand(const QString &tempPath, const QString &target)
{
    return u"cp "_s + shellQuote(tempPath) + u' ' + shellQuote(target) + u" && chmod 755 "_s + shellQuote(target);
}

QString BinScriptsModel::removeCommand(const QString &target)
{
    return u"rm "_s + shellQuote(target);
}

QByteArray BinScriptsModel::scriptTemplate(const QString &name)
{
    return "#!/bin/bash\nset -euo pipefail\n\n# " + name.toUtf8() + "\n# Description:\n\n";
}

bool BinScriptsModel::isTextFile(const QString &path)
{
    const int fd = openRegularFile(path);
    if (fd < 0)
        return false;
    // Only the head is read, so a large binary costs no more than a small one.
    const auto head = readFrom(fd, classifyLength);
    ::close(fd);
    return head && !head->contains('\0');
}

std::optional<QString> BinScriptsModel::readText(const QString &path)
{
    const int fd = openRegularFile(path);
    if (fd < 0)
        return std::nullopt;
    const auto bytes = readFrom(fd, -1);
    ::close(fd);
    if (!bytes)
        return std::nullopt;
    // A byte order mark stays in the text so that saving writes it back.
    QStringDecoder decoder(QStringDecoder::Utf8,
                           QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    QString text = decoder.decode(*bytes);
    if (decoder.hasError())
        return std::nullopt;
    return text;
}
