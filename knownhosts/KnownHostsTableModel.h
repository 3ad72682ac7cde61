#pragma once

#include "knownhosts/KnownHostEntry.h"

#include <QAbstractTableModel>
#include <QByteArray>
#include <QLocale>
#include <QSet>
#include <QTimer>

#include <vector>

class KnownHostsModel;

// The rows of the known-hosts table: the model's entries whose host, algorithm or marker contains
// the filter text, ignoring case by the rules of the locale. Folded copies of those fields are
// kept in one buffer built at load time, so a keystroke is a single scan without allocations per
// row. When the text is a whole host name, a moment after the last keystroke the entries ssh
// would use for that name join them, hashed ones included, shown under the name typed. Fonts,
// colours, the lock icon and the marker badge are the view's to draw.
class KnownHostsTableModel final : public QAbstractTableModel
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(KnownHostsTableModel)
public:
    enum Column {
        HostColumn,
        AlgorithmColumn,
        FingerprintColumn,
        ColumnCount
    };
    enum Role {
        IsHashedRole = Qt::UserRole, // bool, on every column
        MarkerRole, // "@cert-authority", "@revoked" or empty, on every column
    };
    // How long typing must pause before a name is looked up among the hashed entries.
    static constexpr int namePauseMs = 300;

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

    // Adds the entries found for the filter text as a whole host name; the pause in typing calls it.
    void lookUpName();

    const KnownHostEntry &entryAt(int row) const;
    // Visible rows whose entry is in ids, in ascending order.
    QList<int> rowsOf(const QSet<QUuid> &ids) const;

    // Case folding for the filter, by the rules of the given locale.
    static QString foldForSearch(QStringView text, const QLocale &locale);
    // A text that can be a host name on its own (or "[name]:port"): no blanks, commas or
    // pattern characters.
    static bool isHostName(QStringView text);

signals:
    // The entries found for a whole host name have joined the rows.
    void nameLookupFinished();

private:
    void rebuildIndex();
    void applyFilter();
    bool isNameMatch(qsizetype entry) const;

    const KnownHostsModel *m_source;
    QLocale m_locale;
    QString m_filterText;
    // Folded "host\0algorithm\0" of every entry back to back, in UTF-8; m_starts[i] is where
    // entry i begins, with one extra element for the end.
    QByteArray m_folded;
    std::vector<qsizetype> m_starts;
    std::vector<int> m_visible;
    // Entries found for m_filterText as a host name, ascending; empty until the pause is over.
    QList<qsizetype> m_nameMatches;
    QTimer *m_nameTimer;
};
