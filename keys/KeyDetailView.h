#pragma once

#include "keys/SSHKeyPair.h"

#include <QStringList>
#include <QWidget>

class QLabel;
class QPushButton;

// The details of one key pair with its actions. The pane decides what the actions do; this view
// only shows the pair, the hosts that use it, whether the agent holds it, and whether it was just
// copied.
class KeyDetailView final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(KeyDetailView)
public:
    explicit KeyDetailView(const QString &homeDir, QWidget *parent = nullptr);

    void setPair(const SSHKeyPair &pair);
    const SSHKeyPair &pair() const
    {
        return m_pair;
    }
    void setCopied(bool copied);
    void setUsedBy(const QStringList &hosts);
    enum class AgentMark {
        unknown,
        absent,
        loaded,
        notLoaded,
    };
    // busy: an agent or key tool run is out, so its buttons wait.
    void setAgent(AgentMark mark, bool busy);
    // While the key tool rewrites the key, no second change starts.
    void setEditing(bool editing);
    // The private key's path with the home directory shown as "~".
    static QString displayPath(const QString &path, const QString &homeDir);

signals:
    void copyClicked();
    void viewPublicKeyClicked();
    void deleteClicked();
    void changePassphraseClicked();
    void changeCommentClicked();
    void addToAgentClicked();
    void removeFromAgentClicked();
    void copyToServerClicked();

private:
    QString m_homeDir;
    SSHKeyPair m_pair;
    QLabel *m_filename;
    QLabel *m_type;
    QLabel *m_comment;
    QLabel *m_path;
    QLabel *m_fingerprint;
    QLabel *m_usedBy;
    QLabel *m_agent;
    QPushButton *m_copy;
    QPushButton *m_changePassphrase;
    QPushButton *m_changeComment;
    QPushButton *m_addToAgent;
    QPushButton *m_removeFromAgent;
};
