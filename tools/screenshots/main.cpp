// Writes the PNG screenshots in docs/ from the real windows, opened on a sample home in a
// temporary directory. Run through tools/screenshots.sh.
//
// To add a screen, append a Scene to scenes(): give it a file name and a function that puts the
// windows into the wanted state and returns the picture (usually through shoot() or shootSheet()).
//
// With --dark every scene is shot again in the Fusion style with a dark palette, as dark-<name>.png;
// with --suffix=-2x (run under QT_SCALE_FACTOR=2) the names end in that suffix; with --locale=de the
// windows speak that language (without it, English whatever the system's locale).

#include "app/AboutCommand.h"
#include "app/AboutView.h"
#include "app/AppInfo.h"
#include "app/KorvelApp.h"
#include "engine/SSHConfigModel.h"
#include "hosts/ContentView.h"
#include "hosts/HostDetailView.h"
#include "hosts/MainWindow.h"
#include "hosts/SidebarModel.h"
#include "support/Palettes.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QLocale>
#include <QPainter>
#include <QProcess>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <cstdio>
#include <functional>

using namespace Qt::StringLiterals;

namespace {
    // The windows under test and small helpers the scenes share.
    struct Stage {
        KorvelApp *app = nullptr;
        Locations locations;

        MainWindow *window() const
        {
            return app->mainWindow();
        }

        // Lets layouts, deferred paints and window-system round trips finish.
        static void settle()
        {
            for (int i = 0; i < 5; ++i) {
                QCoreApplication::processEvents();
                QTest::qWait(40);
            }
        }

        QAbstractItemView *sidebar() const
        {
            for (auto *view : window()->findChildren<QAbstractItemView *>()) {
                if (qobject_cast<SidebarModel *>(view->model()))
                    return view;
            }
            return nullptr;
        }

        // Selects a sidebar entry the way a click does; false when it is not listed.
        bool select(const SidebarItem &item) const
        {
            QAbstractItemView *view = sidebar();
            if (!view)
                return false;
            const QModelIndex index = static_cast<SidebarModel *>(view->model())->indexOf(item);
            if (!index.isValid())
                return false;
            view->setCurrentIndex(index);
            settle();
            return true;
        }

        bool selectHost(const QString &pattern) const
        {
            for (const HostBlock &block : app->model()->blocks()) {
                if (block.pattern == pattern)
                    return select(SidebarItem::host(block.id));
            }
            return false;
        }

        // Selects the first row of a pane's list, found by its object name.
        bool selectFirstRow(const QString &listName) const
        {
            auto *view = window()->findChild<QAbstractItemView *>(listName);
            if (!view || !view->model() || view->model()->rowCount() == 0)
                return false;
            view->setCurrentIndex(view->model()->index(0, 0));
            settle();
            return true;
        }

        bool click(const QString &buttonName) const
        {
            auto *button = window()->findChild<QAbstractButton *>(buttonName);
            if (!button || !button->isEnabled())
                return false;
            button->click();
            settle();
            return true;
        }

        void clearSelection() const
        {
            window()->contentView()->setSelectedItem(std::nullopt);
            settle();
        }

        // Triggers a toolbar or menu action by its text.
        bool trigger(const QString &text) const
        {
            for (QAction *action : window()->findChildren<QAction *>()) {
                if (action->text() == text && action->isEnabled()) {
                    action->trigger();
                    settle();
                    return true;
                }
            }
            return false;
        }

        template <typename T>
        static T *openWindow()
        {
            for (QWidget *w : QApplication::topLevelWidgets()) {
                if (auto *found = qobject_cast<T *>(w); found && found->isVisible())
                    return found;
            }
            return nullptr;
        }

        QImage shoot() const
        {
            return shoot(window());
        }

        static QImage shoot(QWidget *w)
        {
            settle();
            return w->grab().toImage();
        }

        // The main window with a sheet drawn over it, centred near the top as a sheet sits.
        QImage shootSheet(QWidget *sheet) const
        {
            settle();
            QImage image = window()->grab().toImage();
            const QImage front = sheet->grab().toImage();
            const qreal dpr = image.devicePixelRatio();
            QPainter p(&image);
            p.fillRect(QRectF(QPointF(0, 0), QSizeF(image.size()) / dpr), QColor(0, 0, 0, 60));
            const QSizeF frontSize = QSizeF(front.size()) / front.devicePixelRatio();
            const QPointF at((image.width() / dpr - frontSize.width()) / 2, 60);
            for (int i = 6; i > 0; --i) // a soft shadow
                p.fillRect(QRectF(at + QPointF(-i, -i + 4), frontSize + QSizeF(2 * i, 2 * i)), QColor(0, 0, 0, 10));
            p.drawImage(at, front);
            p.setPen(QColor(0, 0, 0, 70));
            p.drawRect(QRectF(at, frontSize).adjusted(-0.5, -0.5, 0.5, 0.5));
            return image;
        }
    };

    struct Scene {
        QString file; // written into the output directory
        std::function<QImage(Stage &)> shoot;
    };

    QList<Scene> scenes()
    {
        return {
            {u"empty-state.png"_s,
             [](Stage &s) {
                 s.clearSelection();
                 return s.shoot();
             }},
            {u"host-editor.png"_s,
             [](Stage &s) {
                 if (!s.selectHost(u"web-prod"_s))
                     return QImage();
                 auto *form = s.window()->findChild<HostDetailView *>();
                 auto *toggle = form ? form->findChild<QAbstractButton *>(u"advancedButton"_s) : nullptr;
                 if (!toggle)
                     return QImage();
                 QTest::mouseClick(toggle, Qt::LeftButton);
                 QTest::qWait(400); // the rows slide in
                 // Scroll to the end, where the toggle now reads "Hide Advanced Options".
                 form->ensureWidgetVisible(toggle, 50, 40);
                 return s.shoot();
             }},
            {u"host-known-keys.png"_s,
             [](Stage &s) {
                 // The top of the form: the host's count of known_hosts entries and "Forget…".
                 if (!s.selectHost(u"bastion"_s))
                     return QImage();
                 QTest::qWait(400); // the count waits for the selection to be drawn
                 return s.shoot();
             }},
            {u"host-editor-repeated.png"_s,
             [](Stage &s) {
                 if (!s.selectHost(u"db-replica"_s))
                     return QImage();
                 auto *form = s.window()->findChild<HostDetailView *>();
                 auto *section = form ? form->findChild<QWidget *>(u"AuthenticationSection"_s) : nullptr;
                 if (!section)
                     return QImage();
                 form->setShowAdvanced(true);
                 // Taller than usual, so the key files and the forwards fit in one picture.
                 const QSize size = s.window()->size();
                 s.window()->resize(size.width(), 900);
                 Stage::settle();
                 form->verticalScrollBar()->setValue(section->y() - 8);
                 const QImage image = s.shoot();
                 form->setShowAdvanced(false);
                 s.window()->resize(size);
                 return image;
             }},
            {u"what-ssh-uses.png"_s,
             [](Stage &s) {
                 // The shared file turns agent forwarding on for every web host, over web-prod's own "no".
                 if (!s.selectHost(u"web-prod"_s) || !s.click(u"resolvedToggle"_s))
                     return QImage();
                 const QImage image = s.shoot();
                 s.click(u"resolvedToggle"_s);
                 return image;
             }},
            {u"add-host-duplicate.png"_s,
             [](Stage &s) {
                 s.clearSelection();
                 if (!s.trigger(u"New Host"_s))
                     return QImage();
                 auto *sheet = s.window()->findChild<QDialog *>(u"addHostSheet"_s);
                 auto *field = sheet ? sheet->findChild<QLineEdit *>(u"nameEdit"_s) : nullptr;
                 if (!field)
                     return QImage();
                 field->setText(u"bastion"_s);
                 const QImage image = s.shootSheet(sheet);
                 sheet->reject();
                 return image;
             }},
            {u"known-hosts.png"_s,
             [](Stage &s) {
                 if (!s.select(SidebarItem::knownHosts()))
                     return QImage();
                 return s.shoot();
             }},
            {u"ssh-keys.png"_s,
             [](Stage &s) {
                 if (!s.select(SidebarItem::sshKeys()) || !s.selectFirstRow(u"keyList"_s))
                     return QImage();
                 // Shot once the sample agent has answered: one of its buttons is enabled then.
                 const auto answered = [&s] {
                     for (const QString &name : {u"addToAgentButton"_s, u"removeFromAgentButton"_s}) {
                         auto *button = s.window()->findChild<QAbstractButton *>(name);
                         if (button && button->isEnabled())
                             return true;
                     }
                     return false;
                 };
                 if (!QTest::qWaitFor(answered))
                     qWarning("the sample agent did not answer");
                 Stage::settle();
                 return s.shoot();
             }},
            {u"generate-key.png"_s,
             [](Stage &s) {
                 if (!s.select(SidebarItem::sshKeys()) || !s.click(u"generateButton"_s))
                     return QImage();
                 auto *sheet = s.window()->findChild<QDialog *>(u"generateKeySheet"_s);
                 if (!sheet)
                     return QImage();
                 // Taller than the main window's default size, so it is shown on its own.
                 const QImage image = Stage::shoot(sheet);
                 sheet->reject();
                 return image;
             }},
            {u"scripts.png"_s,
             [](Stage &s) {
                 if (!s.select(SidebarItem::scripts()) || !s.selectFirstRow(u"scriptList"_s))
                     return QImage();
                 return s.shoot();
             }},
            {u"script-editor.png"_s,
             [](Stage &s) {
                 if (!s.select(SidebarItem::scripts()) || !s.selectFirstRow(u"scriptList"_s)
                     || !s.click(u"editButton"_s))
                     return QImage();
                 QWidget *editor = nullptr;
                 for (QWidget *w : QApplication::topLevelWidgets()) {
                     if (w->objectName() == u"scriptEditorWindow"_s && w->isVisible())
                         editor = w;
                 }
                 if (!editor)
                     return QImage();
                 editor->resize(640, 420);
                 const QImage image = Stage::shoot(editor);
                 editor->close();
                 return image;
             }},
            {u"about.png"_s,
             [](Stage &s) {
                 s.app->aboutCommand()->trigger();
                 AboutPanel *panel = s.app->aboutCommand()->panel();
                 if (!panel)
                     return QImage();
                 const QImage image = Stage::shoot(panel);
                 panel->close();
                 return image;
             }},
        };
    }

    void write(const QString &path, const QByteArray &text)
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size())
            qFatal("cannot write %s", qPrintable(path));
    }

    QByteArray run(const QString &program, const QStringList &args)
    {
        QProcess process;
        process.start(program, args);
        if (!process.waitForFinished(30000) || process.exitCode() != 0)
            qFatal("%s failed: %s", qPrintable(program), process.readAllStandardError().constData());
        return process.readAllStandardOutput();
    }

    // A small but lived-in home: global defaults, a jump host and hosts behind it, a key pair,
    // known hosts and a couple of scripts.
    Locations makeSampleHome(const QString &root)
    {
        const Locations l = Locations::forHome(root + u"/home/sam"_s, root + u"/usr/local/bin"_s);
        QDir().mkpath(l.sshDir);
        QDir().mkpath(l.scriptsDir);
        QFile::setPermissions(l.sshDir, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);

        QDir().mkpath(l.sshDir + u"/config.d"_s);
        write(l.sshDir + u"/config.d/team"_s, R"(# Shared by the team; kept in version control
Host ci-runner
    HostName 10.30.0.7
    User runner

Host web-*
    ForwardAgent yes
)");
        write(l.configFile, R"(Include config.d/*

Host *
    AddKeysToAgent yes
    IdentitiesOnly yes
    ServerAliveInterval 60

Host bastion
    HostName bastion.example.net
    User ops
    Port 2222
    IdentityFile ~/.ssh/id_ed25519

Host web-prod
    HostName 10.20.0.15
    User deploy
    ProxyJump bastion
    ForwardAgent no

Host db-replica
    HostName 10.20.0.31
    User postgres
    IdentityFile ~/.ssh/id_ed25519
    IdentityFile ~/.ssh/deploy_rsa
    ProxyJump bastion
    LocalForward 5433 localhost:5432
    LocalForward 9187 localhost:9187

Host build-box
    HostName build.example.net
    User ci
    Compression yes

Host nas
    HostName 192.168.1.40
    User sam
)");

        run(l.keygenPath,
            {u"-q"_s,
             u"-t"_s,
             u"ed25519"_s,
             u"-N"_s,
             u""_s,
             u"-C"_s,
             u"sam@workstation"_s,
             u"-f"_s,
             l.sshDir + u"/id_ed25519"_s});
        run(l.keygenPath,
            {u"-q"_s,
             u"-t"_s,
             u"rsa"_s,
             u"-b"_s,
             u"3072"_s,
             u"-N"_s,
             u""_s,
             u"-C"_s,
             u"deploy@ci"_s,
             u"-f"_s,
             l.sshDir + u"/deploy_rsa"_s});

        // Host keys of their own, kept out of ~/.ssh, so the known hosts' fingerprints differ.
        QDir().mkpath(l.homeDir + u"/hostkeys"_s);
        for (const QString &type : {u"ed25519"_s, u"ecdsa"_s})
            run(l.keygenPath, {u"-q"_s, u"-t"_s, type, u"-N"_s, u""_s, u"-f"_s, l.homeDir + u"/hostkeys/"_s + type});
        const auto publicKey = [](const QString &path) {
            QFile pub(path);
            pub.open(QIODevice::ReadOnly);
            const QList<QByteArray> fields = pub.readAll().split(' ');
            return fields.value(0) + ' ' + fields.value(1);
        };
        const QByteArray user = publicKey(l.sshDir + u"/id_ed25519.pub"_s);
        const QByteArray rsa = publicKey(l.sshDir + u"/deploy_rsa.pub"_s);
        const QByteArray ed = publicKey(l.homeDir + u"/hostkeys/ed25519.pub"_s);
        const QByteArray ecdsa = publicKey(l.homeDir + u"/hostkeys/ecdsa.pub"_s);
        // The hashed line is "vault.internal" as ssh-keygen -H wrote it.
        write(l.knownHostsFile,
              "bastion.example.net " + ed + "\n[bastion.example.net]:2222 " + ed + "\n10.20.0.15 " + ecdsa
                  + "\n|1|S9Ge6WtJXi+PgPOrPQlNqAVvPuY=|cGokTqef2v/CNl5g9qW0rVTsc94= " + ecdsa
                  + "\n@cert-authority *.corp.example.net " + user + "\n@revoked old-build.example.net " + rsa
                  + "\n192.168.1.40 " + rsa + "\n");

        write(l.scriptsDir + u"/backup-home"_s,
              "#!/bin/bash\n# Copies the home directory to the NAS.\nrsync -a --delete ~/ nas:/backup/sam/\n");
        write(l.scriptsDir + u"/tunnel-db"_s, "#!/bin/bash\nexec ssh -N -L 5433:localhost:5432 db-replica\n");
        for (const QString &name : {u"backup-home"_s, u"tunnel-db"_s})
            QFile::setPermissions(l.scriptsDir + u"/"_s + name,
                                  QFile::permissions(l.scriptsDir + u"/"_s + name) | QFileDevice::ExeOwner
                                      | QFileDevice::ExeGroup | QFileDevice::ExeOther);
        return l;
    }
} // namespace

int main(int argc, char *argv[])
{
    QApplication qapp(argc, argv);
    AppInfo::configure(qapp);
    QStringList args = qapp.arguments().mid(1);
    const bool dark = args.removeAll(u"--dark"_s) > 0;
    QString suffix;
    QString locale;
    for (qsizetype i = args.size() - 1; i >= 0; --i) {
        if (args.at(i).startsWith(u"--suffix="_s))
            suffix = args.takeAt(i).mid(9);
        else if (args.at(i).startsWith(u"--locale="_s))
            locale = args.takeAt(i).mid(9);
    }
    if (args.isEmpty()) {
        std::fprintf(
            stderr,
            "usage: korvel_screenshots [--dark] [--suffix=SUFFIX] [--locale=NAME] <output-dir> [file.png...]\n");
        return 2;
    }
    const QDir out(args.first());
    const QStringList only = args.mid(1);
    if (dark) {
        QApplication::setStyle(u"Fusion"_s);
        QApplication::setPalette(Palettes::dark());
    }
    if (!locale.isEmpty())
        AppInfo::installTranslations(qapp, QLocale(locale));

    QTemporaryDir root;
    if (!root.isValid())
        qFatal("no temporary directory");
    Stage stage;
    stage.locations = makeSampleHome(root.path());
    // A private agent holding the sample's ed25519 key, so the keys pane shows what it holds.
    QProcess agent;
    stage.locations.agentSocket = root.filePath(u"agent.sock"_s);
    agent.start(u"/usr/bin/ssh-agent"_s, {u"-D"_s, u"-a"_s, stage.locations.agentSocket});
    if (!QTest::qWaitFor([&stage] {
            return QFileInfo::exists(stage.locations.agentSocket);
        }))
        qWarning("the sample agent did not start");
    QProcess add;
    add.setProcessEnvironment([&stage] {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(u"SSH_AUTH_SOCK"_s, stage.locations.agentSocket);
        return environment;
    }());
    add.start(stage.locations.sshAddPath, {stage.locations.sshDir + u"/id_ed25519"_s});
    add.waitForFinished();
    KorvelApp app(stage.locations);
    stage.app = &app;
    app.launch();
    if (!QTest::qWaitForWindowExposed(app.mainWindow()))
        qWarning("the main window was not exposed");

    int failures = 0;
    for (const Scene &scene : scenes()) {
        if (!only.isEmpty() && !only.contains(scene.file))
            continue;
        const QImage image = scene.shoot(stage);
        const QString path = out.filePath((dark ? u"dark-"_s : QString()) + QFileInfo(scene.file).completeBaseName()
                                          + suffix + u".png"_s);
        if (image.isNull() || !image.save(path)) {
            std::fprintf(stderr, "failed: %s\n", qPrintable(scene.file));
            ++failures;
            continue;
        }
        std::printf("wrote %s (%dx%d)\n", qPrintable(path), image.width(), image.height());
    }
    if (const qint64 pid = agent.processId(); pid > 0)
        ::kill(pid_t(pid), SIGTERM);
    agent.waitForFinished();
    return failures == 0 ? 0 : 1;
}
