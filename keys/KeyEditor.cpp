#include "keys/KeyEditor.h"

#include "keys/Askpass.h"

using namespace Qt::StringLiterals;

KeyEditor::KeyEditor(const QString &keygenPath, QObject *parent)
    : StatusModel(parent)
    , m_keygenPath(keygenPath)
{}

void KeyEditor::start(const QStringList &arguments,
                      const QString &passphrase,
                      const QString &oldPassphrase,
                      std::function<void(const ProcessResult &)> done)
{
    m_busy = true;
    const std::optional<Askpass> askpass = Askpass::prepare(passphrase, oldPassphrase);
    if (!askpass) {
        // Reported on the next turn, like every other outcome.
        QMetaObject::invokeMethod(
            this,
            [done] {
                done({-1, {}, tr("Cannot prepare the passphrase helper.")});
            },
            Qt::QueuedConnection);
        return;
    }
    auto *runner = new ProcessRunner(this);
    // The helper lives until the tool has finished: the lambda holds it.
    connect(runner, &ProcessRunner::finished, this, [runner, askpass, done](const ProcessResult &result) {
        runner->deleteLater();
        done(result);
    });
    ProcessOptions options;
    options.timeoutMs = m_timeoutMs;
    options.environment = askpass->environment();
    runner->start(m_keygenPath, arguments, options);
}

void KeyEditor::changePassphrase(const SSHKeyPair &pair, const QString &oldPassphrase, const QString &newPassphrase)
{
    const QString status = tr("Passphrase changed: %1").arg(pair.name);
    start({u"-p"_s, u"-f"_s, pair.privateURL},
          newPassphrase,
          oldPassphrase,
          [this, pair, newPassphrase, status](const ProcessResult &result) {
              if (result.exitCode != 0 || newPassphrase.isEmpty()) {
                  finish(result, pair, status);
                  return;
              }
              // A tool that never got the new passphrase saves the key open and still succeeds.
              auto *check = new ProcessRunner(this);
              connect(check, &ProcessRunner::finished, this, [this, check, pair, status](const ProcessResult &r) {
                  check->deleteLater();
                  if (r.exitCode == 0) {
                      finish({1,
                              {},
                              tr("%1 was saved without a passphrase: the new passphrase could not be handed "
                                 "to ssh-keygen.")
                                  .arg(pair.name)},
                             pair,
                             status);
                  } else {
                      finish({0, {}, {}}, pair, status);
                  }
              });
              ProcessOptions checkRun;
              checkRun.timeoutMs = m_timeoutMs;
              check->start(m_keygenPath, {u"-y"_s, u"-P"_s, QString(), u"-f"_s, pair.privateURL}, checkRun);
          });
}

void KeyEditor::changeComment(const SSHKeyPair &pair, const QString &comment, const QString &passphrase)
{
    const QString status = tr("Comment changed: %1").arg(pair.name);
    start({u"-c"_s, u"-C"_s, comment, u"-f"_s, pair.privateURL},
          passphrase,
          {},
          [this, pair, status](const ProcessResult &result) {
              finish(result, pair, status);
          });
}

void KeyEditor::finish(const ProcessResult &result, const SSHKeyPair &pair, const QString &status)
{
    m_busy = false;
    if (result.exitCode == 0)
        setStatusMessage(status);
    else if (result.exitCode > 0 && result.output.contains(u"incorrect passphrase"_s))
        setErrorMessage(tr("The passphrase for %1 is wrong; the key was not changed.").arg(pair.name));
    else if (!result.failure.isEmpty())
        setErrorMessage(result.failure);
    else if (!result.output.trimmed().isEmpty())
        setErrorMessage(result.output.trimmed());
    else
        setErrorMessage(tr("ssh-keygen failed (exit %1)").arg(result.exitCode));
    emit finished(result.exitCode == 0, pair.privateURL);
}
