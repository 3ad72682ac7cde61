// Speed of the configuration engine on a generated config of 100,000 host blocks, measured
// against `ssh -G` reading the same file in the same run.
#include "engine/ConfigDocument.h"
#include "engine/SSHConfigModel.h"
#include "engine/SSHParser.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QStringDecoder>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <ctime>
#include <memory>

using namespace Qt::StringLiterals;

namespace {
    // About 16 MB and 690,000 lines for 100,000 blocks: realistic options, some comments,
    // "=" separators and quoted values.
    QByteArray generateConfig(int blockCount)
    {
        QRandomGenerator random(42);
        QByteArray out;
        out.reserve(blockCount * 170);
        out += "# Generated for the benchmark\nInclude ~/.ssh/conf.d/*\n\n";
        static const char *const users[] = {"deploy", "ubuntu", "root", "admin", "git", "ops"};
        static const char *const keys[] = {"~/.ssh/id_ed25519",
                                           "~/.ssh/id_rsa",
                                           "\"~/.ssh/work keys/id_ed25519\"",
                                           "~/.ssh/deploy_key"};
        for (int i = 0; i < blockCount; ++i) {
            const QByteArray n = QByteArray::number(i);
            if (i % 10 == 0)
                out += "# Cluster " + QByteArray::number(i / 10) + " of the fleet\n";
            out += "Host web-" + n + " web-" + n + ".prod\n";
            out += "    HostName 10." + QByteArray::number(random.bounded(256)) + '.'
                   + QByteArray::number(random.bounded(256)) + '.' + QByteArray::number(random.bounded(256)) + '\n';
            out += (i % 3 == 0 ? "    User=" : "    User ") + QByteArray(users[random.bounded(6)]) + '\n';
            out += "    Port " + QByteArray::number(22 + random.bounded(4) * 1000) + '\n';
            out += "    IdentityFile " + QByteArray(keys[random.bounded(4)]) + '\n';
            switch (i % 4) {
            case 0:
                out += "    ProxyJump bastion-" + QByteArray::number(i % 7) + ".example.com\n";
                break;
            case 1:
                out += "    ServerAliveInterval = 60\n";
                break;
            case 2:
                out += "    LocalForward 5432 localhost:5432\n";
                break;
            default:
                out += "    ForwardAgent no\n";
                break;
            }
            out += '\n';
        }
        out += "Host *\n    ServerAliveCountMax 3\n    AddKeysToAgent yes\n";
        return out;
    }

    // The median of a few runs; `prepare` runs untimed before each one.
    double milliseconds(const std::function<void()> &work, const std::function<void()> &prepare = {}, int runs = 3)
    {
        QList<double> times;
        for (int i = 0; i < runs; ++i) {
            if (prepare)
                prepare();
            QElapsedTimer timer;
            timer.start();
            work();
            times.append(timer.nsecsElapsed() / 1e6);
        }
        std::sort(times.begin(), times.end());
        return times.at(times.size() / 2);
    }

    double cpuMilliseconds()
    {
        timespec ts;
        clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
        return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
    }

    qint64 peakKilobytes()
    {
        QFile status(u"/proc/self/status"_s);
        if (!status.open(QIODevice::ReadOnly))
            return -1;
        for (const QByteArray &line : status.readAll().split('\n')) {
            if (line.startsWith("VmHWM:"))
                return line.mid(6).trimmed().split(' ').value(0).toLongLong();
        }
        return -1;
    }

    int peakMode(const QString &path)
    {
        SSHConfigModel model(path);
        std::printf("%lld %lld\n",
                    static_cast<long long>(model.blocks().size()),
                    static_cast<long long>(peakKilobytes()));
        return 0;
    }
} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 3 && args.at(1) == u"--peak"_s)
        return peakMode(args.at(2));
    if (args.size() == 2 && args.at(1) == u"--profile"_s) {
        // Parse and render only, for a profiler.
        const QString text = QString::fromUtf8(generateConfig(100000));
        QList<ParsedConfig> kept;
        QTemporaryDir dir;
        for (int i = 0; i < 5; ++i) {
            QElapsedTimer wall;
            wall.start();
            double t = cpuMilliseconds();
            kept.append(SSHParser::parseDocument(text));
            const double p = cpuMilliseconds() - t;
            const double pw = wall.nsecsElapsed() / 1e6;
            t = cpuMilliseconds();
            wall.restart();
            SSHParser::render(kept.constLast().blocks, kept.constLast().carried);
            const double r = cpuMilliseconds() - t;
            const double rw = wall.nsecsElapsed() / 1e6;
            wall.restart();
            SSHParser::write(kept.constLast().blocks, kept.constLast().carried, dir.filePath(QString::number(i)));
            std::printf("cpu/wall: parse %.1f/%.1f ms, render %.1f/%.1f ms, write -/%.1f\n", p, pw, r, rw,
                        wall.nsecsElapsed() / 1e6);
        }
        std::fflush(stdout);
        std::_Exit(0);
    }

    QTemporaryDir dir;
    const QString path = dir.filePath(u"config"_s);
    const QByteArray bytes = generateConfig(100000);
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            return 1;
    }
    const double megabytes = bytes.size() / 1e6;
    std::printf("config: %.1f MB, %lld lines\n", megabytes, static_cast<long long>(bytes.count('\n')));

    const double ssh = milliseconds([&] {
        QProcess process;
        process.start(u"ssh"_s, {u"-G"_s, u"-F"_s, path, u"somehost"_s});
        process.waitForFinished(-1);
        if (process.exitCode() != 0)
            std::printf("ssh -G failed: %s\n", process.readAllStandardError().constData());
    });

    ParsedConfig parsed;
    const double parse = milliseconds(
        [&] {
            QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
            const QString text = decoder.decode(bytes);
            parsed = SSHParser::parseDocument(text);
        },
        [&] {
            parsed = {};
        });

    QByteArray rendered;
    const double render = milliseconds([&] {
        rendered = SSHParser::render(parsed.blocks, parsed.carried);
    });
    int writes = 0;
    const double write = milliseconds([&] {
        const QString target = dir.filePath(u"written-"_s + QString::number(writes++));
        if (SSHParser::write(parsed.blocks, parsed.carried, target))
            std::printf("write failed\n");
    });
    parsed = {};

    int saves = 0;
    QString runPath;
    std::unique_ptr<SSHConfigModel> model;
    const double loadSave = milliseconds(
        [&] {
            model = std::make_unique<SSHConfigModel>(runPath);
            model->save();
            if (model->errorMessage())
                std::printf("save failed: %s\n", qPrintable(*model->errorMessage()));
        },
        [&] {
            // A folder of its own per run, so every save makes exactly one backup.
            model.reset();
            const QString runDir = dir.filePath(u"run-"_s + QString::number(saves++));
            QDir().mkpath(runDir);
            runPath = runDir + u"/config"_s;
            QFile::copy(path, runPath);
        });
    model.reset();

    QProcess child;
    child.start(QCoreApplication::applicationFilePath(), {u"--peak"_s, path});
    child.waitForFinished(-1);
    const QList<QByteArray> peak = child.readAllStandardOutput().trimmed().split(' ');

    std::printf("ssh -G (whole process): %8.1f ms  %6.1f MB/s\n", ssh, megabytes / ssh * 1000);
    std::printf("parse incl. UTF-8:      %8.1f ms  %6.1f MB/s  %.2fx ssh -G (target >= 3x)\n",
                parse,
                megabytes / parse * 1000,
                ssh / parse);
    std::printf("render text:            %8.1f ms  %6.1f MB/s\n", render, rendered.size() / 1e6 / render * 1000);
    std::printf("write (text + atomic):  %8.1f ms  %6.1f MB/s  (target >= 100 MB/s)\n",
                write,
                rendered.size() / 1e6 / write * 1000);
    std::printf("model load + save:      %8.1f ms  (target < 500 ms)\n", loadSave);
    std::printf("peak with model loaded: %8.1f MB  for %s blocks (target < 150 MB)\n",
                peak.value(1).toDouble() / 1024,
                peak.value(0).constData());
    return 0;
}
