#include "EngineTest.h"
#include "engine/SSHCheck.h"
#include "engine/SSHConfigModel.h"

#include <QtTest>

// The installed ssh's word on options and files; `ssh -G` connects to nothing.
class TestSSHCheck : public QObject
{
    Q_OBJECT
private slots:
    void asksTheInstalledSsh_data();
    void asksTheInstalledSsh();
    void neverRunsTheUsersCommands();
    void savedFileIsChecked();
    void ignoredUnknownAsSshReadsIt_data();
    void ignoredUnknownAsSshReadsIt();

private:
    std::optional<SSHRejection> ask(const std::function<void(SSHCheck &)> &start);
};

std::optional<SSHRejection> TestSSHCheck::ask(const std::function<void(SSHCheck &)> &start)
{
    SSHCheck check(u"/usr/bin/ssh"_s);
    QSignalSpy finished(&check, &SSHCheck::finished);
    start(check);
    if (!finished.wait(15000))
        return SSHRejection{u"no answer"_s, {}, -1};
    return finished.constFirst().constFirst().value<std::optional<SSHRejection>>();
}

void TestSSHCheck::asksTheInstalledSsh_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("message");
    QTest::newRow("known") << u"Compression"_s << u"yes"_s << QString();
    QTest::newRow("unknown keyword") << u"UseKeychain"_s << u"yes"_s << u"Bad configuration option: usekeychain"_s;
    QTest::newRow("bad value") << u"Port"_s << u"abc"_s << u"Bad port 'abc'"_s;
}

void TestSSHCheck::asksTheInstalledSsh()
{
    QFETCH(QString, name);
    QFETCH(QString, value);
    QFETCH(QString, message);
    const auto rejection = ask([&](SSHCheck &check) {
        check.probeOption(name, value);
    });
    QCOMPARE(rejection.value_or(SSHRejection{}).message, message);
    if (message.isEmpty())
        return;
    QCOMPARE(rejection->file, QString());

    // The same line in a file: ssh names the file and the line.
    QTemporaryDir dir;
    const QString path = configIn(dir, "Host a\n  User x\nHost b\n  " + name.toUtf8() + ' ' + value.toUtf8() + '\n');
    const auto inFile = ask([&](SSHCheck &check) {
        check.checkConfig(path, u"a"_s);
    });
    QVERIFY(inFile && inFile->message == message && inFile->file == path && inFile->line == 4);
}

void TestSSHCheck::neverRunsTheUsersCommands()
{
    // A Match exec anywhere ssh would read, through Include lines as ssh follows them.
    QTemporaryDir home;
    writeFile(home.filePath(u".ssh/config.d/10-base.conf"_s), "Host *\n  User u\n");
    writeFile(home.filePath(u".ssh/config.d/20-vpn.conf"_s), "Match host x !exec \"test -f /run/vpn\"\n  User v\n");
    writeFile(home.filePath(u"elsewhere/a.conf"_s), "Include ~/.ssh/config.d/*.conf\n");
    const auto runs = [&](const QByteArray &config) {
        writeFile(home.filePath(u".ssh/config"_s), config);
        return SSHCheck::runsCommands(home.filePath(u".ssh/config"_s), home.path());
    };
    QVERIFY(!runs("Host a\n  User x\n  # Match exec true\n"));
    QVERIFY(runs("Host a\nmatch EXEC \"true\"\n"));
    QVERIFY(runs("Host a\n  Include config.d/*.conf\n"));
    QVERIFY(runs("Include " + QFile::encodeName(home.filePath(u"elsewhere/a.conf"_s)) + "\n"));
    QVERIFY(!runs("Include config.d/10-*.conf missing.conf\n"));
    QVERIFY(!runs("Include config\n")); // includes itself: read once

    QCOMPARE(SSHCheck::firstLiteralAlias({u"*"_s, u"*.lab !x web-? db1 db2"_s}), u"db1"_s);
    QCOMPARE(SSHCheck::firstLiteralAlias({u"*"_s}), u"localhost"_s);
}

void TestSSHCheck::savedFileIsChecked()
{
    QTemporaryDir dir;
    const QString path = configIn(dir, "Host a\n  User x\n\nHost web\n  HostName w\n");
    SSHConfigModel model(path);
    model.setSshPath(u"/usr/bin/ssh"_s);
    QSignalSpy checked(&model, &SSHConfigModel::sshRejectionChanged);
    const QUuid web = model.blocks().at(1).id;

    // A keyword this ssh does not know: the alert names ssh's message, the line and the backup.
    model.setOption(web, u"UseKeychain"_s, u"yes"_s);
    model.save();
    QVERIFY(checked.wait(15000));
    QCOMPARE(model.sshRejection().value_or(SSHRejection{}).line, 6);
    const QString error = model.errorMessage().value_or(QString());
    QVERIFY2(error.contains(u"Bad configuration option: usekeychain (line 6)"_s) && error.contains(u"config.bak."_s),
             qPrintable(error));
    const auto line = model.rejectedLine();
    QVERIFY(line && line->block == web && line->option == u"UseKeychain"_s);

    // Mended and saved: the mark goes.
    model.setErrorMessage(std::nullopt);
    model.setOption(web, u"UseKeychain"_s, QString());
    model.save();
    QVERIFY(!model.sshRejection() && !model.errorMessage());

    // A file whose Match exec would run a command is not checked at all: no ssh is started (as a
    // child of ours) by the save, so nothing can answer later.
    writeFile(path, "Match exec \"touch '" + QFile::encodeName(dir.filePath(u"ran"_s)) + "'\"\n");
    model.load();
    model.addBlock(u"z"_s);
    model.save();
    QFile children(u"/proc/self/task/%1/children"_s.arg(QCoreApplication::applicationPid()));
    QVERIFY(children.open(QIODevice::ReadOnly));
    QCOMPARE(children.readAll(), QByteArray());
}

void TestSSHCheck::ignoredUnknownAsSshReadsIt_data()
{
    QTest::addColumn<QByteArray>("config");
    QTest::newRow("none") << "Host a\n  UseKeychain yes\n"_ba;
    QTest::newRow("before any host") << "IgnoreUnknown UseKeychain\nHost a\n  UseKeychain yes\n"_ba;
    QTest::newRow("earlier catch-all")
        << "Host *\n  IgnoreUnknown AddKeys*,usekeychain\nHost a\n  UseKeychain yes\n"_ba;
    QTest::newRow("same block, before") << "Host a\n  IgnoreUnknown Use*\n  UseKeychain yes\n"_ba;
    QTest::newRow("same block, after") << "Host a\n  UseKeychain yes\n  IgnoreUnknown UseKeychain\n"_ba;
    QTest::newRow("first one decides")
        << "IgnoreUnknown Foo\nHost a\n  IgnoreUnknown UseKeychain\n  UseKeychain yes\n"_ba;
    QTest::newRow("excluded") << "IgnoreUnknown *,!UseKeychain\nHost a\n  UseKeychain yes\n"_ba;
}

void TestSSHCheck::ignoredUnknownAsSshReadsIt()
{
    // The model's answer is what ssh does with the file.
    QFETCH(QByteArray, config);
    QTemporaryDir dir;
    const QString path = configIn(dir, config);
    SSHConfigModel model(path);
    const auto block = std::find_if(model.blocks().cbegin(), model.blocks().cend(), [](const HostBlock &b) {
        return b.pattern == u"a"_s;
    });
    const auto rejection = ask([&](SSHCheck &check) {
        check.checkConfig(path, u"a"_s);
    });
    QCOMPARE(model.ignoresUnknown(block->id, u"UseKeychain"_s), !rejection.has_value());
}

QTEST_GUILESS_MAIN(TestSSHCheck)
#include "TestSSHCheck.moc"
