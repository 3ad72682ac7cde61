#pragma once

#include "core/Locations.h"

#include <QUuid>
#include <QWidget>

#include <optional>

class KeyDetailView;
class KeyListModel;
class QListView;
class QStackedWidget;
class QTimer;
class SSHKeysModel;
class StatusLine;

// The keys pane: the key pairs of the key directory on the left, the selected pair on the right.
// It owns its model and scans the key directory when first shown.
class SSHKeysView final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SSHKeysView)
public:
    explicit SSHKeysView(const Locations &locations, QWidget *parent = nullptr);

    SSHKeysModel *model() const
    {
        return m_model;
    }
    std::optional<QUuid> selectedID() const
    {
        return m_selectedID;
    }
    std::optional<QUuid> copiedID() const
    {
        return m_copiedID;
    }

    void openGenerateSheet();

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void listReset();
    void selectionChanged();
    void showSelection();
    void copySelected();
    void setCopiedID(std::optional<QUuid> id);
    void viewPublicKey();
    void confirmDelete();

    Locations m_locations;
    SSHKeysModel *m_model;
    std::optional<QUuid> m_selectedID;
    std::optional<QUuid> m_copiedID;
    QListView *m_list;
    KeyListModel *m_listModel;
    StatusLine *m_status;
    QStackedWidget *m_detailStack;
    QWidget *m_emptyState;
    KeyDetailView *m_detail;
    QTimer *m_copyReset;
    bool m_loaded = false;
};
