// Start-up and interaction costs of the main window with a 5,000-host configuration.
//
// Run without arguments: writes the configuration into a temporary home, then starts itself
// several times as a child, each on the offscreen platform with the time it was spawned, and
// prints the medians. The child does what main() does, with the temporary home's locations.

#include "app/AppInfo.h"
#include "app/KorvelApp.h"
#include "engine/SSHConfigModel.h"
#include "hosts/MainWindow.h"
#include "hosts/SidebarModel.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QWindow>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <map>

using namespace Qt::StringLiterals;

namespace {
    constexpr int hostCount = 5000;
    constexpr int runs = 5;

    qint64 nowNs()
    {
        timespec ts{};
        clock_gettime(CLOCK_MONOTONIC, &ts); // one clock for parent and child
        return qint64(ts.tv_sec) * 1000000000 + ts.tv_nsec;
    }

    double msSince(qint64 startNs)
    {
        return double(nowNs() - startNs) / 1e6;
    }

    double rssMb()
    {
        QFile status(u"/proc/self/status"_s);
        if (!status.open(QIODevice::ReadOnly))
            return -1;
        for (const QByteArray &line : status.readAll().split('\n')) {
            if (line.startsWith("VmRSS:"))
                return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0;
        }
        return -1;
    }

    double median(QList<double> values)
    {
        if (values.isEmpty())
            return -1;
        std::sort(values.begin(), values.end());
        return values[values.size() / 2];
    }

    QByteArray makeConfig()
    {
        QByteArray text = "Host *\n    ServerAliveInterval 60\n    AddKeysToAgent yes\n\n";
        for (int i = 0; i < hostCount; ++i) {
            text += "Host host-" + QByteArray::number(i) + (i % 3 == 0 ? " web-" + QByteArray::number(i) : "") + "\n";
            text += "    HostName 10." + QByteArray::number(i / 250) + '.' + QByteArray::number(i % 250) + ".7\n";
            text += "    User user" + QByteArray::number(i % 40) + "\n";
            if (i % 5 == 0)
                text += "    ProxyJump bastion-" + QByteArray::number(i % 17) + "\n";
            if (i % 4 == 0)
                text += "    Port " + QByteArray::number(2200 + i % 100) + "\n";
            if (i % 7 == 0)
                text += "    IdentityFile ~/.ssh/id_ed25519\n    LocalForward 8080 localhost:80\n";
            text += "\n";
        }
        return text;
    }

    void processUntilIdle()
    {
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    }

    // One start of the application; prints "key value" lines for the parent.
    int child(const QString &home, qint64 spawnedNs, int argc, char *argv[])
    {
        const qint64 mainNs = nowNs();
        QApplication qapp(argc, argv);
        AppInfo::configure(qapp);
        KorvelApp app(Locations::forHome(home, home + u"/bin"_s));
        app.launch();
        MainWindow *window = app.mainWindow();
        while (!window->windowHandle() || !window->windowHandle()->isExposed())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        window->repaint(); // the first frame is part of "shown"
        std::printf("start_ms %.2f\n", msSince(spawnedNs));
        std::printf("main_to_shown_ms %.2f\n", msSince(mainNs));
        std::printf("rss_mb %.1f\n", rssMb());
        std::printf("host_blocks %lld\n", qlonglong(app.model()->blocks().size()));

        QLineEdit *search = nullptr;
        for (auto *edit : window->findChildren<QLineEdit *>()) {
            if (edit->placeholderText() == u"Search hosts"_s)
                search = edit;
        }
        QAbstractItemView *sidebar = nullptr;
        for (auto *view : window->findChildren<QAbstractItemView *>()) {
            if (qobject_cast<SidebarModel *>(view->model()))
                sidebar = view;
        }
        if (!search || !sidebar) {
            std::fprintf(stderr, "search field or sidebar not found\n");
            return 1;
        }
        auto *sidebarModel = static_cast<SidebarModel *>(sidebar->model());

        // Keystrokes: narrowing, widening again, and a query matching subtitles only.
        QList<double> keys;
        QList<double> filters;
        const QList<std::pair<QString, QChar>> strokes = {
            {u""_s, u'w'},
            {u"w"_s, u'e'},
            {u"we"_s, u'b'},
            {u"web"_s, u'-'},
            {u"web-"_s, u'9'},
            {u""_s, u'u'},
            {u"u"_s, u's'},
            {u""_s, u'1'},
            {u"1"_s, u'0'},
            {u""_s, u'g'},
        };
        for (const auto &[before, key] : strokes) {
            search->setText(before);
            processUntilIdle();
            const qint64 t = nowNs();
            QTest::keyClick(search, key.toLatin1());
            processUntilIdle();
            filters.append(msSince(t));
            window->repaint();
            keys.append(msSince(t));
        }
        std::printf("keystroke_ms %.2f\n", median(keys));
        std::printf("keystroke_max_ms %.2f\n", *std::max_element(keys.begin(), keys.end()));
        std::printf("keystroke_unpainted_ms %.2f\n", median(filters));
        search->clear();
        processUntilIdle();

        // Selections: the first builds the form, the rest refill it.
        QList<double> selects;
        double first = -1;
        for (int i = 0; i < 12; ++i) {
            const HostBlock &block = app.model()->blocks().at((i * 977 + 1) % app.model()->blocks().size());
            const QModelIndex index = sidebarModel->indexOf(SidebarItem::host(block.id));
            const qint64 t = nowNs();
            sidebar->setCurrentIndex(index);
            processUntilIdle();
            window->repaint();
            const double ms = msSince(t);
            if (first < 0)
                first = ms;
            else
                selects.append(ms);
        }
        std::printf("first_select_ms %.2f\n", first);
        std::printf("select_ms %.2f\n", median(selects));
        std::printf("rss_after_use_mb %.1f\n", rssMb());
        return 0;
    }
} // namespace

int main(int argc, char *argv[])
{
    if (argc == 4 && qstrcmp(argv[1], "--child") == 0)
        return child(QString::fromLocal8Bit(argv[2]), QByteArray(argv[3]).toLongLong(), 1, argv);

    QCoreApplication core(argc, argv);
    QTemporaryDir root;
    const QString home = root.path() + u"/home"_s;
    QDir().mkpath(home + u"/.ssh"_s);
    QDir().mkpath(home + u"/bin"_s);
    QFile config(home + u"/.ssh/config"_s);
    if (!config.open(QIODevice::WriteOnly) || config.write(makeConfig()) < 0)
        return 1;
    config.close();

    std::map<QString, QList<double>> results;
    for (int run = 0; run < runs; ++run) {
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
        process.setProcessEnvironment(env);

        const qint64 spawned = nowNs();
        process.start(QCoreApplication::applicationFilePath(), {u"--child"_s, home, QString::number(spawned)});
        if (!process.waitForFinished(120000) || process.exitCode() != 0) {
            std::fprintf(stderr, "run %d failed:\n%s\n", run, process.readAllStandardError().constData());
            return 1;
        }
        for (const QByteArray &line : process.readAllStandardOutput().split('\n')) {
            const QList<QByteArray> parts = line.split(' ');
            if (parts.size() == 2)
                results[QString::fromLatin1(parts[0])].append(parts[1].toDouble());
        }
    }

    std::printf("bench_app: %d runs, %d host blocks, offscreen platform (median, [min..max])\n", runs, hostCount + 1);
    const std::map<QString, QString> targets = {{u"start_ms"_s, u"< 400"_s},
                                                {u"keystroke_ms"_s, u"< 16"_s},
                                                {u"first_select_ms"_s, u"< 30"_s},
                                                {u"select_ms"_s, u"< 30"_s},
                                                {u"rss_mb"_s, u"< 120"_s}};
    for (const auto &[key, values] : results) {
        const auto [lo, hi] = std::minmax_element(values.begin(), values.end());
        const auto target = targets.find(key);
        std::printf("  %-22s %9.2f  [%.2f..%.2f]  %s\n",
                    qPrintable(key),
                    median(values),
                    *lo,
                    *hi,
                    target == targets.end() ? "" : qPrintable(u"target "_s + target->second));
    }
    return 0;
}
