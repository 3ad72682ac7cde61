#include "hosts/SidebarModel.h"

#include "engine/HostBlock.h"
#include "engine/SSHConfigModel.h"
#include "hosts/ConfigSources.h"

using namespace Qt::StringLiterals;

namespace {
    // Rows after the hosts: SECURITY header, Known Hosts, SSH Keys, TOOLS header, Local Scripts.
    constexpr int trailingRows = 5;
} // namespace

SidebarModel::SidebarModel(SSHConfigModel *model, ConfigSources *sources, QObject *parent)
    : QAbstractListModel(parent)
    , m_model(model)
    , m_sources(sources)
{
    m_dirty = model->isDirty();
    rebuildCache();
    rebuildIncluded();
    connect(model, &SSHConfigModel::blocksChanged, this, [this] {
        beginResetModel();
        rebuildCache();
        rebuildIncluded();
        endResetModel();
    });
    connect(model, &SSHConfigModel::blockChanged, this, &SidebarModel::onBlockChanged);
    if (sources) {
        connect(sources, &ConfigSources::includedChanged, this, [this] {
            const QList<IncludedHostBlock> &now = m_sources->includedBlocks();
            const bool same = std::equal(now.cbegin(),
                                         now.cend(),
                                         m_included.cbegin(),
                                         m_included.cend(),
                                         [this, i = 0](const IncludedHostBlock &a, const HostBlock &b) mutable {
                                             const auto &place = m_includedPlace.at(i++);
                                             return a.file == place.first && a.line == place.second
                                                    && a.block.pattern == b.pattern && a.block.options == b.options;
                                         });
            if (same)
                return;
            // The hosts' rows go through the reset too: the config's blocks may have changed with them.
            beginResetModel();
            rebuildCache();
            rebuildIncluded();
            endResetModel();
            emit rowsUpdated();
        });
    }
    connect(model, &SSHConfigModel::isDirtyChanged, this, [this] {
        if (m_dirty == m_model->isDirty())
            return;
        m_dirty = m_model->isDirty();
        emit dataChanged(index(0), index(0), {DirtyRole, Qt::ToolTipRole});
    });
}

QString SidebarModel::hostIcon(const HostBlock &block)
{
    if (block.pattern == u"*"_s)
        return u"globe"_s;
    if (block.value(u"ProxyJump") || block.value(u"ProxyCommand"))
        return u"network"_s;
    return u"server.rack"_s;
}

SidebarModel::Haystack SidebarModel::makeHaystack(const HostBlock &block) const
{
    const QString subtitle = block.subtitle();
    return {block.displayName().toLower(), subtitle.toLower(), subtitle, hostIcon(block)};
}

void SidebarModel::rebuildCache()
{
    const QList<HostBlock> &blocks = m_model->blocks();
    m_cache.clear();
    m_cache.reserve(blocks.size());
    m_blockIndex.clear();
    m_blockIndex.reserve(blocks.size());
    for (qsizetype i = 0; i < blocks.size(); ++i) {
        m_cache.append(makeHaystack(blocks.at(i)));
        m_blockIndex.insert(blocks.at(i).id, int(i));
    }
    refilter();
}

void SidebarModel::rebuildIncluded()
{
    m_included.clear();
    m_includedPlace.clear();
    m_includedCache.clear();
    if (m_sources) {
        for (const IncludedHostBlock &included : m_sources->includedBlocks()) {
            m_included.append(included.block);
            m_includedPlace.append({included.file, included.line});
            m_includedCache.append(makeHaystack(included.block));
        }
    }
    refilterIncluded();
}

void SidebarModel::refilterIncluded()
{
    m_includedRows.clear();
    QString file;
    for (int i = 0; i < int(m_included.size()); ++i) {
        const Haystack &h = m_includedCache.at(i);
        if (!m_query.isEmpty() && !h.displayName.contains(m_query) && !h.subtitle.contains(m_query))
            continue;
        if (m_includedPlace.at(i).first != file || m_includedRows.isEmpty()) {
            file = m_includedPlace.at(i).first;
            m_includedRows.append({-1, file});
        }
        m_includedRows.append({i, file});
    }
}

bool SidebarModel::matches(int blockIndex) const
{
    if (m_query.isEmpty())
        return true;
    // The lower-cased display name contains the lower-cased pattern, so it covers both.
    const Haystack &h = m_cache.at(blockIndex);
    return h.displayName.contains(m_query) || h.subtitle.contains(m_query);
}

void SidebarModel::refilter()
{
    m_filtered.clear();
    m_filtered.reserve(m_cache.size());
    for (int i = 0; i < int(m_cache.size()); ++i) {
        if (matches(i))
            m_filtered.append(i);
    }
}

void SidebarModel::setSearchText(const QString &text)
{
    if (text == m_searchText)
        return;
    m_searchText = text;
    m_query = text.toLower();
    beginResetModel();
    refilter();
    refilterIncluded();
    endResetModel();
}

void SidebarModel::onBlockChanged(const QUuid &id)
{
    const auto found = m_blockIndex.constFind(id);
    if (found == m_blockIndex.cend())
        return;
    const int blockIndex = *found;
    m_cache[blockIndex] = makeHaystack(m_model->blocks().at(blockIndex));

    // The edit may move the block into or out of the search result.
    const auto pos = std::lower_bound(m_filtered.begin(), m_filtered.end(), blockIndex);
    const bool listed = pos != m_filtered.end() && *pos == blockIndex;
    const bool match = matches(blockIndex);
    const int row = 1 + int(pos - m_filtered.begin());
    if (listed && match) {
        emit dataChanged(index(row), index(row));
    } else if (listed) {
        m_updatingRows = true;
        beginRemoveRows({}, row, row);
        m_filtered.erase(pos);
        endRemoveRows();
        m_updatingRows = false;
        emit rowsUpdated();
    } else if (match) {
        m_updatingRows = true;
        beginInsertRows({}, row, row);
        m_filtered.insert(pos, blockIndex);
        endInsertRows();
        m_updatingRows = false;
        emit rowsUpdated();
    }
}

int SidebarModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : 1 + middleCount() + trailingRows;
}

std::optional<SidebarItem> SidebarModel::itemAt(const QModelIndex &index) const
{
    if (!index.isValid() || index.model() != this)
        return std::nullopt;
    const int row = index.row();
    if (row >= 1 && row <= hostCount())
        return SidebarItem::host(m_model->blocks().at(m_filtered.at(row - 1)).id);
    if (row > hostCount() && row <= middleCount()) {
        const IncludedRow &included = m_includedRows.at(row - hostCount() - 1);
        if (included.block < 0)
            return std::nullopt;
        return SidebarItem::included(included.file, m_includedPlace.at(included.block).second);
    }
    switch (row - middleCount()) {
    case 2:
        return SidebarItem::knownHosts();
    case 3:
        return SidebarItem::sshKeys();
    case 5:
        return SidebarItem::scripts();
    default:
        return std::nullopt;
    }
}

QModelIndex SidebarModel::indexOf(const SidebarItem &item) const
{
    switch (item.kind) {
    case SidebarItem::Kind::host: {
        const auto found = m_blockIndex.constFind(item.hostId);
        if (found == m_blockIndex.cend())
            return {};
        const auto pos = std::lower_bound(m_filtered.cbegin(), m_filtered.cend(), *found);
        if (pos == m_filtered.cend() || *pos != *found)
            return {};
        return index(1 + int(pos - m_filtered.cbegin()));
    }
    case SidebarItem::Kind::included:
        for (int i = 0; i < int(m_includedRows.size()); ++i) {
            const int block = m_includedRows.at(i).block;
            if (block >= 0 && m_includedPlace.at(block) == qMakePair(item.file, item.line))
                return index(1 + hostCount() + i);
        }
        return {};
    case SidebarItem::Kind::knownHosts:
        return index(middleCount() + 2);
    case SidebarItem::Kind::sshKeys:
        return index(middleCount() + 3);
    case SidebarItem::Kind::scripts:
        return index(middleCount() + 5);
    }
    return {};
}

QVariant SidebarModel::hostData(const HostBlock &block, const Haystack &cached, const QVariant &item, int role) const
{
    switch (role) {
    case Qt::DisplayRole:
        return block.displayName();
    case Qt::AccessibleTextRole:
        return cached.subtitleText.isEmpty() ? block.displayName()
                                             : block.displayName() + u", "_s + cached.subtitleText;
    case RowKindRole:
        return int(RowKind::host);
    case SidebarItemRole:
        return item;
    case SubtitleRole:
        return cached.subtitleText;
    case HasSubtitleRole:
        return !cached.subtitleText.isEmpty();
    case SymbolRole:
        return cached.symbol;
    case IsGlobalRole:
        return block.pattern == u"*"_s;
    default:
        return {};
    }
}

Qt::ItemFlags SidebarModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    // Headers take no part in selection or keyboard movement.
    if (data(index, RowKindRole).value<int>() == int(RowKind::header))
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

QVariant SidebarModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const int row = index.row();

    if (row >= 1 && row <= hostCount()) {
        const int blockIndex = m_filtered.at(row - 1);
        const HostBlock &block = m_model->blocks().at(blockIndex);
        return hostData(block, m_cache.at(blockIndex), QVariant::fromValue(SidebarItem::host(block.id)), role);
    }
    if (row > hostCount() && row <= middleCount()) {
        const IncludedRow &included = m_includedRows.at(row - hostCount() - 1);
        if (role == FileRole)
            return included.file;
        if (included.block < 0) {
            const QString path = m_sources->displayPath(included.file);
            switch (role) {
            case RowKindRole:
                return int(RowKind::header);
            case Qt::DisplayRole:
                return path;
            case Qt::AccessibleTextRole:
                return tr("Hosts included from %1").arg(path);
            default:
                return {};
            }
        }
        const auto &[file, line] = m_includedPlace.at(included.block);
        if (role == Qt::ToolTipRole)
            return tr("Read-only: defined in %1").arg(m_sources->displayPath(file));
        return hostData(m_included.at(included.block),
                        m_includedCache.at(included.block),
                        QVariant::fromValue(SidebarItem::included(file, line)),
                        role);
    }

    const int tail = row == 0 ? 0 : row - middleCount();
    const bool header = tail == 0 || tail == 1 || tail == 4;
    if (role == RowKindRole)
        return int(header ? RowKind::header : RowKind::tool);
    if (header) {
        switch (role) {
        case Qt::DisplayRole:
            return tail == 0 ? tr("HOSTS") : tail == 1 ? tr("SECURITY") : tr("TOOLS");
        case Qt::AccessibleTextRole:
            if (tail == 0 && m_dirty)
                return tr("HOSTS, Unsaved changes");
            return {};
        case DirtyRole:
            return tail == 0 && m_dirty;
        default:
            return {};
        }
    }

    static const struct {
        const char *text;
        QString symbol;
    } tools[] = {{QT_TR_NOOP("Known Hosts"), u"shield.checkerboard"_s},
                 {QT_TR_NOOP("SSH Keys"), u"key.fill"_s},
                 {nullptr, {}},
                 {QT_TR_NOOP("Local Scripts"), u"scroll"_s}};
    const auto &tool = tools[tail - 2];
    switch (role) {
    case Qt::DisplayRole:
        return tr(tool.text);
    case SymbolRole:
        return tool.symbol;
    case SidebarItemRole:
        return QVariant::fromValue(*itemAt(index));
    default:
        return {};
    }
}
