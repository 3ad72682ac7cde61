#include "scripts/ScriptListModel.h"

#include "scripts/BinScriptsModel.h"

ScriptListModel::ScriptListModel(BinScriptsModel *scripts)
    : QAbstractListModel(scripts)
    , m_scripts(scripts)
{
    // Each scan replaces the whole list with new identifiers, so the rows start over too.
    connect(scripts, &BinScriptsModel::scriptsChanged, this, [this] {
        beginResetModel();
        endResetModel();
    });
}

int ScriptListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_scripts->scripts().size());
}

QVariant ScriptListModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const ScriptFile &script = m_scripts->scripts().at(index.row());
    switch (role) {
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole:
        return script.name;
    case Qt::AccessibleDescriptionRole:
        return script.isEditable ? tr("Text / Shell Script") : tr("Binary Executable");
    case Qt::ToolTipRole:
        return script.url;
    case IdRole:
        return script.id;
    case EditableRole:
        return script.isEditable;
    default:
        return {};
    }
}

QModelIndex ScriptListModel::indexOf(const QUuid &id) const
{
    const QList<ScriptFile> &scripts = m_scripts->scripts();
    for (qsizetype row = 0; row < scripts.size(); ++row) {
        if (scripts.at(row).id == id)
            return index(int(row));
    }
    return {};
}
