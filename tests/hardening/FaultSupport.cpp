#include "FaultSupport.h"

#include <QDir>
#include <QFile>
#include <QProcess>

#include <csignal>
#include <cstring>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace FaultSupport {
    Immutable::Immutable(const QString &path)
        : path(path)
        , active(QProcess::execute(u"chattr"_s, {u"+i"_s, path}) == 0)
    {}

    Immutable::~Immutable()
    {
        if (active)
            QProcess::execute(u"chattr"_s, {u"-i"_s, path});
    }

    FileSizeLimit::FileSizeLimit(quint64 bytes)
    {
        ::getrlimit(RLIMIT_FSIZE, &m_previous);
        rlimit limit = m_previous;
        limit.rlim_cur = bytes;
        m_previousHandler = std::signal(SIGXFSZ, SIG_IGN);
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }

    FileSizeLimit::~FileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &m_previous);
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

    QStringList entries(const QString &dir)
    {
        return QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
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
