// Costs of the sidebar and host editor with a 5,000-host configuration, measured piece by piece:
// re-filtering the sidebar model alone and with the list's layout and paint, one typed character
// in an option field (model write, sidebar row, form), and selecting another host.

#include "engine/SSHConfigModel.h"
#include "hosts/ContentView.h"
#include "hosts/HostDetailView.h"
#include "hosts/MainWindow.h"
#include "hosts/SidebarModel.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QListView>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cstdio>

using namespace Qt::StringLiterals;

namespace {
    constexpr int hostCount = 5000;

    QByteArray makeConfig()
    {
        QByteArray text = "Host *\n    ServerAliveInterval 60\n\n";
        for (int i = 0; i < hostCount; ++i) {
            const QByteArray n = QByteArray::number(i);
            text += "Host host-" + n + (i % 3 == 0 ? " web-" + n : QByteArray()) + "\n    HostName 10."
                    + QByteArray::number(i / 250) + '.' + QByteArray::number(i % 250) + ".7\n    User user"
                    + QByteArray::number(i % 40) + "\n";
            if (i % 5 == 0)
                text += "    ProxyJump bastion-" + QByteArray::number(i % 17) + "\n";
            text += "\n";
        }
        return text;
    }

    template <typename F>
    void measure(const char *name, int repeats, double target, F &&step)
    {
        QList<double> ms;
        for (int i = 0; i < repeats; ++i) {
            QElapsedTimer timer;
            timer.start();
            step(i);
            ms.append(double(timer.nsecsElapsed()) / 1e6);
        }
        std::sort(ms.begin(), ms.end());
        std::printf("  %-28s median %7.2f ms  max %7.2f ms%s\n",
                    name,
                    ms.at(ms.size() / 2),
                    ms.last(),
                    target > 0 ? qPrintable(u"  target < %1"_s.arg(target)) : "");
    }

    void settle(QWidget *window)
    {
        QCoreApplication::processEvents();
        window->repaint();
    }
} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir home;
    const Locations locations = Locations::forHome(home.path(), home.filePath(u"bin"_s));
    QDir().mkpath(locations.sshDir);
    QFile config(locations.configFile);
    if (!config.open(QIODevice::WriteOnly) || config.write(makeConfig()) < 0)
        return 1;
    config.close();

    SSHConfigModel model(locations.configFile);
    MainWindow window(&model, locations);
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
        return 1;
    ContentView *content = window.contentView();
    SidebarModel *sidebar = content->sidebarModel();
    auto *search = window.findChild<QLineEdit *>(u"searchEdit"_s);
    std::printf("bench_hosts: %lld host blocks\n", qlonglong(model.blocks().size()));

    const QStringList queries = {u"w"_s, u"we"_s, u"web"_s, u"web-1"_s, u"u"_s, u"us"_s, u"10.3"_s, u"g"_s, u""_s};
    measure("filter model only", int(queries.size()), 0, [&](int i) {
        sidebar->setSearchText(queries.at(i));
    });
    sidebar->setSearchText({});
    settle(&window);

    const QString typed = u"web-12"_s;
    measure("keystroke in search", int(typed.size()) * 2, 16, [&](int i) {
        if (i == int(typed.size()))
            search->clear();
        QTest::keyClick(search, typed.at(i % typed.size()).toLatin1());
        settle(&window);
    });
    search->clear();
    settle(&window);

    measure("select host", 20, 30, [&](int i) {
        const HostBlock &block = model.blocks().at((i * 977 + 1) % model.blocks().size());
        content->setSelectedItem(SidebarItem::host(block.id));
        settle(&window);
    });

    auto *user = window.findChild<QLineEdit *>(u"UserEdit"_s);
    user->setFocus();
    measure("keystroke in an option", 20, 16, [&](int i) {
        QTest::keyClick(user, char('a' + i % 26));
        settle(&window);
    });
    return 0;
}
