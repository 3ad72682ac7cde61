#include "keys/SSHAgent.h"

#include "keys/Askpass.h"

using namespace Qt::StringLiterals;

namespace {
    constexpr int listTimeoutMs = 10000;
    // The helper answers at once; only a stuck agent or file takes longer.
    constexpr int keyTimeoutMs = 30000;

    bool wrongPassphrase(const ProcessResult &result)
    {
        return result.exitCode > 0 && result.output.contains(u"incorrect passphrase"_s);
    }

    // "SHA256:..." out of a line of ssh-keygen -l or ssh-add -l; empty when there is none.
    QString fingerprintHash(const QString &line)
    {
        for (const QString &field : line.split(u' ', Qt::SkipEmptyParts)) {
            if (field.startsWith(u"SHA256:"_s))
                return field;
        }
        return {};
    }
} // namespace

SSHAgent::SSHAgent(const QString &socket, const QString &sshAddPath, const QString &keygenPath, QObject *parent)
    : StatusModel(parent)
    , m_socket(socket)
    , m_sshAddPath(sshAddPath)
    , m_keygenPath(keygenPath)
{}

bool SSHAgent::holds(const SSHKeyPair &pair) const
{
    const QString hash = fingerprintHash(pair.fingerprint);
    return !hash.isEmpty() && m_fingerprints.contains(hash);
}

ProcessRunner *SSHAgent::run(const QString &program,
                             const QStringList &arguments,
                             const ProcessOptions &options,
                             std::function<void(const ProcessResult &)> done)
{
    if (++m_busy == 1)
        emit busyChanged();
    auto *runner = new ProcessRunner(this);
    connect(runner, &ProcessRunner::finished, this, [this, runner, done](const ProcessResult &result) {
        runner->deleteLater();
        if (--m_busy == 0)
            emit busyChanged();
        done(result);
    });
    ProcessOptions withAgent = options;
    withAgent.environment << qMakePair(u"SSH_AUTH_SOCK"_s, m_socket);
    runner->start(program, arguments, withAgent);
    return runner;
}

void SSHAgent::refresh()
{
    if (m_socket.isEmpty()) {
        m_state = State::absent;
        m_fingerprints.clear();
        emit changed();
        return;
    }
    // The newest answer wins.
    if (m_listing) {
        m_listing->disconnect(this);
        m_listing->cancel();
        m_listing->deleteLater();
        if (--m_busy == 0)
            emit busyChanged();
    }
    ProcessOptions options;
    options.timeoutMs = listTimeoutMs;
    m_listing = run(m_sshAddPath, {u"-l"_s, u"-E"_s, u"sha256"_s}, options, [this](const ProcessResult &result) {
        m_listing = nullptr;
        m_fingerprints.clear();
        // 1: an agent without keys; 2: no agent to talk to.
        m_state = result.exitCode == 0 || result.exitCode == 1 ? State::running : State::absent;
        if (result.exitCode == 0) {
            for (const QString &line : result.output.split(u'\n', Qt::SkipEmptyParts)) {
                if (const QString hash = fingerprintHash(line); !hash.isEmpty())
                    m_fingerprints.insert(hash);
            }
        }
        emit changed();
    });
}

void SSHAgent::add(const SSHKeyPair &pair, const QString &passphrase)
{
    const std::optional<Askpass> askpass = Askpass::prepare(passphrase);
    if (!askpass) {
        setErrorMessage(tr("Cannot prepare the passphrase helper."));
        return;
    }
    ProcessOptions options;
    options.timeoutMs = keyTimeoutMs;
    options.environment = askpass->environment();
    // ssh-add says nothing when a passphrase is wrong and asks again; the key tool says which it is.
    run(m_keygenPath,
        {u"-y"_s, u"-f"_s, pair.privateURL},
        options,
        [this, pair, passphrase, options, askpass](const ProcessResult &result) {
            if (result.exitCode == 0) {
                addKey(pair, *askpass);
            } else if (wrongPassphrase(result) && passphrase.isEmpty()) {
                emit passphraseNeeded(pair.privateURL);
            } else if (wrongPassphrase(result)) {
                setErrorMessage(
                    tr("The passphrase for %1 is wrong; the key was not added to the agent.").arg(pair.name));
            } else {
                fail(result, u"ssh-keygen"_s);
            }
        });
}

void SSHAgent::addKey(const SSHKeyPair &pair, const Askpass &askpass)
{
    ProcessOptions options;
    options.timeoutMs = keyTimeoutMs;
    options.environment = askpass.environment();
    // The helper lives until ssh-add has finished: the lambda holds it.
    run(m_sshAddPath, {pair.privateURL}, options, [this, pair, askpass](const ProcessResult &result) {
        if (result.exitCode == 0)
            setStatusMessage(tr("Added to the agent: %1").arg(pair.name));
        else
            fail(result, u"ssh-add"_s);
        refresh();
    });
}

void SSHAgent::remove(const SSHKeyPair &pair)
{
    ProcessOptions options;
    options.timeoutMs = keyTimeoutMs;
    // -d finds the key through its public half, which is beside the private one.
    run(m_sshAddPath, {u"-d"_s, pair.privateURL}, options, [this, pair](const ProcessResult &result) {
        if (result.exitCode == 0)
            setStatusMessage(tr("Removed from the agent: %1").arg(pair.name));
        else
            fail(result, u"ssh-add"_s);
        refresh();
    });
}

void SSHAgent::fail(const ProcessResult &result, const QString &tool)
{
    if (!result.failure.isEmpty())
        setErrorMessage(result.failure);
    else if (!result.output.trimmed().isEmpty())
        setErrorMessage(result.output.trimmed());
    else
        setErrorMessage(tr("%1 failed (exit %2)").arg(tool).arg(result.exitCode));
}
