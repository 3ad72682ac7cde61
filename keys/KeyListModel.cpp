#include "keys/KeyListModel.h"

#include "keys/SSHKeysModel.h"

#include <utility>

using namespace Qt::StringLiterals;

KeyListModel::KeyListModel(SSHKeysModel *keys)
    : QAbstractListModel(keys)
    , m_keys(keys)
{
    // The model replaces its list wholesale on every scan, so the rows are rebuilt wholesale too.
    connect(keys, &SSHKeysModel::keyPairsChanged, this, [this] {
        beginResetModel();
        endResetModel();
    });
}

int KeyListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_keys->keyPairs().size());
}

QVariant KeyListModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const SSHKeyPair &pair = m_keys->keyPairs().at(index.row());
    switch (role) {
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole:
        return pair.name;
    case Qt::AccessibleDescriptionRole: {
        // What the icon and the check mark show, for those who cannot see them.
        QStringList parts{pair.keyType, pair.comment};
        if (m_copiedID == pair.id)
            parts << tr("Copied");
        if (m_inAgent.contains(pair.id))
            parts << tr("In the agent");
        parts.removeAll(QString());
        return parts.join(u", "_s);
    }
    case IdRole:
        return pair.id;
    case KeyTypeRole:
        return pair.keyType;
    case CommentRole:
        return pair.comment;
    case CopiedRole:
        return m_copiedID == pair.id;
    case AgentRole:
        return m_inAgent.contains(pair.id);
    default:
        return {};
    }
}

QModelIndex KeyListModel::indexOf(const QUuid &id) const
{
    const QList<SSHKeyPair> &pairs = m_keys->keyPairs();
    for (qsizetype row = 0; row < pairs.size(); ++row) {
        if (pairs.at(row).id == id)
            return index(int(row));
    }
    return {};
}

void KeyListModel::setCopiedID(std::optional<QUuid> id)
{
    if (id == m_copiedID)
        return;
    const std::optional<QUuid> old = std::exchange(m_copiedID, id);
    for (const auto &changed : {old, id}) {
        if (!changed)
            continue;
        if (const QModelIndex row = indexOf(*changed); row.isValid())
            emit dataChanged(row, row, {CopiedRole, Qt::AccessibleDescriptionRole});
    }
}

void KeyListModel::setInAgent(const QSet<QUuid> &ids)
{
    if (ids == m_inAgent)
        return;
    m_inAgent = ids;
    if (rowCount() > 0)
        emit dataChanged(index(0), index(rowCount() - 1), {AgentRole, Qt::AccessibleDescriptionRole});
}
