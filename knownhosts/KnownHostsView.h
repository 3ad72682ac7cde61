#pragma once

#include "core/Locations.h"

#include <QSet>
#include <QUuid>
#include <QWidget>

class KnownHostsModel;
class KnownHostsTableModel;
class QLineEdit;
class QStackedWidget;
class QTableView;
class QToolButton;
class StatusLine;

// The known-hosts pane: the entries of the known_hosts file in a filterable table, with removal of
// the selected entries after a confirmation. It loads its model when first shown: one of its own,
// or one the window shares with the host editor.
class KnownHostsView final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(KnownHostsView)
public:
    explicit KnownHostsView(const Locations &locations, QWidget *parent = nullptr);
    explicit KnownHostsView(KnownHostsModel *model, QWidget *parent = nullptr);

    KnownHostsModel *model() const
    {
        return m_model;
    }
    // Identifiers of the selected entries, including ones the filter hides.
    const QSet<QUuid> &selectedIDs() const
    {
        return m_selectedIDs;
    }
    void setSelectedIDs(const QSet<QUuid> &ids);

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *makeExplanationBand();
    QWidget *makeFilterField();
    QWidget *makeEmptyState();
    void makeTable();

    void showContextMenu(const QPoint &pos);
    void confirmRemoval();
    void syncViewSelection();
    void updateState();

    KnownHostsModel *m_model;
    KnownHostsTableModel *m_tableModel;
    QSet<QUuid> m_selectedIDs;
    bool m_loaded = false;
    bool m_syncingSelection = false;

    QToolButton *m_reloadButton = nullptr;
    QToolButton *m_removeButton = nullptr;
    QLineEdit *m_filterEdit = nullptr;
    QToolButton *m_clearFilterButton = nullptr;
    QStackedWidget *m_content = nullptr;
    QTableView *m_table = nullptr;
    StatusLine *m_statusLine = nullptr;
};
