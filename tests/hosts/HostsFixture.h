#pragma once

#include "core/Locations.h"
#include "engine/SSHConfigModel.h"
#include "hosts/ContentView.h"
#include "hosts/MainWindow.h"
#include "hosts/SidebarModel.h"
#include "support/TestSupport.h"
#include "ui/Dialogs.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QListView>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

// A main window over a config file in a temporary home directory, with helpers that act as a user.
// Tests using it reset the dialog seams in cleanup(), so a failed test leaves no queued answer.
struct HostsFixture {
    QTemporaryDir home;
    Locations locations;
    std::unique_ptr<SSHConfigModel> model;
    std::unique_ptr<MainWindow> window; // goes first, with the sheets and alerts parented to it
    ContentView *content = nullptr;
    QListView *list = nullptr;

    // sshPath: the ssh the host editor asks about keywords; none by default, so nothing is asked.
    explicit HostsFixture(const QByteArray &config, const QString &sshPath = {})
    {
        locations = Locations::forHome(home.path(), home.filePath(QStringLiteral("bin")));
        locations.sshPath = sshPath;
        if (!config.isNull())
            TestSupport::writeFile(locations.configFile, config);
        model = std::make_unique<SSHConfigModel>(locations.configFile);
        window = std::make_unique<MainWindow>(model.get(), locations);
        content = window->contentView();
        list = content->sidebarList();
        Dialogs::reset();
        Dialogs::setTestMode(true);
        window->show();
        window->activateWindow();
        [[maybe_unused]] const bool exposed = QTest::qWaitForWindowExposed(window.get());
    }

    template <typename T = QWidget>
    T *find(const QString &name) const
    {
        return window->findChild<T *>(name);
    }
    SidebarItem host(const QString &pattern) const
    {
        for (const HostBlock &block : model->blocks()) {
            if (block.pattern == pattern)
                return SidebarItem::host(block.id);
        }
        return SidebarItem::host(QUuid());
    }
    QModelIndex rowOf(const SidebarItem &item) const
    {
        return content->sidebarModel()->indexOf(item);
    }
    // Host names as the sidebar lists them.
    QStringList listedHosts() const
    {
        QStringList names;
        for (int row = 0; row < content->sidebarModel()->rowCount(); ++row) {
            const QModelIndex index = content->sidebarModel()->index(row);
            if (index.data(SidebarModel::RowKindRole).toInt() == int(SidebarModel::RowKind::host))
                names << index.data().toString();
        }
        return names;
    }
    // What the user sees or hears on a control: its text without mnemonic marks.
    static QString shownText(QWidget *widget)
    {
        QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(widget);
        return accessible ? accessible->text(QAccessible::Name) : QString();
    }
    void clickRow(const SidebarItem &item) const
    {
        const QModelIndex index = rowOf(item);
        QVERIFY(index.isValid());
        list->scrollTo(index);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(index).center());
    }
};
