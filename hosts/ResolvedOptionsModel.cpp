#include "hosts/ResolvedOptionsModel.h"

#include <QFont>

void ResolvedOptionsModel::setRows(QList<Row> rows)
{
    if (rows == m_rows)
        return;
    beginResetModel();
    m_rows = std::move(rows);
    endResetModel();
}

int ResolvedOptionsModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int ResolvedOptionsModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant ResolvedOptionsModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const Row &row = m_rows.at(index.row());
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
        switch (index.column()) {
        case KeywordColumn:
            return row.keyword;
        case ValueColumn:
            return row.value;
        case SourceColumn:
            return row.source;
        default:
            return {};
        }
    case Qt::FontRole:
        if (row.overridden) {
            QFont font;
            font.setStrikeOut(index.column() == ValueColumn);
            font.setItalic(true);
            return font;
        }
        return {};
    default:
        return {};
    }
}

QVariant ResolvedOptionsModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    switch (section) {
    case KeywordColumn:
        return tr("Option");
    case ValueColumn:
        return tr("Value");
    case SourceColumn:
        return tr("Source");
    default:
        return {};
    }
}
