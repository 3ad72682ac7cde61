#include "core/ProcessRunner.h"

#include <QElapsedTimer>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <QtTest>

#include <csignal>

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
    void neverWaitsOnTheCallingThread();
    void timeLimitAndCancel();
};

void TestProcessRunner::reportsWhatTheChildDid()
{
    { // Exit code, and both output streams in one text.
        const ProcessResult result = runShell(u"echo out; echo err >&2; exit 3"_s);
        QCOMPARE(result.exitCode, 3);
        QCOMPARE(result.output, u"out\nerr\n"_s);
        QVERIFY(result.failure.isEmpty());
    }
    { // Without input the child reads end of file at once; with it, exactly that input.
        QCOMPARE(ProcessRunner::run(u"/bin/cat"_s, {}).output, QString());
        ProcessOptions options;
        options.input = "secret\n";
        QCOMPARE(ProcessRunner::run(u"/bin/cat"_s, {}, options).output, u"secret\n"_s);
    }
    { // Environment for this child only.
        ProcessOptions options;
        options.environment = {{u"KORVEL_TEST_VALUE"_s, u"42"_s}};
        QCOMPARE(runShell(u"printf %s \"$KORVEL_TEST_VALUE\""_s, options).output, u"42"_s);
        QVERIFY(qEnvironmentVariableIsEmpty("KORVEL_TEST_VALUE"));
    }
    { // A session of its own: the shell leads it, so it has no terminal of ours to prompt on.
        const ProcessResult result = runShell(u"set -- $(cat /proc/$$/stat); [ \"$6\" = \"$$\" ]"_s);
        QCOMPARE(result.exitCode, 0);
    }
    { // Output that is not UTF-8 is dropped rather than shown as garbage.
        QCOMPARE(runShell(u"printf '\\377\\376'"_s).output, QString());
    }
    { // A program that cannot start.
        const ProcessResult result = ProcessRunner::run(u"/nonexistent/ssh-keygen"_s, {});
        QCOMPARE(result.exitCode, -1);
        QVERIFY2(result.failure.startsWith(u"Cannot run ssh-keygen: "_s), qPrintable(result.failure));
    }
}

void TestProcessRunner::neverWaitsOnTheCallingThread()
{
    // The event loop keeps running while the child does.
    ProcessRunner runner;
    QSignalSpy finished(&runner, &ProcessRunner::finished);
    int ticks = 0;
    QTimer ticker;
    connect(&ticker, &QTimer::timeout, this, [&ticks] {
        ++ticks;
    });
    ticker.start(10);
    runner.start(u"/bin/sh"_s, {u"-c"_s, u"sleep 0.3; echo done"_s});
    QVERIFY(runner.isRunning());
    QVERIFY(finished.wait(10000));
    QVERIFY(ticks >= 5);
    QCOMPARE(finished.constFirst().constFirst().value<ProcessResult>().output, u"done\n"_s);
    QVERIFY(!runner.isRunning());

    // The blocking form works on a worker thread too.
    ProcessResult fromThread;
    std::unique_ptr<QThread> thread(QThread::create([&fromThread] {
        fromThread = runShell(u"echo worker"_s);
    }));
    thread->start();
    QVERIFY(thread->wait(10000));
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
    { // Cancel.
        ProcessRunner runner;
        QSignalSpy finished(&runner, &ProcessRunner::finished);
        runner.start(u"/bin/sleep"_s, {u"30"_s});
        QTimer::singleShot(50, &runner, &ProcessRunner::cancel);
        QVERIFY(finished.wait(10000));
        const auto result = finished.constFirst().constFirst().value<ProcessResult>();
        QCOMPARE(result.exitCode, -1);
        QCOMPARE(result.failure, u"Cancelled"_s);
    }
    { // A runner that goes away takes its child with it.
        qint64 pid = 0;
        {
            ProcessRunner runner;
            runner.start(u"/bin/sh"_s, {u"-c"_s, u"echo $$; exec sleep 30"_s});
            QTRY_VERIFY(runner.findChild<QProcess *>() && runner.findChild<QProcess *>()->processId() > 0);
            pid = runner.findChild<QProcess *>()->processId();
        }
        QVERIFY(pid > 0);
        QTRY_VERIFY(::kill(pid_t(pid), 0) != 0);
    }
    QVERIFY(clock.elapsed() < 10000);
}

QTEST_GUILESS_MAIN(TestProcessRunner)
#include "TestProcessRunner.moc"
