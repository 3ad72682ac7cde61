#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <functional>
#include <optional>

// Replacing a whole file so that a reader never sees half of it: the text goes to a temporary
// file beside the target, is flushed to disk, and then takes the target's place in one rename.
namespace AtomicFile {
    // Gives each piece of the content to the sink, in order.
    using Pieces = std::function<void(const std::function<void(QByteArrayView)> &sink)>;
    using TextPieces = std::function<void(const std::function<void(QStringView)> &sink)>;

    struct Options {
        // Permission bits for the file; without them the old file's bits are kept (0600 when new).
        std::optional<int> mode;
        // A missing folder is created (0700, and its missing parents) instead of failing.
        bool createFolder = false;
        // Before the replace, the old file is copied to <folder>/<prefix><yyyyMMdd_HHmmss>; a
        // taken name gets -2, -3, ... so no backup is ever overwritten.
        QString backupPrefix;
    };

    struct Written {
        QString path; // the file that was replaced: the target of a symbolic link
        size_t digest = 0; // ContentDigest of the bytes written
        QString backupPath; // the copy of the old file, when one was made
    };

    // Nothing on success, else the error's description (a short write and a full disk included).
    std::optional<QString>
    write(const QString &path, const Pieces &pieces, const Options &options = {}, Written *written = nullptr);
    std::optional<QString>
    write(const QString &path, QByteArrayView bytes, const Options &options = {}, Written *written = nullptr);
    // Text pieces, written as UTF-8 a window at a time, so a large text never exists twice.
    std::optional<QString>
    writeText(const QString &path, const TextPieces &pieces, const Options &options = {}, Written *written = nullptr);

    // The final target of a chain of symbolic links (the path itself when it is none).
    QString resolvedTarget(const QString &path);
} // namespace AtomicFile

// A digest of bytes that does not depend on how they are cut into pieces; for telling whether a
// file changed, not for security.
class ContentDigest
{
public:
    void add(QByteArrayView bytes);
    size_t result();

private:
    QByteArray m_pending;
    size_t m_value = 0;
};
