#pragma once

#include "engine/SSHConfigModel.h"
#include "hosts/ContentView.h"
#include "hosts/MainWindow.h"
#include "hosts/SidebarModel.h"
#include "support/TestSupport.h"
#include "ui/Dialogs.h"
#include "ui/Locations.h"

#include <QAbstractButton>
#include <QApplication>
#include <QListView>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

// A main window over a config file in a temporary home directory, with helpers that act as a user.
struct HostsFixture {
    QTemporaryDir home;
    Locations locations;
    std::unique_ptr<SSHConfigModel> model;
    std::unique_ptr<MainWindow> window;

    explicit HostsFixture(const QByteArray &config)
    {
        locations = Locations::forHome(home.path(), home.filePath(QStringLiteral("bin")));
        if (!config.isNull())
            TestSupport::writeFile(locations.configFile, config);
        model = std::make_unique<SSHConfigModel>(locations.configFile);
        window = std::make_unique<MainWindow>(model.get(), locations);
        Dialogs::setTestMode(true);
        Dialogs::asked().clear();
        window->show();
        window->activateWindow();
        [[maybe_unused]] const bool exposed = QTest::qWaitForWindowExposed(window.get());
    }
    ~HostsFixture()
    {
        // Sheets and alerts are parented to the window; close them before it goes.
        window.reset();
    }

    ContentView *content() const
    {
        return window->contentView();
    }
    QListView *list() const
    {
        return content()->sidebarList();
    }
    template <typename T = QWidget>
    T *find(const QString &name) const
    {
        return window->findChild<T *>(name);
    }
    QAction *action(const QString &name) const
    {
        return window->findChild<QAction *>(name);
    }
    QUuid idOf(const QString &pattern) const
    {
        for (const HostBlock &block : model->blocks()) {
            if (block.pattern == pattern)
                return block.id;
        }
        return {};
    }
    // Host names as the sidebar lists them.
    QStringList listedHosts() const
    {
        QStringList names;
        const auto *sidebar = content()->sidebarModel();
        for (int row = 0; row < sidebar->rowCount(); ++row) {
            const QModelIndex index = sidebar->index(row);
            if (index.data(SidebarModel::RowKindRole).toInt() == int(SidebarModel::RowKind::host))
                names << index.data().toString();
        }
        return names;
    }
    QModelIndex rowOf(const SidebarItem &item) const
    {
        return content()->sidebarModel()->indexOf(item);
    }
    void clickRow(const SidebarItem &item) const
    {
        const QModelIndex index = rowOf(item);
        QVERIFY(index.isValid());
        list()->scrollTo(index);
        QTest::mouseClick(list()->viewport(), Qt::LeftButton, {}, list()->visualRect(index).center());
    }
    void clickHost(const QString &pattern) const
    {
        clickRow(SidebarItem::host(idOf(pattern)));
    }
};
