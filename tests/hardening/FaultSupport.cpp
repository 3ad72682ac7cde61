#include "FaultSupport.h"

#include <QDir>
#include <QProcess>

#include <csignal>
#include <cstring>

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

    QString errnoText(int error)
    {
        return QString::fromLocal8Bit(std::strerror(error));
    }

    QStringList entries(const QString &dir)
    {
        return QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    }
} // namespace FaultSupport
