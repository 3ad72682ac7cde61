// Times the known-hosts model and pane on generated files, next to ssh-keygen on the same files.
//   bench_knownhosts [--lines 100000,1000000] [--runs 5] [--keygen /usr/bin/ssh-keygen]
//   bench_knownhosts --generate <lines> <path>
#include "KnownHostsGenerator.h"
#include "knownhosts/KnownHostsModel.h"
#include "knownhosts/KnownHostsTableModel.h"
#include "knownhosts/KnownHostsView.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QScrollBar>
#include <QTableView>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <sys/resource.h>

using namespace Qt::StringLiterals;

namespace {
    double median(QList<double> values)
    {
        std::sort(values.begin(), values.end());
        return values.isEmpty() ? 0 : values.at(values.size() / 2);
    }

    struct Timing {
        double wall = 0; // milliseconds
        double cpu = 0; // milliseconds of CPU, this process and its children
    };

    double cpuNow()
    {
        rusage self{};
        rusage children{};
        getrusage(RUSAGE_SELF, &self);
        getrusage(RUSAGE_CHILDREN, &children);
        const auto ms = [](const timeval &t) {
            return t.tv_sec * 1e3 + t.tv_usec / 1e3;
        };
        return ms(self.ru_utime) + ms(self.ru_stime) + ms(children.ru_utime) + ms(children.ru_stime);
    }

    // Medians over the runs; setup runs untimed before each run. CPU time is shown beside wall time
    // because the machine is shared: it does not grow with other people's load.
    Timing timeIt(int runs, const std::function<void()> &setup, const std::function<void()> &work)
    {
        QList<double> walls;
        QList<double> cpus;
        for (int i = 0; i < runs; ++i) {
            if (setup)
                setup();
            const double cpuStart = cpuNow();
            QElapsedTimer timer;
            timer.start();
            work();
            walls << timer.nsecsElapsed() / 1e6;
            cpus << cpuNow() - cpuStart;
        }
        return {median(walls), median(cpus)};
    }

    void runTool(const QString &program, const QStringList &args)
    {
        QProcess process;
        process.setStandardOutputFile(QProcess::nullDevice());
        process.setStandardErrorFile(QProcess::nullDevice());
        process.start(program, args);
        process.waitForFinished(-1);
    }

    void copyFile(const QString &from, const QString &to)
    {
        QFile::remove(to);
        QFile::copy(from, to);
    }

    long peakMemoryMiB()
    {
        QFile status(u"/proc/self/status"_s);
        if (!status.open(QIODevice::ReadOnly))
            return -1;
        for (const QByteArray &line : status.readAll().split('\n')) {
            if (line.startsWith("VmHWM:"))
                return line.mid(6).trimmed().split(' ').value(0).toLong() / 1024;
        }
        return -1;
    }

    void report(const char *what, double ms, const char *note = "")
    {
        std::printf("  %-52s %9.2f ms  %s\n", what, ms, note);
        std::fflush(stdout);
    }

    void report(const char *what, const Timing &t, const char *note = "")
    {
        std::printf("  %-52s %9.2f ms  (cpu %7.2f ms)  %s\n", what, t.wall, t.cpu, note);
        std::fflush(stdout);
    }

    const char *verdict(const Timing &ours, const Timing &tool, const char *slower)
    {
        if (ours.wall <= tool.wall && ours.cpu <= tool.cpu)
            return "ok";
        if (ours.cpu <= tool.cpu)
            return "ok by cpu time (wall time disturbed)";
        return ours.wall <= tool.wall ? "ok by wall time only" : slower;
    }

    // Times typing text into the pane's filter, one character at a time, until the rows are drawn.
    Timing typing(QLineEdit *edit, const QString &text, int runs)
    {
        QList<double> walls;
        QList<double> cpus;
        for (int run = 0; run < runs; ++run) {
            edit->clear();
            QCoreApplication::processEvents();
            for (qsizetype i = 1; i <= text.size(); ++i) {
                const double cpuStart = cpuNow();
                QElapsedTimer timer;
                timer.start();
                edit->setText(text.left(i));
                QCoreApplication::processEvents();
                walls << timer.nsecsElapsed() / 1e6;
                cpus << cpuNow() - cpuStart;
            }
        }
        return {median(walls), median(cpus)};
    }
} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    QString keygen = u"/usr/bin/ssh-keygen"_s;
    QList<int> sizes = {100000, 1000000};
    int runs = 5;
    for (qsizetype i = 1; i + 1 < args.size(); ++i) {
        if (args.at(i) == "--keygen"_L1)
            keygen = args.at(i + 1);
        else if (args.at(i) == "--runs"_L1)
            runs = args.at(i + 1).toInt();
        else if (args.at(i) == "--lines"_L1) {
            sizes.clear();
            for (const QString &n : args.at(i + 1).split(u','))
                sizes << n.toInt();
        }
    }

    const QStringList ecdsa = KnownHostsGenerator::makeEcdsaKeys(keygen, 16);
    if (args.size() == 4 && args.at(1) == "--generate"_L1) {
        KnownHostsGenerator generator(1, ecdsa);
        QFile out(args.at(3));
        if (!out.open(QIODevice::WriteOnly))
            return 1;
        out.write(generator.generate(args.at(2).toInt()));
        return 0;
    }
    if (ecdsa.isEmpty())
        std::printf("note: %s did not make ECDSA keys; the files hold ed25519 and RSA keys only\n", qPrintable(keygen));

    QTemporaryDir dir;
    QDir().mkpath(dir.filePath(u".ssh"_s));
    const QString original = dir.filePath(u".ssh/known_hosts"_s);
    const QString work = dir.filePath(u"work_known_hosts"_s);

    for (const int lines : sizes) {
        KnownHostsGenerator generator(42, ecdsa);
        qsizetype bytes = 0;
        {
            const QByteArray content = generator.generate(lines);
            bytes = content.size();
            QFile file(original);
            file.open(QIODevice::WriteOnly);
            file.write(content);
        }
        // A name two thirds of the way down, so the tools scan most of the file before and after it.
        const QString host = generator.plainHosts().at(generator.plainHosts().size() * 2 / 3);
        std::printf("\n%d lines, %.1f MB (%.0f bytes a line), %d runs, median:\n",
                    lines,
                    bytes / 1e6,
                    double(bytes) / lines,
                    runs);
        const int toolRuns = lines > 200000 ? std::max(1, runs / 2) : runs;

        const Timing find = timeIt(toolRuns, {}, [&] {
            runTool(keygen, {u"-F"_s, host, u"-f"_s, original});
        });
        report("ssh-keygen -F <host>", find);
        // The model is freed outside the timing: a fresh pane loads into a fresh model.
        std::unique_ptr<KnownHostsModel> fresh;
        const Timing load = timeIt(
            runs,
            [&] {
                fresh = std::make_unique<KnownHostsModel>(original);
            },
            [&] {
                fresh->load();
            });
        fresh.reset();
        report("KnownHostsModel::load", load, verdict(load, find, "SLOWER than -F"));
        {
            // The same question as -F: every entry for a name, hashed ones included.
            KnownHostsModel model(original);
            model.load();
            const Timing lookup = timeIt(runs, {}, [&] {
                model.find(host);
            });
            report("KnownHostsModel::find <host> (after load)", lookup, verdict(lookup, find, "slower than -F"));
        }
        {
            KnownHostsModel reloaded(original);
            reloaded.load();
            const Timing reload = timeIt(runs, {}, [&] {
                reloaded.load();
            });
            report("KnownHostsModel::load again (frees the old entries)",
                   reload,
                   verdict(reload, find, "slower than -F"));
        }

        const Timing rewrite = timeIt(
            toolRuns,
            [&] {
                copyFile(original, work);
            },
            [&] {
                runTool(keygen, {u"-R"_s, host, u"-f"_s, work});
            });
        report("ssh-keygen -R <host>", rewrite);
        {
            KnownHostsModel model(work);
            QSet<QUuid> three;
            const Timing remove = timeIt(
                runs,
                [&] {
                    copyFile(original, work);
                    model.load();
                    const auto &entries = model.entries();
                    three = {entries.at(0).id, entries.at(entries.size() / 2).id, entries.constLast().id};
                },
                [&] {
                    model.removeEntries(three);
                });
            report("removeEntries, 3 entries (read, rewrite, reload)",
                   remove,
                   verdict(remove, rewrite, "SLOWER than -R"));
        }

        // The pane: first appearance (load and first paint), then typing into the filter.
        QElapsedTimer timer;
        timer.start();
        auto view = std::make_unique<KnownHostsView>(Locations::forHome(dir.path(), dir.filePath(u"bin"_s)));
        view->resize(1000, 700);
        view->show();
        QCoreApplication::processEvents();
        report("pane shown, loaded and painted", timer.nsecsElapsed() / 1e6);
        auto *table = view->findChild<QTableView *>(u"entryTable"_s);
        auto *edit = view->findChild<QLineEdit *>(u"filterEdit"_s);

        report("one filter keystroke, typing \"web-04\" (to paint)", typing(edit, u"web-04"_s, runs));
        report("one filter keystroke, typing \"ED25519\"", typing(edit, u"ED25519"_s, runs));
        report("one filter keystroke, typing \"zzz\" (no match)", typing(edit, u"zzz"_s, runs));
        {
            // After the pause in typing, the entries ssh would use for the whole name join the rows.
            auto *rows = qobject_cast<KnownHostsTableModel *>(table->model());
            edit->setText(host);
            QCoreApplication::processEvents();
            const Timing named = timeIt(runs, {}, [&] {
                rows->lookUpName();
                QCoreApplication::processEvents();
            });
            report("whole-name lookup after the typing pause (to paint)", named);
        }
        edit->clear();
        QCoreApplication::processEvents();
        table->selectAll();
        QCoreApplication::processEvents();
        report("one filter keystroke with every row selected", typing(edit, u"web"_s, 1));
        edit->clear();
        table->clearSelection();
        timer.restart();
        table->verticalScrollBar()->setValue(table->verticalScrollBar()->maximum());
        QCoreApplication::processEvents();
        report("scroll to the last row and paint", timer.nsecsElapsed() / 1e6);
        view.reset();
        std::printf("  peak memory so far (one model or pane at a time): %ld MiB\n", peakMemoryMiB());
    }
    return 0;
}
