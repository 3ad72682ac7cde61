#pragma once

#include "core/ProcessRunner.h"
#include "core/StatusModel.h"
#include "keys/KeyGenOptions.h"
#include "keys/SSHKeyPair.h"

#include <QList>
#include <QString>

#include <functional>
#include <memory>

// The key pairs in one key directory, with generation, deletion and copying of public keys.
// Every ssh-keygen run is a child process watched from the main thread, which never waits on one.
class SSHKeysModel final : public StatusModel
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
    // How long one fingerprint run may take before its key is listed as unreadable.
    void setFingerprintTimeout(int ms)
    {
        m_fingerprintTimeoutMs = ms;
    }
    void setGenerationTimeout(int ms)
    {
        m_generationTimeoutMs = ms;
    }

    // Returns at once; keyPairsChanged() follows with the whole sorted list once every fingerprint
    // run has ended. A later load() drops the results of one still running.
    void load();
    // The same, ending with this status instead of the pair count.
    void reload(const QString &statusAfter);
    void deleteKeyPair(const SSHKeyPair &pair);
    // Asks the view to put the public key on the clipboard.
    void copyPublicKey(const SSHKeyPair &pair);
    // Returns at once; generationFinished() fires when the outcome is shown (list or error). A pair
    // already at the name is copied to <name>.bak.<yyyyMMdd_HHmmss> and <name>.pub.bak.<...> first.
    void generateKey(const KeyGenOptions &options);

    static ProcessResult runProcessStatic(const QString &executable, const QStringList &args);

signals:
    void keyPairsChanged();
    void isGeneratingChanged();
    void generationFinished();
    void publicKeyCopyRequested(const QString &text);

private:
    struct Scan;

    void startScan(const QString &statusAfter, std::function<void()> whenDone = {});
    void startFingerprints();
    void finishScan();
    // kept: the name the old pair's backup was given, empty when there was none.
    void finishGeneration(const ProcessResult &result, const QString &filename, const QString &kept);
    void endGeneration();

    QString m_sshDir;
    QString m_keygenPath;
    QList<SSHKeyPair> m_keyPairs;
    std::unique_ptr<Scan> m_scan;
    quint64 m_scanSerial = 0;
    int m_runningGenerations = 0;
    int m_fingerprintTimeoutMs = 5000;
    int m_generationTimeoutMs = 5 * 60 * 1000;
};
