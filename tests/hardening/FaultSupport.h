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

    // Kills the test with SIGALRM if it blocks longer than this, so a hang fails instead of stalling CI.
    class HangGuard
    {
    public:
        explicit HangGuard(unsigned seconds);
        ~HangGuard();
        Q_DISABLE_COPY_MOVE(HangGuard)
    };

    QString errnoText(int error);
    // Every name in the folder, hidden ones included, sorted.
    QStringList entries(const QString &dir);
    // Leaves a bound Unix socket at the path (no one listening), as a crashed server would.
    bool makeSocket(const QString &path);
} // namespace FaultSupport
