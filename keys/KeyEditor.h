#pragma once

#include "core/ProcessRunner.h"
#include "core/StatusModel.h"
#include "keys/SSHKeyPair.h"

#include <QString>

// Changes the passphrase (ssh-keygen -p) or the comment (ssh-keygen -c) of a key pair in place.
// Passphrases reach the key tool only through the askpass helper. A failed change leaves the
// files as they were: the key tool writes nothing when it cannot open the key.
class KeyEditor final : public StatusModel
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(KeyEditor)
public:
    explicit KeyEditor(const QString &keygenPath, QObject *parent = nullptr);

    bool isBusy() const
    {
        return m_busy;
    }

    // Both return at once; finished() follows. An empty old passphrase stands for a key without
    // one; an empty new one removes it.
    void changePassphrase(const SSHKeyPair &pair, const QString &oldPassphrase, const QString &newPassphrase);
    void changeComment(const SSHKeyPair &pair, const QString &comment, const QString &passphrase);

signals:
    // After the status or the error is set.
    void finished(bool changed, const QString &privatePath);

private:
    void start(const QStringList &arguments,
               const QString &passphrase,
               const QString &oldPassphrase,
               std::function<void(const ProcessResult &)> done);
    void finish(const ProcessResult &result, const SSHKeyPair &pair, const QString &status);

    QString m_keygenPath;
    int m_timeoutMs = 60000;
    bool m_busy = false;
};
