#pragma once

#include "knownhosts/KnownHostEntry.h"

#include <QAbstractTableModel>
#include <QByteArray>
#include <QLocale>
#include <QSet>

#include <vector>

class KnownHostsModel;

// The rows of the known-hosts table: the model's entries whose host or algorithm contains the
// filter text, ignoring case by the rules of the locale. Folded copies of both fields are kept in
// one buffer built at load time, so a keystroke is a single scan without allocations per row.
// Fonts, colours and the lock icon are the view's to draw.
class KnownHostsTableModel final : public QAbstractTableModel
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(KnownHostsTableModel)
public:
    enum Column {
        HostColumn,
        AlgorithmColumn,
        KeyPreviewColumn,
        ColumnCount
    };
    enum Role {
        IsHashedRole = Qt::UserRole, // bool, on every column
    };

    explicit KnownHostsTableModel(const KnownHostsModel *source, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    QString filterText() const
    {
        return m_filterText;
    }
    void setFilterText(const QString &text);

    const KnownHostEntry &entryAt(int row) const;
    // Visible rows whose entry is in ids, in ascending order.
    QList<int> rowsOf(const QSet<QUuid> &ids) const;

    // Case folding for the filter, by the rules of the given locale.
    static QString foldForSearch(QStringView text, const QLocale &locale);

private:
    void rebuildIndex();
    void applyFilter();

    const KnownHostsModel *m_source;
    QLocale m_locale;
    QString m_filterText;
    // Folded "host\0algorithm\0" of every entry back to back, in UTF-8; m_starts[i] is where
    // entry i begins, with one extra element for the end.
    QByteArray m_folded;
    std::vector<qsizetype> m_starts;
    std::vector<int> m_visible;
};
