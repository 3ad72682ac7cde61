#pragma once

#include "core/Locations.h"
#include "keys/SSHKeyPair.h"

#include <QUuid>
#include <QWidget>

#include <functional>
#include <optional>

class KeyActionSheet;
class KeyDetailView;
class KeyEditor;
class KeyListModel;
class QListView;
class QStackedWidget;
class QTimer;
class SSHAgent;
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
    SSHAgent *agent() const
    {
        return m_agent;
    }
    KeyEditor *editor() const
    {
        return m_editor;
    }
    // What the pane knows of the config: the hosts that name a private key file, and the aliases
    // a key can be copied to. Without them no host uses any key.
    void setHostLookup(std::function<QStringList(const QString &privateKeyPath)> hostsUsing,
                       std::function<QStringList()> aliases);
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
    void changePassphrase();
    void changeComment();
    void addToAgent(const QString &passphrase = {});
    void askAgentPassphrase(const QString &privatePath);
    void copyToServer();
    void showAgentState();
    std::optional<SSHKeyPair> selectedPair() const;
    KeyActionSheet *
    openSheet(const QString &objectName, const QString &title, const QString &text, const QString &confirmText);

    Locations m_locations;
    SSHKeysModel *m_model;
    SSHAgent *m_agent;
    KeyEditor *m_editor;
    std::function<QStringList(const QString &)> m_hostsUsing;
    std::function<QStringList()> m_aliases;
    std::optional<QUuid> m_selectedID;
    std::optional<QUuid> m_copiedID;
    QString m_reselectPath;
    QListView *m_list;
    KeyListModel *m_listModel;
    StatusLine *m_status;
    QStackedWidget *m_detailStack;
    QWidget *m_emptyState;
    KeyDetailView *m_detail;
    QTimer *m_copyReset;
    bool m_loaded = false;
};
