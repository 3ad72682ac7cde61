#include "scripts/BinScriptsModel.h"

#include "core/AtomicFile.h"
#include "core/Uuid.h"

#include <QCollator>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QStringDecoder>

#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <tuple>
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

    constexpr int executableMode = 0755;
} // namespace

BinScriptsModel::BinScriptsModel(QObject *parent)
    : BinScriptsModel(u"/usr/local/bin"_s, std::make_shared<SystemPrivilegedRunner>(), parent)
{}

BinScriptsModel::BinScriptsModel(const QString &binDir, std::shared_ptr<PrivilegedRunner> runner, QObject *parent)
    : StatusModel(parent)
    , m_binDir(QDir::cleanPath(binDir))
    , m_runner(std::move(runner))
{}

BinScriptsModel::~BinScriptsModel() = default;

void BinScriptsModel::load()
{
    const QByteArray dirPath = QFile::encodeName(m_binDir);
    struct stat info {};
    // Any kind of entry counts as existing; only a missing one is created.
    if (::lstat(dirPath.constData(), &info) != 0 && !QDir().mkpath(m_binDir)) {
        setStatusMessage(tr("Cannot access /usr/local/bin/"));
        return;
    }
    DIR *dir = ::opendir(dirPath.constData());
    if (!dir) {
        setStatusMessage(tr("Cannot read /usr/local/bin/"));
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
        const QString path = prefix + name;
        found.append(ScriptFile{Uuid::create(), name, path, isTextFile(path)});
    }
    ::closedir(dir);
    if (listingFailed) {
        setStatusMessage(tr("Cannot read /usr/local/bin/"));
        return;
    }

    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::stable_sort(found.begin(), found.end(), [&collator](const ScriptFile &a, const ScriptFile &b) {
        return collator.compare(a.name, b.name) < 0;
    });

    m_scripts = std::move(found);
    emit scriptsChanged();
    const auto count = m_scripts.size();
    setStatusMessage(count == 1 ? tr("Found %1 file in /usr/local/bin/").arg(count)
                                : tr("Found %1 files in /usr/local/bin/").arg(count));
}

void BinScriptsModel::save(const ScriptFile &script, const QString &content)
{
    // A folder that took the script's place since the scan would receive the elevated copy inside it.
    if (QFileInfo(script.url).isDir())
        finish(Operation::save, script, tr("%1 is a directory").arg(script.url));
    else
        write(Operation::save, script, content.toUtf8());
}

std::optional<ScriptFile> BinScriptsModel::create(const QString &name)
{
    // "." and ".." would make the copy land inside a directory and chmod that directory, and a
    // slash would leave the scripts directory, so such names are refused before anything is written.
    if (name.isEmpty() || name == u"."_s || name == u".."_s || name.contains(u'/') || name.contains(QChar(0))) {
        finish(Operation::create, {{}, name, {}, false}, tr("Not a valid file name: %1").arg(name));
        return std::nullopt;
    }
    const ScriptFile script{Uuid::create(), name, m_binDir + u'/' + name, true};
    if (QFileInfo(script.url).isDir()) {
        finish(Operation::create, script, tr("%1 is a directory").arg(script.url));
        return std::nullopt;
    }
    write(Operation::create, script, scriptTemplate(name));
    // After a plain write the scan has the file already.
    const auto scanned = std::find_if(m_scripts.cbegin(), m_scripts.cend(), [&script](const ScriptFile &found) {
        return found.url == script.url;
    });
    return scanned != m_scripts.cend() ? *scanned : script;
}

void BinScriptsModel::deleteScript(const ScriptFile &script)
{
    if (QFile::remove(script.url))
        finish(Operation::remove, script, std::nullopt);
    else
        elevate(Operation::remove, script, removeCommand(script.url), QString());
}

void BinScriptsModel::write(Operation operation, const ScriptFile &script, const QByteArray &content)
{
    AtomicFile::Options options;
    options.mode = executableMode;
    if (!AtomicFile::write(script.url, content, options)) {
        finish(operation, script, std::nullopt);
        return;
    }
    const QString temp =
        QDir::tempPath() + u"/korvel-"_s + Uuid::create().toString(QUuid::WithoutBraces).toUpper() + u".sh"_s;
    // A failed write is not reported here: the copy that reads the file fails on its own.
    std::ignore = AtomicFile::write(temp, content);
    elevate(operation, script, copyCommand(temp, script.url), temp);
}

void BinScriptsModel::elevate(Operation operation,
                              const ScriptFile &script,
                              const QString &command,
                              const QString &tempPath)
{
    if (!m_runner) {
        QFile::remove(tempPath);
        finish(operation, script, tr("No administrator access"));
        return;
    }
    if (m_pending++ == 0)
        emit busyChanged();
    m_runner->runElevated(command,
                          [self = QPointer(this), operation, script, tempPath](std::optional<QString> failure) {
                              // Removed even when the model is gone: nothing else will.
                              if (!tempPath.isEmpty())
                                  QFile::remove(tempPath);
                              if (!self)
                                  return;
                              if (--self->m_pending == 0)
                                  emit self->busyChanged();
                              self->finish(operation, script, failure);
                          });
}

void BinScriptsModel::finish(Operation operation, ScriptFile script, const std::optional<QString> &failure)
{
    if (failure) {
        switch (operation) {
        case Operation::save:
            setErrorMessage(tr("Save failed: %1").arg(*failure));
            break;
        case Operation::create:
            setErrorMessage(tr("Create failed: %1").arg(*failure));
            break;
        case Operation::remove:
            setErrorMessage(tr("Delete failed: %1").arg(*failure));
            break;
        }
        emit operationFinished(operation, script, false);
        return;
    }
    switch (operation) {
    case Operation::save:
        setStatusMessage(tr("Saved: %1").arg(script.name));
        break;
    case Operation::create:
        load();
        for (const ScriptFile &found : std::as_const(m_scripts)) {
            if (found.url == script.url)
                script = found;
        }
        setStatusMessage(tr("Created: %1").arg(script.name));
        break;
    case Operation::remove:
        load();
        setStatusMessage(tr("Deleted: %1").arg(script.name));
        break;
    }
    emit operationFinished(operation, script, true);
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
