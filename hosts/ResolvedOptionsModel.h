#pragma once

#include <QAbstractTableModel>
#include <QList>
#include <QString>

// The rows of the "What ssh uses" table: each value ssh takes for a host, where it comes from,
// and the host's own lines that an earlier section overrides.
class ResolvedOptionsModel final : public QAbstractTableModel
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ResolvedOptionsModel)
public:
    enum Column {
        KeywordColumn,
        ValueColumn,
        SourceColumn,
        ColumnCount
    };
    struct Row {
        QString keyword;
        QString value;
        QString source;
        bool overridden = false; // a line of this host that ssh never reaches

        friend bool operator==(const Row &, const Row &) = default;
    };

    using QAbstractTableModel::QAbstractTableModel;

    const QList<Row> &rows() const
    {
        return m_rows;
    }
    void setRows(QList<Row> rows);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    QList<Row> m_rows;
};
