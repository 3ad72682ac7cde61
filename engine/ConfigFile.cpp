#include "engine/ConfigFile.h"

#include <QCoreApplication>
#include <QFile>
#include <QStringDecoder>

#include <sys/stat.h>

using namespace Qt::StringLiterals;

namespace {
    constexpr qsizetype chunkSize = 64 * 1024;
} // namespace

namespace ConfigFile {
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
        ContentDigest digest;
        QByteArray chunk(chunkSize, Qt::Uninitialized);
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
        ContentDigest digest;
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

    std::optional<QString>
    write(const QString &path, const AtomicFile::TextPieces &pieces, Stamp *written, QString *backup)
    {
        AtomicFile::Written result;
        const auto failure = AtomicFile::writeText(path, pieces, {0600, true, u"config.bak."_s}, &result);
        if (!failure && written) {
            *written = status(result.path);
            written->digest = result.digest;
        }
        if (!failure && backup)
            *backup = result.backupPath;
        return failure;
    }
} // namespace ConfigFile
