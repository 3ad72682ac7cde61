#pragma once

#include "hosts/SidebarItem.h"

#include <QAbstractListModel>
#include <QHash>
#include <QList>
#include <QString>
#include <QUuid>

#include <optional>

class ConfigSources;
class SSHConfigModel;
struct HostBlock;

// The sidebar's rows over the configuration model: the "HOSTS" header and the host blocks that
// match the search, a header per included file with its hosts that match, then the fixed
// "SECURITY" and "TOOLS" entries. Header rows are not selectable.
class SidebarModel final : public QAbstractListModel
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SidebarModel)
public:
    enum class RowKind {
        header,
        host,
        tool
    };
    enum Role {
        RowKindRole = Qt::UserRole + 1,
        SidebarItemRole, // QVariant::fromValue<SidebarItem>
        SubtitleRole,
        HasSubtitleRole,
        SymbolRole, // the symbol name of the row's icon
        IsGlobalRole, // the "*" block
        DirtyRole, // on the "HOSTS" header: the model has unsaved changes
        FileRole, // on an included file's header and hosts: the file's absolute path
    };

    // Without sources, no included hosts are listed.
    explicit SidebarModel(SSHConfigModel *model, ConfigSources *sources = nullptr, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

    QString searchText() const
    {
        return m_searchText;
    }
    void setSearchText(const QString &text);

    // The row showing an item, or an invalid index when it is filtered out or gone.
    QModelIndex indexOf(const SidebarItem &item) const;
    std::optional<SidebarItem> itemAt(const QModelIndex &index) const;
    // Indexes into SSHConfigModel::blocks() of the host rows, in row order.
    const QList<int> &filteredBlocks() const
    {
        return m_filtered;
    }

    // True while rows are being inserted or removed; views move their selection then on their own.
    bool isUpdatingRows() const
    {
        return m_updatingRows;
    }

    // The symbol for a block: "globe" for "*", "network" when it jumps through a proxy, else "server.rack".
    static QString hostIcon(const HostBlock &block);

signals:
    // A host row came or went because an edit changed whether it matches the search.
    void rowsUpdated();

private:
    struct Haystack {
        QString displayName; // lower case
        QString subtitle; // lower case
        QString subtitleText;
        QString symbol;
    };

    void rebuildCache();
    void rebuildIncluded();
    void refilter();
    void refilterIncluded();
    QVariant hostData(const HostBlock &block, const Haystack &cached, const QVariant &item, int role) const;
    bool matches(int blockIndex) const;
    void onBlockChanged(const QUuid &id);
    Haystack makeHaystack(const HostBlock &block) const;
    int hostCount() const
    {
        return int(m_filtered.size());
    }
    // Host rows and the included files' rows: what stands before the "SECURITY" header.
    int middleCount() const
    {
        return hostCount() + int(m_includedRows.size());
    }

    SSHConfigModel *m_model;
    QString m_searchText;
    QString m_query; // lower-cased search text
    QList<Haystack> m_cache; // per block, parallel to blocks()
    QHash<QUuid, int> m_blockIndex;
    QList<int> m_filtered;
    ConfigSources *m_sources;
    struct IncludedRow {
        int block = -1; // into m_included; -1 for a file's header
        QString file;
    };
    QList<HostBlock> m_included;
    QList<QPair<QString, int>> m_includedPlace; // file and Host line, parallel to m_included
    QList<Haystack> m_includedCache;
    QList<IncludedRow> m_includedRows;
    bool m_dirty = false;
    bool m_updatingRows = false;
};

Q_DECLARE_METATYPE(SidebarItem)
