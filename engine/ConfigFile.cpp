#include "engine/ConfigFile.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QHashFunctions>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QStringList>
#include <QTemporaryFile>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {
    QString tr(const char *text)
    {
        return QCoreApplication::translate("SSHParser", text);
    }

    QString systemError(int error)
    {
        return QString::fromLocal8Bit(std::strerror(error));
    }

    constexpr qsizetype digestWindow = 64 * 1024;

    bool existsOrIsLink(const QString &path)
    {
        struct stat st;
        return ::lstat(QFile::encodeName(path).constData(), &st) == 0;
    }

    std::optional<QString> makeDirectory(const QString &dir)
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
                return tr("Cannot create the folder %1: %2").arg(path, systemError(errno));
        }
        return std::nullopt;
    }

    // A symbolic link (a dotfiles set-up) is written through to its target, so the link stays.
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

    std::optional<QString> makeBackup(const QString &path, const QString &dir)
    {
        const QString base = dir + u"/config.bak."_s + QDateTime::currentDateTime().toString(u"yyyyMMdd_HHmmss"_s);
        // A second save within the same second takes the next free suffix: an existing backup is
        // never overwritten, and the save still goes ahead.
        QString candidate = base;
        for (int n = 2;; ++n) {
            if (!existsOrIsLink(candidate)) {
                QFile source(path);
                if (source.copy(candidate))
                    return std::nullopt;
                if (!existsOrIsLink(candidate))
                    return tr("Cannot back up the file to %1: %2").arg(candidate, source.errorString());
            }
            candidate = base + u'-' + QString::number(n);
        }
    }

    // Encodes pieces into a buffer that goes to the file a window at a time, so a large file
    // never exists twice in memory.
    class StreamWriter
    {
    public:
        explicit StreamWriter(int fd)
            : m_fd(fd)
        {
            m_buffer.resize(256 * 1024);
        }

        void add(QStringView piece)
        {
            if (m_error || piece.isEmpty())
                return;
            const qsizetype room = m_encoder.requiredSpace(piece.size());
            if (m_buffer.size() - m_used < room) {
                flush();
                if (m_buffer.size() < room)
                    m_buffer.resize(room);
            }
            char *end = m_encoder.appendToBuffer(m_buffer.data() + m_used, piece);
            m_used = end - m_buffer.constData();
        }

        std::optional<QString> finish()
        {
            flush();
            return m_error;
        }

        size_t digest()
        {
            return m_digest.result();
        }

    private:
        void flush()
        {
            const char *data = m_buffer.constData();
            m_digest.add(QByteArrayView(data, m_used));
            // Written past QFile's buffer: a write that stops part way (disk full) reports no error
            // there, and the user would read "Unknown error".
            for (qsizetype left = m_used; left > 0 && !m_error;) {
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
            m_used = 0;
        }

        int m_fd;
        QByteArray m_buffer;
        qsizetype m_used = 0;
        QStringEncoder m_encoder{QStringEncoder::Utf8};
        ConfigFile::Digest m_digest;
        std::optional<QString> m_error;
    };
} // namespace

namespace ConfigFile {
    void Digest::add(QByteArrayView bytes)
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

    size_t Digest::result()
    {
        if (!m_pending.isEmpty()) {
            m_value = qHash(QByteArrayView(m_pending), m_value);
            m_pending.clear();
        }
        return m_value;
    }

    Stamp status(const QString &path)
    {
        Stamp stamp;
        struct stat st;
        if (::stat(QFile::encodeName(path).constData(), &st) != 0)
            return stamp;
        stamp.exists = true;
        stamp.size = st.st_size;
        stamp.modified = qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
        stamp.inode = st.st_ino;
        return stamp;
    }

    Stamp stamp(const QString &path)
    {
        Stamp result = status(path);
        if (!result.exists)
            return result;
        QFile file(path);
        struct stat st;
        if (::stat(QFile::encodeName(path).constData(), &st) != 0 || !S_ISREG(st.st_mode)
            || !file.open(QIODevice::ReadOnly))
            return result;
        Digest digest;
        QByteArray chunk(digestWindow, Qt::Uninitialized);
        for (;;) {
            const qint64 got = file.read(chunk.data(), chunk.size());
            if (got <= 0)
                break;
            digest.add(QByteArrayView(chunk.constData(), got));
        }
        result.digest = digest.result();
        return result;
    }

    ReadResult read(const QString &path)
    {
        ReadResult result;
        result.stamp = status(path);
        if (!result.stamp.exists) {
            result.text = QString();
            return result;
        }
        // Opening a FIFO would block until some writer appears; a device could be endless.
        struct stat st;
        if (::stat(QFile::encodeName(path).constData(), &st) == 0 && !S_ISREG(st.st_mode)) {
            result.error = QCoreApplication::translate("SSHConfigModel", "It is not a regular file.");
            return result;
        }
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            result.error = file.errorString();
            return result;
        }
        QByteArray bytes = file.readAll();
        if (file.error() != QFileDevice::NoError) {
            result.error = file.errorString();
            return result;
        }
        Digest digest;
        digest.add(bytes);
        result.stamp.digest = digest.result();
        // A byte order mark stays in the text, so the file is written back as it was.
        QStringDecoder decoder(QStringDecoder::Utf8,
                               QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
        QString text = decoder.decode(bytes);
        if (decoder.hasError()) {
            result.error = QCoreApplication::translate("SSHConfigModel", "The file is not valid UTF-8 text.");
            return result;
        }
        result.text = std::move(text);
        return result;
    }

    std::optional<QString> write(const QString &path, const Pieces &pieces, Stamp *written)
    {
        const QFileInfo info(path);
        const QString dir = info.absolutePath();
        if (!existsOrIsLink(dir)) {
            if (auto failure = makeDirectory(dir))
                return failure;
        }
        if (QFileInfo::exists(path)) {
            if (auto failure = makeBackup(path, dir))
                return failure;
        }

        const QString target = resolvedTarget(path);
        const QFileInfo targetInfo(target);
        QTemporaryFile temp(targetInfo.absolutePath() + u'/' + targetInfo.fileName() + u".korvel-XXXXXX"_s);
        if (!temp.open())
            return temp.errorString();
        StreamWriter writer(temp.handle());
        pieces([&writer](QStringView piece) {
            writer.add(piece);
        });
        if (auto failure = writer.finish())
            return failure;
        if (::fsync(temp.handle()) != 0)
            return systemError(errno);
        if (::rename(QFile::encodeName(temp.fileName()).constData(), QFile::encodeName(target).constData()) != 0)
            return systemError(errno);
        temp.setAutoRemove(false);
        if (::chmod(QFile::encodeName(target).constData(), 0600) != 0)
            return systemError(errno);
        if (written) {
            *written = status(target);
            written->digest = writer.digest();
        }
        return std::nullopt;
    }
} // namespace ConfigFile
