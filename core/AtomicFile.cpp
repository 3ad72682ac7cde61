#include "core/AtomicFile.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QHashFunctions>
#include <QStringEncoder>
#include <QStringList>
#include <QTemporaryFile>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {
    QString systemError(int error)
    {
        return QString::fromLocal8Bit(std::strerror(error));
    }

    constexpr qsizetype digestWindow = 64 * 1024;
    constexpr qsizetype bufferSize = 256 * 1024;

    bool existsOrIsLink(const QString &path)
    {
        struct stat st;
        return ::lstat(QFile::encodeName(path).constData(), &st) == 0;
    }

    std::optional<QString> makeFolder(const QString &dir)
    {
        // Create the missing components from the top down, each with bits 0700 whatever the umask.
        QStringList missing;
        QString current = dir;
        while (!existsOrIsLink(current)) {
            missing.prepend(current);
            const QString parent = QFileInfo(current).absolutePath();
            if (parent == current)
                break;
            current = parent;
        }
        for (const QString &path : std::as_const(missing)) {
            const QByteArray native = QFile::encodeName(path);
            if (::mkdir(native.constData(), 0700) != 0 || ::chmod(native.constData(), 0700) != 0)
                return QCoreApplication::translate("AtomicFile", "Cannot create the folder %1: %2")
                    .arg(path, systemError(errno));
        }
        return std::nullopt;
    }

    std::optional<QString> makeBackup(const QString &path, const QString &dir, const QString &prefix, QString *made)
    {
        const QString base = dir + u'/' + prefix + QDateTime::currentDateTime().toString(u"yyyyMMdd_HHmmss"_s);
        QString candidate = base;
        for (int n = 2;; ++n) {
            if (!existsOrIsLink(candidate)) {
                QFile source(path);
                if (source.copy(candidate)) {
                    *made = candidate;
                    return std::nullopt;
                }
                if (!existsOrIsLink(candidate))
                    return QCoreApplication::translate("AtomicFile", "Cannot back up the file to %1: %2")
                        .arg(candidate, source.errorString());
            }
            candidate = base + u'-' + QString::number(n);
        }
    }

    // Written past QFile's buffer: a write that stops part way (disk full) reports no error there,
    // and QSaveFile would commit the shortened file.
    class FileSink
    {
    public:
        explicit FileSink(int fd)
            : m_fd(fd)
        {}

        void add(QByteArrayView bytes)
        {
            m_digest.add(bytes);
            const char *data = bytes.data();
            for (qsizetype left = bytes.size(); left > 0 && !m_error;) {
                const ssize_t written = ::write(m_fd, data, size_t(left));
                if (written < 0 && errno == EINTR)
                    continue;
                if (written <= 0) {
                    m_error = systemError(written < 0 ? errno : ENOSPC);
                    break;
                }
                data += written;
                left -= written;
            }
        }

        std::optional<QString> error() const
        {
            return m_error;
        }
        size_t digest()
        {
            return m_digest.result();
        }

    private:
        int m_fd;
        ContentDigest m_digest;
        std::optional<QString> m_error;
    };
} // namespace

void ContentDigest::add(QByteArrayView bytes)
{
    while (!bytes.isEmpty()) {
        if (m_pending.isEmpty() && bytes.size() >= digestWindow) {
            m_value = qHash(bytes.first(digestWindow), m_value);
            bytes = bytes.sliced(digestWindow);
            continue;
        }
        const qsizetype take = std::min(bytes.size(), digestWindow - m_pending.size());
        m_pending.append(bytes.first(take));
        bytes = bytes.sliced(take);
        if (m_pending.size() == digestWindow) {
            m_value = qHash(QByteArrayView(m_pending), m_value);
            m_pending.clear();
        }
    }
}

size_t ContentDigest::result()
{
    if (!m_pending.isEmpty()) {
        m_value = qHash(QByteArrayView(m_pending), m_value);
        m_pending.clear();
    }
    return m_value;
}

namespace AtomicFile {
    QString resolvedTarget(const QString &path)
    {
        QString current = QFileInfo(path).absoluteFilePath();
        for (int hops = 0; hops < 40; ++hops) {
            const QFileInfo info(current);
            if (!info.isSymLink())
                return current;
            current = info.symLinkTarget();
        }
        return current;
    }

    std::optional<QString> write(const QString &path, const Pieces &pieces, const Options &options, Written *written)
    {
        const QString dir = QFileInfo(path).absolutePath();
        if (options.createFolder && !existsOrIsLink(dir)) {
            if (auto failure = makeFolder(dir))
                return failure;
        }
        QString backup;
        if (!options.backupPrefix.isEmpty() && QFileInfo::exists(path)) {
            if (auto failure = makeBackup(path, dir, options.backupPrefix, &backup))
                return failure;
        }

        // A symbolic link (a dotfiles set-up) is written through to its target, so the link stays.
        const QString target = resolvedTarget(path);
        const QFileInfo targetInfo(target);
        int mode = 0600;
        if (options.mode) {
            mode = *options.mode;
        } else if (struct stat st; ::stat(QFile::encodeName(target).constData(), &st) == 0) {
            mode = int(st.st_mode & 07777);
        }
        QTemporaryFile temp(targetInfo.absolutePath() + u'/' + targetInfo.fileName() + u".korvel-XXXXXX"_s);
        if (!temp.open())
            return temp.errorString();
        FileSink sink(temp.handle());
        pieces([&sink](QByteArrayView bytes) {
            sink.add(bytes);
        });
        if (auto failure = sink.error())
            return failure;
        if (::fsync(temp.handle()) != 0)
            return systemError(errno);
        if (::fchmod(temp.handle(), mode_t(mode)) != 0)
            return systemError(errno);
        if (::rename(QFile::encodeName(temp.fileName()).constData(), QFile::encodeName(target).constData()) != 0)
            return systemError(errno);
        temp.setAutoRemove(false);
        if (written)
            *written = {target, sink.digest(), backup};
        return std::nullopt;
    }

    std::optional<QString> write(const QString &path, QByteArrayView bytes, const Options &options, Written *written)
    {
        return write(
            path,
            [bytes](const auto &sink) {
                sink(bytes);
            },
            options,
            written);
    }

    std::optional<QString>
    writeText(const QString &path, const TextPieces &pieces, const Options &options, Written *written)
    {
        return write(
            path,
            [&pieces](const std::function<void(QByteArrayView)> &sink) {
                QStringEncoder encoder(QStringEncoder::Utf8);
                QByteArray buffer(bufferSize, Qt::Uninitialized);
                qsizetype used = 0;
                pieces([&](QStringView piece) {
                    const qsizetype room = encoder.requiredSpace(piece.size());
                    if (buffer.size() - used < room) {
                        sink(QByteArrayView(buffer.constData(), used));
                        used = 0;
                        if (buffer.size() < room)
                            buffer.resize(room);
                    }
                    used = encoder.appendToBuffer(buffer.data() + used, piece) - buffer.constData();
                });
                sink(QByteArrayView(buffer.constData(), used));
            },
            options,
            written);
    }
} // namespace AtomicFile
