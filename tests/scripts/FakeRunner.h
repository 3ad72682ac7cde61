#pragma once

#include "scripts/PrivilegedRunner.h"
#include "support/TestSupport.h"

#include <QSignalSpy>
#include <QStringList>
#include <QTest>
#include <QTimer>

// Answers each command later from the event loop, as the real chain does: with `result`, or, while
// `hold` is set, only when the test calls answer(). Keeps what the temporary copy held.
struct FakeRunner final : PrivilegedRunner {
    std::optional<QString> result;
    bool hold = false;
    QStringList commands;
    QByteArray tempContent;
    std::function<void(std::optional<QString>)> held;

    void runElevated(const QString &command, std::function<void(std::optional<QString>)> done) override
    {
        commands << command;
        if (command.startsWith(QStringLiteral("cp ")))
            tempContent = TestSupport::readFile(command.section(u'\'', 1, 1));
        held = std::move(done);
        if (!hold)
            answer(result);
    }
    void answer(const std::optional<QString> &failure)
    {
        QTimer::singleShot(0, [done = std::exchange(held, {}), failure] {
            done(failure);
        });
    }
};

// Waits for the next operationFinished the spy holds and takes it: "done", "failed" or "none".
inline QString ended(QSignalSpy &finished)
{
    if (finished.isEmpty() && !finished.wait())
        return QStringLiteral("none");
    return finished.takeFirst().at(2).toBool() ? QStringLiteral("done") : QStringLiteral("failed");
}
