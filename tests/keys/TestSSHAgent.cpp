#include "keys/KeyDetailView.h"
#include "keys/KeyListModel.h"
#include "keys/SSHAgent.h"
#include "keys/SSHKeysModel.h"
#include "keys/SSHKeysView.h"
#include "support/TestSupport.h"
#include "ui/Dialogs.h"

#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
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
    void loadsAndUnloadsKeys();
    void withoutAnAgent();
    void paneShowsAndAsks();
};

void TestSSHAgent::loadsAndUnloadsKeys()
{
    Agent running;
    QTRY_VERIFY(QFileInfo::exists(running.socket));
    QTemporaryDir dir;
    makeKey(dir.filePath(u"open"_s), {});
    makeKey(dir.filePath(u"locked"_s), u"pw d\u00e9"_s);
    SSHKeysModel keys(dir.path(), keygen);
    QSignalSpy loaded(&keys, &SSHKeysModel::keyPairsChanged);
    keys.load();
    QVERIFY(loaded.wait());
    const SSHKeyPair locked = keys.keyPairs().at(0), open = keys.keyPairs().at(1);

    SSHAgent agent(running.socket, u"/usr/bin/ssh-add"_s, keygen);
    QSignalSpy changed(&agent, &SSHAgent::changed);
    QSignalSpy needed(&agent, &SSHAgent::passphraseNeeded);
    const auto settle = [&] {
        return changed.wait() && !agent.isBusy();
    };
    agent.refresh();
    QVERIFY(settle());
    QCOMPARE(agent.state(), SSHAgent::State::running);
    QVERIFY(!agent.holds(open));

    agent.add(open);
    QVERIFY(settle());
    QVERIFY(agent.holds(open) && !agent.holds(locked));
    QCOMPARE(agent.statusMessage(), u"Added to the agent: open"_s);

    // Without a passphrase the pane is asked for one; a wrong one is said plainly, and ssh-add is
    // not left asking for ever.
    agent.add(locked);
    QVERIFY(needed.wait());
    QCOMPARE(needed.value(0).value(0).toString(), locked.privateURL);
    agent.add(locked, u"wrong"_s);
    QTRY_VERIFY(agent.errorMessage().has_value());
    QCOMPARE(*agent.errorMessage(), u"The passphrase for locked is wrong; the key was not added to the agent."_s);
    agent.setErrorMessage(std::nullopt);
    agent.add(locked, u"pw d\u00e9"_s);
    QVERIFY(settle());
    QVERIFY2(agent.holds(locked), qPrintable(agent.errorMessage().value_or(QString())));

    agent.remove(open);
    QVERIFY(settle());
    QVERIFY(!agent.holds(open) && agent.holds(locked));
    QCOMPARE(agent.statusMessage(), u"Removed from the agent: open"_s);
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

void TestSSHAgent::paneShowsAndAsks()
{
    Agent running;
    QTRY_VERIFY(QFileInfo::exists(running.socket));
    QTemporaryDir dir;
    Locations locations = Locations::forHome(dir.path(), dir.filePath(u"bin"_s));
    QDir().mkpath(locations.sshDir);
    makeKey(locations.sshDir + u"/locked"_s, u"pw"_s);
    SSHKeysView view(locations);
    view.show();
    auto *list = view.findChild<QListView *>(u"keyList"_s);
    auto *agentLabel = view.findChild<QLabel *>(u"agentValue"_s);
    auto *add = view.findChild<QPushButton *>(u"addToAgentButton"_s);
    auto *remove = view.findChild<QPushButton *>(u"removeFromAgentButton"_s);
    QTRY_COMPARE(list->model()->rowCount(), 1);
    list->setCurrentIndex(list->model()->index(0, 0));
    // Without an agent: a plain word and no buttons.
    QTRY_COMPARE(agentLabel->text(), u"No SSH agent is running"_s);
    QVERIFY(!add->isEnabled() && !remove->isEnabled());

    locations.agentSocket = running.socket;
    SSHKeysView withAgent(locations);
    withAgent.show();
    list = withAgent.findChild<QListView *>(u"keyList"_s);
    agentLabel = withAgent.findChild<QLabel *>(u"agentValue"_s);
    add = withAgent.findChild<QPushButton *>(u"addToAgentButton"_s);
    QTRY_COMPARE(list->model()->rowCount(), 1);
    list->setCurrentIndex(list->model()->index(0, 0));
    QTRY_VERIFY(add->isEnabled());
    QCOMPARE(agentLabel->text(), u"Not loaded"_s);
    add->click();
    // The key needs its passphrase: a sheet asks, and Add waits for one.
    QDialog *sheet = nullptr;
    QTRY_VERIFY((sheet = withAgent.findChild<QDialog *>(u"agentPassphraseSheet"_s)) && sheet->isVisible());
    auto *confirm = sheet->findChild<QPushButton *>(u"confirmButton"_s);
    QVERIFY(!confirm->isEnabled());
    sheet->findChild<QLineEdit *>(u"passphraseEdit"_s)->setText(u"pw"_s);
    confirm->click();
    QTRY_COMPARE(agentLabel->text(), u"Loaded"_s);
    QVERIFY(list->model()->index(0, 0).data(KeyListModel::AgentRole).toBool());
    QTRY_VERIFY(withAgent.findChild<QPushButton *>(u"removeFromAgentButton"_s)->isEnabled());
}

QTEST_MAIN(TestSSHAgent)
#include "TestSSHAgent.moc"
