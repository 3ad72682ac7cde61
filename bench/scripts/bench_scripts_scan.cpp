// Times BinScriptsModel::load on a generated scripts directory: many small scripts, some small
// binaries, and a few very large (sparse) files whose size must not matter, beside a full read
// of the same files for scale.
//   bench_scripts_scan [--files 2000] [--large 8] [--large-mib 1024] [--runs 5]
#include "scripts/BinScriptsModel.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>

using namespace Qt::StringLiterals;

namespace {
    struct NoElevation final : PrivilegedRunner {
        void runElevated(const QString &, std::function<void(std::optional<QString>)>) override
        {}
    };

    double medianMs(int runs, const std::function<void()> &work)
    {
        QList<double> times;
        for (int i = 0; i < runs; ++i) {
            QElapsedTimer timer;
            timer.start();
            work();
            times << timer.nsecsElapsed() / 1e6;
        }
        std::sort(times.begin(), times.end());
        return times.at(times.size() / 2);
    }

    int option(const QStringList &args, const QString &name, int fallback)
    {
        const qsizetype at = args.indexOf(name);
        return at >= 0 && at + 1 < args.size() ? args.at(at + 1).toInt() : fallback;
    }
} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int files = option(args, u"--files"_s, 2000);
    const int large = option(args, u"--large"_s, 8);
    const qint64 largeBytes = qint64(option(args, u"--large-mib"_s, 1024)) * 1024 * 1024;
    const int runs = option(args, u"--runs"_s, 5);

    QTemporaryDir dir;
    const QByteArray script = "#!/bin/bash\nset -euo pipefail\n\necho hello\n";
    for (int i = 0; i < files; ++i) {
        QFile file(dir.filePath(u"script-%1"_s.arg(i)));
        file.open(QIODevice::WriteOnly);
        file.write(i % 10 == 0 ? QByteArray(4096, '\0') : script);
    }
    QStringList largeFiles;
    for (int i = 0; i < large; ++i) {
        QFile file(dir.filePath(u"large-%1"_s.arg(i)));
        file.open(QIODevice::WriteOnly);
        file.write(script);
        file.resize(largeBytes); // sparse: no disk space, but a full read would cost its size
        largeFiles << file.fileName();
    }

    BinScriptsModel model(dir.path(), std::make_shared<NoElevation>());
    const double scan = medianMs(runs, [&] {
        model.load();
    });
    const double fullRead = medianMs(runs, [&] {
        for (const QString &path : std::as_const(largeFiles)) {
            QFile file(path);
            file.open(QIODevice::ReadOnly);
            while (!file.read(1 << 20).isEmpty()) {
            }
        }
    });
    std::printf("load(): %d small files + %d files of %lld MiB: %.1f ms median of %d (%s)\n",
                files,
                large,
                largeBytes >> 20,
                scan,
                runs,
                qPrintable(model.statusMessage()));
    std::printf("for scale, reading the %d large files in full: %.1f ms\n", large, fullRead);
    return 0;
}
