#pragma once

#include <QSet>
#include <QStringList>
#include <QUuid>
#include <QWidget>

class ConfigSources;
class KnownHostsModel;
class QLabel;
class QPushButton;
class QTimer;
class SSHConfigModel;
class SSHResolver;
struct HostBlock;

// A line of the host editor: how many known_hosts entries hold a key for the host, and "Forget…",
// which removes them, after a confirmation, as `ssh-keygen -R` would for each of its names.
class KnownHostKeysRow final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(KnownHostKeysRow)
public:
    KnownHostKeysRow(SSHConfigModel *config,
                     KnownHostsModel *knownHosts,
                     ConfigSources *sources,
                     QWidget *parent = nullptr);

    void setBlockId(const QUuid &id);
    QPushButton *forgetButton() const
    {
        return m_forget;
    }

    // The names ssh looks the host up by, for each plain name of its pattern, from everything ssh
    // reads (Host *, Match, included files): HostKeyAlias, else HostName, else the alias, in lower
    // case; a HostName also as "[name]:port" when the port is not 22 (ssh takes HostKeyAlias alone).
    static QStringList namesFor(const HostBlock &block, const SSHResolver &resolver, const QString &localUser);

protected:
    void showEvent(QShowEvent *event) override;

private:
    void refresh();
    void updateNames();
    void recount();
    void forget();

    SSHConfigModel *m_config;
    KnownHostsModel *m_knownHosts;
    ConfigSources *m_sources;
    QUuid m_blockId;
    QStringList m_names;
    QSet<QUuid> m_ids;
    QLabel *m_label;
    QPushButton *m_forget;
    QTimer *m_recountTimer;
};
