#pragma once

#include <QSet>
#include <QStringList>
#include <QUuid>
#include <QWidget>

class KnownHostsModel;
class QLabel;
class QPushButton;
class QTimer;
class SSHConfigModel;
struct HostBlock;

// A line of the host editor: how many known_hosts entries hold a key for the host, and "Forget…",
// which removes them, after a confirmation, as `ssh-keygen -R` would for each of its names.
class KnownHostKeysRow final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(KnownHostKeysRow)
public:
    KnownHostKeysRow(SSHConfigModel *config, KnownHostsModel *knownHosts, QWidget *parent = nullptr);

    void setBlockId(const QUuid &id);
    QPushButton *forgetButton() const
    {
        return m_forget;
    }

    // The names ssh looks the host up by: its HostName (with %h filled in), else every plain name
    // of its pattern, in lower case as ssh uses them; each also as "[name]:port" when a Port other
    // than 22 is set.
    static QStringList namesFor(const HostBlock &block);

protected:
    void showEvent(QShowEvent *event) override;

private:
    void refresh();
    void updateNames();
    void recount();
    void forget();

    SSHConfigModel *m_config;
    KnownHostsModel *m_knownHosts;
    QUuid m_blockId;
    QStringList m_names;
    QSet<QUuid> m_ids;
    QLabel *m_label;
    QPushButton *m_forget;
    QTimer *m_recountTimer;
};
