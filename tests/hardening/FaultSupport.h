#pragma once

#include <QString>

// Ways to make one step of a write fail that still work when the tests run as root.
namespace FaultSupport {
    // chattr +i for as long as the object lives; active() is false where the file system or the
    // container does not allow it, and the caller skips.
    class Immutable
    {
    public:
        explicit Immutable(const QString &path);
        ~Immutable();
        Immutable(const Immutable &) = delete;
        Immutable &operator=(const Immutable &) = delete;
        bool active() const
        {
            return m_active;
        }

    private:
        QString m_path;
        bool m_active = false;
    };

    // Writes past `bytes` fail with EFBIG (the soft RLIMIT_FSIZE, which binds root too; children
    // inherit it). SIGXFSZ is ignored meanwhile so the write fails instead of killing the test.
    class FileSizeLimit
    {
    public:
        explicit FileSizeLimit(quint64 bytes);
        ~FileSizeLimit();
        FileSizeLimit(const FileSizeLimit &) = delete;
        FileSizeLimit &operator=(const FileSizeLimit &) = delete;

    private:
        quint64 m_previous = 0;
        void (*m_previousHandler)(int) = nullptr;
    };

    // Kills the test with SIGALRM if it blocks longer than this, so a hang fails instead of stalling CI.
    class HangGuard
    {
    public:
        explicit HangGuard(unsigned seconds);
        ~HangGuard();
        HangGuard(const HangGuard &) = delete;
        HangGuard &operator=(const HangGuard &) = delete;
    };

    QString errnoText(int error);
    // Leaves a bound Unix socket at the path (no one listening), as a crashed server would.
    bool makeSocket(const QString &path);
} // namespace FaultSupport
