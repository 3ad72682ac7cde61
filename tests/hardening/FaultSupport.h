#pragma once

#include <QStringList>

#include <sys/resource.h>

// Ways to make one step of a write fail that still work when the tests run as root.
namespace FaultSupport {
    // chattr +i for as long as the object lives; `active` is false where the file system or the
    // container does not allow it, and the caller skips.
    class Immutable
    {
    public:
        explicit Immutable(const QString &path);
        ~Immutable();
        Q_DISABLE_COPY_MOVE(Immutable)
        const QString path;
        const bool active;
    };

    // Writes past `bytes` fail with EFBIG (the soft RLIMIT_FSIZE, which binds root too; children
    // inherit it). SIGXFSZ is ignored meanwhile so the write fails instead of killing the test.
    class FileSizeLimit
    {
    public:
        explicit FileSizeLimit(quint64 bytes);
        ~FileSizeLimit();
        Q_DISABLE_COPY_MOVE(FileSizeLimit)

    private:
        rlimit m_previous{};
        void (*m_previousHandler)(int) = nullptr;
    };

    QString errnoText(int error);
    // Every name in the folder, hidden ones included, sorted.
    QStringList entries(const QString &dir);
} // namespace FaultSupport
