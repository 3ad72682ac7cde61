#include "FuzzSupport.h"

#include <QDir>
#include <QFile>
#include <QStringDecoder>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>

using namespace Qt::StringLiterals;

namespace FuzzSupport {
    const QString &scratchDir()
    {
        static QTemporaryDir dir(QDir(u"/dev/shm"_s).exists() ? u"/dev/shm/korvel-fuzz-XXXXXX"_s
                                                              : QDir::tempPath() + u"/korvel-fuzz-XXXXXX"_s);
        static const QString path = dir.path();
        if (!dir.isValid())
            fail("scratch directory", dir.errorString());
        return path;
    }

    void writeFile(const QString &path, const QByteArray &bytes)
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
            fail("write scratch file", path);
    }

    QByteArray readFile(const QString &path)
    {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            fail("read scratch file", path);
        return file.readAll();
    }

    bool isValidUtf8(const QByteArray &bytes)
    {
        QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        const QString text = decoder.decode(bytes);
        return !decoder.hasError();
    }

    void fail(const char *property, const QString &detail)
    {
        std::fprintf(stderr, "property broken: %s\n%s\n", property, qUtf8Printable(detail));
        std::abort();
    }
} // namespace FuzzSupport
