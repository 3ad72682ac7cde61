#include "hosts/ContentView.h"

#include "engine/HostBlock.h"
#include "engine/KeyUsage.h"
#include "engine/SSHConfigModel.h"
#include "engine/SSHResolver.h"
#include "hosts/AddHostSheet.h"
#include "hosts/ConfigSources.h"
#include "hosts/HostDetailView.h"
#include "hosts/SidebarDelegate.h"
#include "hosts/SidebarModel.h"
#include "keys/SSHKeysModel.h"
#include "keys/SSHKeysView.h"
#include "knownhosts/KnownHostsModel.h"
#include "knownhosts/KnownHostsView.h"
#include "scripts/BinScriptsView.h"
#include "ui/Dialogs.h"
#include "ui/Mnemonic.h"
#include "ui/ModelAlert.h"
#include "ui/PaneChrome.h"
#include "ui/Style.h"
#include "ui/SymbolIcon.h"

#include <QAction>
#include <QDir>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QSplitter>
#include <QStackedWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include <utility>

using namespace Qt::StringLiterals;

std::optional<int> ContentView::selectedHostIndex() const
{
    if (!m_selected || !m_selected->isHost())
        return std::nullopt;
    const QList<HostBlock> &blocks = m_model->blocks();
    for (qsizetype i = 0; i < blocks.size(); ++i) {
        if (blocks.at(i).id == m_selected->hostId)
            return int(i);
    }
    return std::nullopt;
}

bool ContentView::isOnHostsSection() const
{
    return !m_selected || m_selected->isHost() || m_selected->isIncluded();
}

QString ContentView::searchText() const
{
    return m_search->text();
}

void ContentView::setSearchText(const QString &text)
{
    m_search->setText(text);
}

void ContentView::setSelectedItem(const std::optional<SidebarItem> &item)
{
    if (item == m_selected) {
        syncListSelection();
        return;
    }
    m_selected = item;
    syncListSelection();
    updateDetail();
    emit selectionChanged();
}

void ContentView::syncListSelection()
{
    const QModelIndex index = m_selected ? m_sidebarModel->indexOf(*m_selected) : QModelIndex();
    QItemSelectionModel *selection = m_list->selectionModel();
    if (index.isValid() && selection->isSelected(index))
        return;
    m_syncingSelection = true;
    if (index.isValid()) {
        selection->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
        m_list->scrollTo(index);
    } else {
        // A host hidden by the search stays selected; it just has no row to highlight.
        selection->clearSelection();
    }
    m_syncingSelection = false;
}

void ContentView::updateDetail()
{
    const bool hostLike = !m_selected || m_selected->isHost() || m_selected->isIncluded();
    const SidebarItem::Kind paneKind = hostLike ? SidebarItem::Kind::host : m_selected->kind;
    if (m_pane && (paneKind == SidebarItem::Kind::host || paneKind != m_paneKind)) {
        // The pane and its model go with the selection; coming back builds them afresh.
        m_pane->hide();
        m_panePage->layout()->removeWidget(m_pane);
        m_pane->deleteLater();
        m_pane = nullptr;
    }

    if (paneKind != SidebarItem::Kind::host) {
        if (!m_pane) {
            switch (paneKind) {
            case SidebarItem::Kind::knownHosts:
                m_pane = new KnownHostsView(m_knownHosts, m_panePage);
                break;
            case SidebarItem::Kind::sshKeys: {
                auto *keys = new SSHKeysView(m_locations, m_panePage);
                // Asked afresh each time, so the pane follows edits and reloads of the config.
                keys->setHostLookup(
                    [this](const QString &key) {
                        return KeyUsage::hostsUsing(allHostBlocks(), key, m_locations.homeDir, m_locations.userName);
                    },
                    [this] {
                        return KeyUsage::aliases(allHostBlocks());
                    });
                m_pane = keys;
                break;
            }
            case SidebarItem::Kind::scripts:
                m_pane = new BinScriptsView(m_locations, m_panePage);
                break;
            case SidebarItem::Kind::host:
            case SidebarItem::Kind::included:
                break;
            }
            m_paneKind = paneKind;
            m_panePage->layout()->addWidget(m_pane);
        }
        m_stack->setCurrentWidget(m_panePage);
        return;
    }

    const bool includedShown =
        m_selected && m_selected->isIncluded() && m_sources->includedBlock(m_selected->file, m_selected->line);
    if (selectedHostIndex() || includedShown) {
        if (!includedShown)
            m_detail->setBlockId(m_selected->hostId);
        updateHostHeader();
        updateHostBody();
        m_stack->setCurrentWidget(m_hostPage);
    } else {
        m_stack->setCurrentWidget(m_emptyPage);
    }
}

QList<HostBlock> ContentView::allHostBlocks() const
{
    QList<HostBlock> blocks = m_model->blocks();
    // Included files are read afresh: another program may have changed them.
    const SSHResolver resolver(QString::fromUtf8(m_model->text()),
                               m_model->configURL(),
                               m_locations.homeDir,
                               m_locations.sshDir);
    for (const IncludedHostBlock &included : resolver.includedHostBlocks())
        blocks << included.block;
    return blocks;
}

void ContentView::updateHostHeader()
{
    const IncludedHostBlock *included =
        m_selected && m_selected->isIncluded() ? m_sources->includedBlock(m_selected->file, m_selected->line) : nullptr;
    const auto index = selectedHostIndex();
    if (!index && !included)
        return;
    const HostBlock &block = included ? included->block : m_model->blocks().at(*index);
    m_hostIcon->setSymbol(SidebarModel::hostIcon(block));
    m_hostName->setText(block.displayName());
    m_hostOrigin->setText(included ? tr("Read-only, in %1").arg(m_sources->displayPath(included->file)) : QString());
    m_hostOrigin->setVisible(included);
    m_openFile->setVisible(included);
}

void ContentView::showContextMenu(const QPoint &pos)
{
    const auto item = m_sidebarModel->itemAt(m_list->indexAt(pos));
    if (!item || !item->isHost())
        return;
    const QUuid id = item->hostId;
    auto *menu = new QMenu(this);
    menu->setObjectName(u"hostContextMenu"_s);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->addAction(Mnemonic::escaped(tr("Duplicate")), this, [this, id] {
        duplicateHost(id);
    });
    menu->addSeparator();
    QAction *remove = menu->addAction(Mnemonic::escaped(tr("Remove")), this, [this, id] {
        removeHost(id);
    });
    remove->setIcon(SymbolIcon::icon(u"minus"_s, Style::Tone::Destructive));
    menu->popup(m_list->viewport()->mapToGlobal(pos));
}

void ContentView::addHost()
{
    if (m_addHostSheet) {
        m_addHostSheet->raise();
        return;
    }
    QStringList patterns;
    patterns.reserve(m_model->blocks().size());
    for (const HostBlock &block : m_model->blocks())
        patterns.append(block.pattern);
    m_addHostSheet = new AddHostSheet(
        patterns,
        u"new-host"_s,
        [self = QPointer<ContentView>(this)](const QString &alias) {
            if (!self)
                return;
            if (const auto id = self->m_model->addBlock(alias))
                self->setSelectedItem(SidebarItem::host(*id));
        },
        window());
    m_addHostSheet->open();
}

void ContentView::removeSelectedHost()
{
    if (!m_selected || !m_selected->isHost())
        return;
    const auto index = selectedHostIndex();
    const QString message =
        index ? tr("Remove \"%1\" from your SSH config?").arg(m_model->blocks().at(*index).displayName()) : QString();
    const int choice =
        Dialogs::ask(this,
                     tr("Remove Host?"),
                     message,
                     {{tr("Remove"), QMessageBox::DestructiveRole}, {tr("Cancel"), QMessageBox::RejectRole}});
    if (choice != 0 || !m_selected || !m_selected->isHost())
        return;
    m_model->removeBlock(m_selected->hostId);
    setSelectedItem(std::nullopt);
}

void ContentView::removeHost(const QUuid &id)
{
    setSelectedItem(SidebarItem::host(id));
    removeSelectedHost();
}

void ContentView::duplicateSelectedHost()
{
    if (m_selected && m_selected->isHost())
        duplicateHost(m_selected->hostId);
}

void ContentView::duplicateHost(const QUuid &id)
{
    if (const auto copy = m_model->duplicateBlock(id))
        setSelectedItem(SidebarItem::host(*copy));
}

void ContentView::reloadFromDisk()
{
    // Ids do not survive a load: the selected host is found again by its pattern, as after an
    // outside change. A pane stays as it is.
    const auto index = selectedHostIndex();
    m_reselectPattern = index ? std::optional(m_model->blocks().at(*index).pattern) : std::nullopt;
    m_model->load();
    reselectAfterReload();
}

void ContentView::reselectAfterReload()
{
    // Nothing, or a pane, was selected: that stays as it is.
    const std::optional<QString> pattern = std::exchange(m_reselectPattern, std::nullopt);
    if (!pattern)
        return;
    for (const HostBlock &block : m_model->blocks()) {
        if (block.pattern == *pattern) {
            setSelectedItem(SidebarItem::host(block.id));
            return;
        }
    }
    setSelectedItem(std::nullopt);
}

void ContentView::reload()
{
    if (!m_model->isDirty()) {
        reloadFromDisk();
        return;
    }
    const int choice = Dialogs::ask(this,
                                    tr("Unsaved Changes"),
                                    tr("You have unsaved changes. Save before reloading?"),
                                    {{tr("Save & Reload"), QMessageBox::AcceptRole},
                                     {tr("Discard & Reload"), QMessageBox::DestructiveRole},
                                     {tr("Cancel"), QMessageBox::RejectRole}});
    if (choice == 0) {
        // Reloading after a failed or cancelled save would throw away the edits the user asked to keep.
        if (!saveChecked())
            return;
        reloadFromDisk();
    } else if (choice == 1) {
        reloadFromDisk();
    }
}

void ContentView::reloadShown()
{
    if (auto *pane = qobject_cast<KnownHostsView *>(m_pane))
        pane->model()->load();
    else if (auto *pane = qobject_cast<SSHKeysView *>(m_pane))
        pane->model()->load();
    else if (auto *pane = qobject_cast<BinScriptsView *>(m_pane))
        pane->model()->load();
    else
        reload();
}

void ContentView::save()
{
    saveChecked();
}

bool ContentView::saveChecked()
{
    if (m_model->isChangedOnDisk()) {
        const int choice =
            Dialogs::ask(this,
                         tr("Overwrite Changes on Disk?"),
                         tr("%1 was changed by another program since Korvel read it. Saving replaces those "
                            "changes with yours.")
                             .arg(configDisplayPath()),
                         {{tr("Overwrite"), QMessageBox::DestructiveRole}, {tr("Cancel"), QMessageBox::RejectRole}},
                         QMessageBox::Warning,
                         1);
        if (choice != 0)
            return false;
    }
    m_model->save();
    // Every caller saves unsaved edits, so a model still dirty means the save failed.
    return !m_model->isDirty();
}

QString ContentView::configDisplayPath() const
{
    const QString path = QDir::cleanPath(m_model->configURL());
    if (!m_locations.homeDir.isEmpty() && path == QDir::cleanPath(m_locations.homeDir + u"/.ssh/config"_s))
        return u"~/.ssh/config"_s;
    return path;
}

void ContentView::focusSearch()
{
    m_search->setFocus(Qt::ShortcutFocusReason);
    m_search->selectAll();
}

bool ContentView::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_search && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Escape && key->modifiers() == Qt::NoModifier && !m_search->text().isEmpty()) {
            m_search->clear();
            return true;
        }
        if (key->key() == Qt::Key_Down && key->modifiers() == Qt::NoModifier) {
            enterListFromSearch();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void ContentView::enterListFromSearch()
{
    m_list->setFocus(Qt::TabFocusReason);
    // A listed host stays selected, and so does a tool when nothing was searched for; otherwise
    // the first match is what the user was looking for.
    const bool listed = m_selected && m_sidebarModel->indexOf(*m_selected).isValid();
    if (listed && (m_selected->isHost() || m_selected->isIncluded() || m_search->text().isEmpty()))
        return;
    // The first host row: of the config, else of an included file.
    for (int row = 0; row < m_sidebarModel->rowCount(); ++row) {
        const QModelIndex index = m_sidebarModel->index(row);
        if (index.data(SidebarModel::RowKindRole).toInt() == int(SidebarModel::RowKind::host)) {
            setSelectedItem(m_sidebarModel->itemAt(index));
            return;
        }
    }
}
