#include "core/ProcessRunner.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <csignal>
#include <thread>

using namespace Qt::StringLiterals;

namespace {
    ProcessResult runShell(const QString &script, const ProcessOptions &options = {})
    {
        return ProcessRunner::run(u"/bin/sh"_s, {u"-c"_s, script}, options);
    }
} // namespace

class TestProcessRunner : public QObject
{
    Q_OBJECT
private slots:
    void reportsWhatTheChildDid();
    void timeLimitAndCancel();
};

void TestProcessRunner::reportsWhatTheChildDid()
{
    // Exit code, and both output streams in one text.
    const ProcessResult result = runShell(u"echo out; echo err >&2; exit 3"_s);
    QVERIFY(result.exitCode == 3 && result.failure.isEmpty());
    QCOMPARE(result.output, u"out\nerr\n"_s);
    // Without input the child reads end of file at once; with it, exactly that input.
    QCOMPARE(ProcessRunner::run(u"/bin/cat"_s, {}).output, QString());
    ProcessOptions options;
    options.input = "secret\n";
    QCOMPARE(ProcessRunner::run(u"/bin/cat"_s, {}, options).output, u"secret\n"_s);
    // Environment for this child only.
    options.environment = {{u"KORVEL_TEST_VALUE"_s, u"42"_s}};
    QCOMPARE(runShell(u"printf %s \"$KORVEL_TEST_VALUE\""_s, options).output, u"42"_s);
    QVERIFY(qEnvironmentVariableIsEmpty("KORVEL_TEST_VALUE"));
    // A session of its own: the shell leads it, so it has no terminal of ours to prompt on.
    QCOMPARE(runShell(u"set -- $(cat /proc/$$/stat); [ \"$6\" = \"$$\" ]"_s).exitCode, 0);
    // Output that is not UTF-8 is dropped rather than shown as garbage.
    QCOMPARE(runShell(u"printf '\\377\\376'"_s).output, QString());
    // A program that cannot start.
    const ProcessResult missing = ProcessRunner::run(u"/nonexistent/ssh-keygen"_s, {});
    QCOMPARE(missing.exitCode, -1);
    QVERIFY2(missing.failure.startsWith(u"Cannot run ssh-keygen: "_s), qPrintable(missing.failure));

    // The blocking form works on a worker thread too.
    ProcessResult fromThread;
    std::thread([&fromThread] {
        fromThread = runShell(u"echo worker"_s);
    }).join();
    QCOMPARE(fromThread.output, u"worker\n"_s);
}

void TestProcessRunner::timeLimitAndCancel()
{
    QElapsedTimer clock;
    clock.start();
    { // Over its time limit the child is killed with what it started, and the result says so.
        QTemporaryDir dir;
        const QString pidFile = dir.filePath(u"grandchild"_s);
        ProcessOptions options;
        options.timeoutMs = 300;
        const ProcessResult result = runShell(u"sleep 30 & echo $! > '%1'; wait"_s.arg(pidFile), options);
        QCOMPARE(result.exitCode, -1);
        QCOMPARE(result.failure, u"sh did not finish within 1 second"_s);
        QFile file(pidFile);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const pid_t grandchild = pid_t(file.readAll().trimmed().toLongLong());
        QVERIFY(grandchild > 0);
        QTRY_VERIFY(::kill(grandchild, 0) != 0);
    }
    { // Cancel; start() returns at once and the event loop runs while the child does.
        ProcessRunner runner;
        QSignalSpy finished(&runner, &ProcessRunner::finished);
        runner.start(u"/bin/sleep"_s, {u"30"_s});
        QVERIFY(runner.isRunning());
        QTimer::singleShot(50, &runner, &ProcessRunner::cancel);
        QVERIFY(finished.wait(10000));
        const auto result = finished.constFirst().constFirst().value<ProcessResult>();
        QVERIFY(result.exitCode == -1 && !runner.isRunning());
        QCOMPARE(result.failure, u"Cancelled"_s);
    }
    { // A runner that goes away takes its child with it.
        auto runner = std::make_unique<ProcessRunner>();
        runner->start(u"/bin/sleep"_s, {u"30"_s});
        const qint64 pid = runner->findChild<QProcess *>()->processId();
        QVERIFY(pid > 0);
        runner.reset();
        QTRY_VERIFY(::kill(pid_t(pid), 0) != 0);
    }
    QVERIFY(clock.elapsed() < 10000);
}

QTEST_GUILESS_MAIN(TestProcessRunner)
#include "TestProcessRunner.moc"
