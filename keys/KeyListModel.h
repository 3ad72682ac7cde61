#pragma once

#include <QAbstractListModel>
#include <QSet>
#include <QUuid>

#include <optional>

class SSHKeysModel;

// The key list's rows over SSHKeysModel::keyPairs(), one per pair in the model's order, plus which
// pair carries the "copied" check mark and which the agent holds. It lives as long as the model it shows.
class KeyListModel final : public QAbstractListModel
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(KeyListModel)
public:
    enum Role {
        IdRole = Qt::UserRole + 1, // QUuid
        KeyTypeRole,
        CommentRole,
        CopiedRole, // bool: the row shows the check mark
        AgentRole, // bool: the running agent holds the key
    };

    explicit KeyListModel(SSHKeysModel *keys);

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

    QModelIndex indexOf(const QUuid &id) const;
    void setCopiedID(std::optional<QUuid> id);
    void setInAgent(const QSet<QUuid> &ids);

private:
    SSHKeysModel *m_keys;
    std::optional<QUuid> m_copiedID;
    QSet<QUuid> m_inAgent;
};
