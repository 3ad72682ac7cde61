#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QPair>
#include <QString>
#include <QStringList>

#include <optional>

class QProcess;
class QTimer;

// What a child process gave back. exitCode is -1 when it never started, was stopped or timed out;
// `failure` then says which, in words for the user.
struct ProcessResult {
    int exitCode = -1;
    QString output; // standard output and standard error together, as UTF-8 (empty when not UTF-8)
    QString failure;
};

struct ProcessOptions {
    // Written to the child's standard input, which is then closed; without it the child reads
    // end of file at once.
    std::optional<QByteArray> input;
    // Variables added to (or replacing those in) this process's environment, for this child only.
    QList<QPair<QString, QString>> environment;
    // The child is killed after this long; 0 waits for ever.
    int timeoutMs = 30000;
};

// Runs one child process without a shell and reports when it ends, without blocking the thread
// that started it. The child gets a session of its own (no controlling terminal to prompt on) and
// either the given input or a closed standard input.
class ProcessRunner final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ProcessRunner)
public:
    using Options = ProcessOptions;

    explicit ProcessRunner(QObject *parent = nullptr);
    ~ProcessRunner() override; // a child still running is killed

    // Starts the child; finished() follows, also when it cannot start. One child at a time.
    void start(const QString &program, const QStringList &arguments, const Options &options = {});
    // Kills the running child; finished() reports it as cancelled.
    void cancel();
    bool isRunning() const;

    // The same, waiting on this thread: for worker threads, tools and tests.
    static ProcessResult run(const QString &program, const QStringList &arguments, const Options &options = {});

signals:
    void finished(const ProcessResult &result);

private:
    void finish(ProcessResult result);

    QProcess *m_process = nullptr;
    QTimer *m_timer = nullptr;
    QString m_program;
    QString m_stopReason;
};
