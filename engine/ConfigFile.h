#pragma once

#include "core/AtomicFile.h"

#include <QString>
#include <QStringView>

#include <optional>

// Reading and replacing the configuration file on disk, and telling whether someone else changed it.
namespace ConfigFile {
    // What the file on disk was when it was last read or written.
    struct Stamp {
        bool exists = false;
        qint64 size = 0;
        qint64 modified = 0; // nanoseconds
        quint64 inode = 0;
        size_t digest = 0; // of the content

        bool sameStatus(const Stamp &other) const
        {
            return exists == other.exists && size == other.size && modified == other.modified && inode == other.inode;
        }
    };

    // The size, time and inode of the file (through a symbolic link); no digest.
    Stamp status(const QString &path);
    // The status and the digest of the content as it is now.
    Stamp stamp(const QString &path);

    struct ReadResult {
        std::optional<QString> text; // nothing when the file could not be read
        QString error;
        Stamp stamp;
    };
    // The whole file decoded as UTF-8; a missing file reads as the empty text.
    ReadResult read(const QString &path);

    // Creates the folder (0700) when missing, copies an existing file to config.bak.<stamp>, then
    // replaces the file atomically with the text as UTF-8 (through a symbolic link, mode 0600).
    // Nothing on success, else the error's description; `written` gets the new file's stamp.
    // `backup` gets the path of the copy of the old file, when one was made.
    std::optional<QString> write(const QString &path,
                                 const AtomicFile::TextPieces &pieces,
                                 Stamp *written = nullptr,
                                 QString *backup = nullptr);
} // namespace ConfigFile
