#pragma once

#include "keys/KeyGenOptions.h"
#include "keys/SSHKeyPair.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QThreadPool>

#include <optional>

// The key pairs in one key directory, with generation, deletion and copying of public keys.
// Lives on the main thread; only generation and the fingerprint runs use other threads.
class SSHKeysModel final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SSHKeysModel)
public:
    explicit SSHKeysModel(QObject *parent = nullptr);
    SSHKeysModel(const QString &sshDir, const QString &keygenPath, QObject *parent = nullptr);
    ~SSHKeysModel() override;

    const QList<SSHKeyPair> &keyPairs() const
    {
        return m_keyPairs;
    }
    QString statusMessage() const
    {
        return m_statusMessage;
    }
    std::optional<QString> errorMessage() const
    {
        return m_errorMessage;
    }
    void setErrorMessage(std::optional<QString> message);
    bool isGenerating() const
    {
        return m_runningGenerations > 0;
    }
    QString sshDir() const
    {
        return m_sshDir;
    }
    QString keygenPath() const
    {
        return m_keygenPath;
    }

    void load();
    void deleteKeyPair(const SSHKeyPair &pair);
    void copyPublicKey(const SSHKeyPair &pair);
    // Returns at once; the result is applied on the main thread, then generationFinished() fires.
    void generateKey(const KeyGenOptions &options);

    static ProcessResult runProcessStatic(const QString &executable, const QStringList &args);

signals:
    void keyPairsChanged();
    void statusMessageChanged();
    void errorMessageChanged();
    void isGeneratingChanged();
    void generationFinished();

private:
    QString fingerprint(const QString &privatePath) const;
    void setStatusMessage(const QString &message);
    void finishGeneration(const ProcessResult &result, const QString &filename);

    QString m_sshDir;
    QString m_keygenPath;
    QList<SSHKeyPair> m_keyPairs;
    QString m_statusMessage;
    std::optional<QString> m_errorMessage;
    int m_runningGenerations = 0;
    // Fingerprint runs of one scan, at most one per core.
    QThreadPool m_fingerprintPool;
};
