#pragma once

#include "core/ProcessRunner.h"
#include "core/StatusModel.h"
#include "keys/SSHKeyPair.h"

#include <QPointer>
#include <QSet>
#include <QString>

#include <functional>

class Askpass;

// The keys the running ssh-agent holds, and loading keys into it and out of it through ssh-add.
// The agent is the one at `socket` (what SSH_AUTH_SOCK names); without one nothing is run.
class SSHAgent final : public StatusModel
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SSHAgent)
public:
    enum class State {
        unknown, // not asked yet, or the question is out
        running,
        absent,
    };

    SSHAgent(const QString &socket, const QString &sshAddPath, const QString &keygenPath, QObject *parent = nullptr);

    State state() const
    {
        return m_state;
    }
    // Whether the agent holds the pair's key, by its SHA256 fingerprint.
    bool holds(const SSHKeyPair &pair) const;
    bool isBusy() const
    {
        return m_busy > 0;
    }

    // Returns at once; changed() follows.
    void refresh();
    // Without a passphrase, a key that needs one is not loaded: passphraseNeeded() asks for it.
    void add(const SSHKeyPair &pair, const QString &passphrase = {});
    void remove(const SSHKeyPair &pair);

signals:
    void changed();
    void busyChanged();
    void passphraseNeeded(const QString &privatePath);

private:
    ProcessRunner *run(const QString &program,
                       const QStringList &arguments,
                       const ProcessOptions &options,
                       std::function<void(const ProcessResult &)> done);
    void addKey(const SSHKeyPair &pair, const Askpass &askpass);
    void fail(const ProcessResult &result, const QString &tool);

    QString m_socket;
    QString m_sshAddPath;
    QString m_keygenPath;
    State m_state = State::unknown;
    QSet<QString> m_fingerprints;
    QPointer<ProcessRunner> m_listing;
    int m_busy = 0;
};
