#pragma once

#include "core/Locations.h"
#include "hosts/SidebarItem.h"

#include <QPointer>
#include <QWidget>

#include <optional>

struct HostBlock;
class HostDetailView;
class IconLabel;
class KnownHostsModel;
class QLabel;
class QLineEdit;
class QListView;
class QSplitter;
class QStackedWidget;
class QToolButton;
class SSHConfigModel;
class SidebarModel;
class StatusLine;
class AddHostSheet;
class ConfigSources;
class QPushButton;
class QTableView;
class ResolvedOptionsModel;
class ResolvedView;

// The main window's content: the sidebar (search, hosts and tool entries, status line) and the
// detail column showing the host editor, one of the panes, or the empty state. It also runs the
// add-host sheet, the remove confirmation, the unsaved-changes alert and the error alert.
class ContentView final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ContentView)
public:
    ContentView(SSHConfigModel *model, const Locations &locations, QWidget *parent = nullptr);

    std::optional<SidebarItem> selectedItem() const
    {
        return m_selected;
    }
    void setSelectedItem(const std::optional<SidebarItem> &item);
    // Position in the model's blocks of the selected host, if a host is selected and still exists.
    std::optional<int> selectedHostIndex() const;
    bool isOnHostsSection() const;

    QString searchText() const;
    void setSearchText(const QString &text);

    SidebarModel *sidebarModel() const
    {
        return m_sidebarModel;
    }
    QListView *sidebarList() const
    {
        return m_list;
    }
    HostDetailView *hostDetailView() const
    {
        return m_detail;
    }
    ConfigSources *configSources() const
    {
        return m_sources;
    }
    // The pane shown for a tool entry, or null.
    QWidget *currentPane() const
    {
        return m_pane;
    }

    // The user's commands, as the toolbar and menus run them.
    void addHost();
    void removeSelectedHost();
    void duplicateSelectedHost();
    void duplicateHost(const QUuid &id);
    void removeHost(const QUuid &id);
    // Reloads the config, asking first about unsaved edits; the selected pane or host stays shown.
    void reload();
    // Reloads what the detail column shows: the config, or the open pane's file or folder.
    void reloadShown();
    void save();
    // Opens a terminal running ssh with the selected host's alias, asking to save unsaved edits
    // first, as ssh reads the file.
    void connectSelectedHost();
    // The alias that ssh is given for the selected host, if it has one without wildcards.
    std::optional<QString> selectedConnectAlias() const;
    // The first name of a Host pattern, split as ssh splits it, that is no wildcard, no negation
    // and no option: what `ssh <alias>` matches the block with.
    static std::optional<QString> connectAlias(const QString &pattern);
    // Saves, first asking before it replaces what another program wrote to the file since it was
    // read. True when the edits are on disk; false when the user cancelled or the save failed.
    bool saveChecked();
    // The config file's path as the user knows it: "~/.ssh/config" for the usual one.
    QString configDisplayPath() const;
    // Puts the keyboard in the host search, its text selected.
    void focusSearch();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

signals:
    void selectionChanged();

private:
    QWidget *buildSidebar();
    QWidget *buildEmptyState();
    QWidget *buildHostPage();
    QWidget *buildOutsideChangeBar();
    void syncListSelection();
    void updateDetail();
    void updateHostHeader();
    // The config's host blocks and those of the files it includes, for the keys pane.
    QList<HostBlock> allHostBlocks() const;
    void showContextMenu(const QPoint &pos);
    void reloadFromDisk();
    void enterListFromSearch();
    void reselectAfterReload();
    void connectTo(const QString &alias);
    // The form, the read-only options of an included host, or "What ssh uses".
    void updateHostBody();
    void openIncludedFile();

    SSHConfigModel *m_model;
    Locations m_locations;
    std::optional<SidebarItem> m_selected;
    bool m_syncingSelection = false;
    // The selected host's pattern while the model reloads by itself: ids do not survive a load.
    std::optional<QString> m_reselectPattern;

    ConfigSources *m_sources; // before the sidebar model, which follows its included hosts
    SidebarModel *m_sidebarModel;
    // Shared by the known-hosts pane and the host editor's count of a host's keys.
    KnownHostsModel *m_knownHosts;
    QWidget *m_outsideBar = nullptr;
    QSplitter *m_splitter = nullptr;
    QLineEdit *m_search = nullptr;
    QToolButton *m_searchClear = nullptr;
    QListView *m_list = nullptr;
    StatusLine *m_status = nullptr;

    QStackedWidget *m_stack = nullptr;
    QWidget *m_emptyPage = nullptr;
    QWidget *m_hostPage = nullptr;
    IconLabel *m_hostIcon = nullptr;
    QLabel *m_hostName = nullptr;
    QLabel *m_hostOrigin = nullptr;
    QPushButton *m_openFile = nullptr;
    QToolButton *m_resolvedToggle = nullptr;
    QStackedWidget *m_hostBody = nullptr;
    HostDetailView *m_detail = nullptr;
    QTableView *m_includedTable = nullptr;
    ResolvedOptionsModel *m_includedOptions = nullptr;
    ResolvedView *m_resolved = nullptr;
    QWidget *m_panePage = nullptr;
    QPointer<QWidget> m_pane;
    SidebarItem::Kind m_paneKind = SidebarItem::Kind::host;
    QPointer<AddHostSheet> m_addHostSheet;
};
