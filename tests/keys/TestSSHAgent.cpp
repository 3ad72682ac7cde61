#include "keys/KeyListModel.h"
#include "keys/SSHAgent.h"
#include "keys/SSHKeysView.h"
#include "support/TestSupport.h"
#include "ui/Dialogs.h"

#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>

using namespace Qt::StringLiterals;

namespace {
    const QString keygen = u"/usr/bin/ssh-keygen"_s;

    // A private agent on a socket in a temporary directory, stopped by its process id.
    struct Agent {
        QTemporaryDir dir;
        QString socket = dir.filePath(u"agent.sock"_s);
        QProcess process;
        Agent()
        {
            process.start(u"/usr/bin/ssh-agent"_s, {u"-D"_s, u"-a"_s, socket});
        }
        ~Agent()
        {
            if (const qint64 pid = process.processId(); pid > 0)
                ::kill(pid_t(pid), SIGTERM);
            process.waitForFinished();
        }
    };

    void makeKey(const QString &path, const QString &passphrase)
    {
        const ProcessResult r =
            ProcessRunner::run(keygen,
                               {u"-q"_s, u"-t"_s, u"ed25519"_s, u"-N"_s, passphrase, u"-C"_s, u"c"_s, u"-f"_s, path});
        QCOMPARE(r.exitCode, 0);
    }
} // namespace

class TestSSHAgent final : public QObject
{
    Q_OBJECT
private slots:
    void cleanup()
    {
        Dialogs::reset();
    }
    void paneLoadsAndUnloadsKeys();
    void withoutAnAgent();
};

void TestSSHAgent::paneLoadsAndUnloadsKeys()
{
    Agent running;
    QTRY_VERIFY(QFileInfo::exists(running.socket));
    QTemporaryDir dir;
    Locations locations = Locations::forHome(dir.path(), dir.filePath(u"bin"_s));
    locations.agentSocket = running.socket;
    QDir().mkpath(locations.sshDir);
    makeKey(locations.sshDir + u"/locked"_s, u"pw d\u00e9"_s);
    makeKey(locations.sshDir + u"/open"_s, {});
    SSHKeysView view(locations);
    view.show();
    SSHAgent *agent = view.agent();
    auto *list = view.findChild<QListView *>(u"keyList"_s);
    auto *agentLabel = view.findChild<QLabel *>(u"agentValue"_s);
    auto *add = view.findChild<QPushButton *>(u"addToAgentButton"_s);
    auto *remove = view.findChild<QPushButton *>(u"removeFromAgentButton"_s);
    const auto inAgent = [list](int row) {
        return list->model()->index(row, 0).data(KeyListModel::AgentRole).toBool();
    };
    QTRY_COMPARE(list->model()->rowCount(), 2);
    list->setCurrentIndex(list->model()->index(1, 0));
    QTRY_VERIFY(add->isEnabled());
    QCOMPARE(agentLabel->text(), u"Not loaded"_s);
    add->click();
    QTRY_VERIFY(inAgent(1) && remove->isEnabled());
    QCOMPARE(agentLabel->text(), u"Loaded"_s);
    QCOMPARE(agent->statusMessage(), u"Added to the agent: open"_s);

    // The locked key needs its passphrase: a sheet asks, and Add waits for one. A wrong one is
    // said plainly, and ssh-add is not left asking for ever.
    list->setCurrentIndex(list->model()->index(0, 0));
    const auto askedFor = [&](const QString &passphrase) {
        add->click();
        QDialog *sheet = nullptr;
        if (!QTest::qWaitFor([&] {
                return (sheet = view.findChild<QDialog *>(u"agentPassphraseSheet"_s)) && sheet->isVisible();
            }))
            return false;
        auto *confirm = sheet->findChild<QPushButton *>(u"confirmButton"_s);
        const bool waited = !confirm->isEnabled();
        sheet->findChild<QLineEdit *>(u"passphraseEdit"_s)->setText(passphrase);
        confirm->click();
        return waited;
    };
    QVERIFY(askedFor(u"wrong"_s));
    QTRY_VERIFY(agent->errorMessage());
    QCOMPARE(*agent->errorMessage(), u"The passphrase for locked is wrong; the key was not added to the agent."_s);
    agent->setErrorMessage(std::nullopt);
    QTRY_VERIFY(add->isEnabled());
    QVERIFY(askedFor(u"pw d\u00e9"_s));
    QTRY_VERIFY(inAgent(0));

    list->setCurrentIndex(list->model()->index(1, 0));
    remove->click();
    QTRY_VERIFY(!inAgent(1) && add->isEnabled());
    QVERIFY(inAgent(0));
    QCOMPARE(agent->statusMessage(), u"Removed from the agent: open"_s);
}

void TestSSHAgent::withoutAnAgent()
{
    QTemporaryDir dir;
    // Nothing named (SSH_AUTH_SOCK unset): nothing is run. A socket nobody listens on: ssh-add says 2.
    for (const QString &socket : {QString(), dir.filePath(u"gone.sock"_s)}) {
        SSHAgent agent(socket, u"/usr/bin/ssh-add"_s, keygen);
        QSignalSpy changed(&agent, &SSHAgent::changed);
        agent.refresh();
        QVERIFY(!changed.isEmpty() || changed.wait());
        QCOMPARE(agent.state(), SSHAgent::State::absent);
    }
}

QTEST_MAIN(TestSSHAgent)
#include "TestSSHAgent.moc"
