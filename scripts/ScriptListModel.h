#pragma once

#include <QAbstractListModel>
#include <QUuid>

class BinScriptsModel;

// The script list's rows over BinScriptsModel::scripts(), one per file in the model's order.
// It lives as long as the model it shows.
class ScriptListModel final : public QAbstractListModel
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ScriptListModel)
public:
    enum Role {
        IdRole = Qt::UserRole + 1, // QUuid
        EditableRole, // bool: a text file the editor can open
    };

    explicit ScriptListModel(BinScriptsModel *scripts);

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

    QModelIndex indexOf(const QUuid &id) const;

private:
    BinScriptsModel *m_scripts;
};
