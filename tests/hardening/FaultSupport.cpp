#include "FaultSupport.h"

#include <QFile>
#include <QProcess>
#include <QStringList>

#include <csignal>
#include <cstring>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace FaultSupport {
    namespace {
        bool chattr(const QString &flag, const QString &path)
        {
            QProcess process;
            process.start(u"chattr"_s, {flag, path});
            return process.waitForFinished(10000) && process.exitStatus() == QProcess::NormalExit
                   && process.exitCode() == 0;
        }
    } // namespace

    Immutable::Immutable(const QString &path)
        : m_path(path)
        , m_active(chattr(u"+i"_s, path))
    {}

    Immutable::~Immutable()
    {
        if (m_active)
            chattr(u"-i"_s, m_path);
    }

    FileSizeLimit::FileSizeLimit(quint64 bytes)
    {
        rlimit limit{};
        ::getrlimit(RLIMIT_FSIZE, &limit);
        m_previous = limit.rlim_cur;
        limit.rlim_cur = bytes;
        m_previousHandler = std::signal(SIGXFSZ, SIG_IGN);
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }

    FileSizeLimit::~FileSizeLimit()
    {
        rlimit limit{};
        ::getrlimit(RLIMIT_FSIZE, &limit);
        limit.rlim_cur = m_previous;
        ::setrlimit(RLIMIT_FSIZE, &limit);
        std::signal(SIGXFSZ, m_previousHandler);
    }

    HangGuard::HangGuard(unsigned seconds)
    {
        ::alarm(seconds);
    }

    HangGuard::~HangGuard()
    {
        ::alarm(0);
    }

    QString errnoText(int error)
    {
        return QString::fromLocal8Bit(std::strerror(error));
    }

    bool makeSocket(const QString &path)
    {
        const QByteArray native = QFile::encodeName(path);
        sockaddr_un address{};
        if (native.size() >= qsizetype(sizeof address.sun_path))
            return false;
        address.sun_family = AF_UNIX;
        std::memcpy(address.sun_path, native.constData(), size_t(native.size()));
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        const bool bound = fd >= 0 && ::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0;
        if (fd >= 0)
            ::close(fd);
        return bound;
    }
} // namespace FaultSupport
