#include "app/ResolveCommand.h"
#include "support/TestSupport.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;

// `korvel --resolve` as a user runs it: the built binary, with no display to connect to.
class TestResolveCli final : public QObject
{
    Q_OBJECT
private slots:
    void run_data();
    void run();
    void readsTheSystemFileAfterTheUsers();
};

void TestResolveCli::run_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("output"); // stdout, or stderr when the exit code is not 0; %D is the folder

    const QString config = u"%D/config"_s;
    // clang-format off
    QTest::newRow("resolves with files and lines") << QStringList{u"--resolve"_s, u"me@web"_s, u"-F"_s, config} << 0
        << u"hostname web.example.org  # %D/config:2\nport 2222  # %D/config:3\nidentityfile ~/.ssh/a  # %D/inc.conf:1\n"
           "identityfile ~/.ssh/b  # %D/config:6\n# Not run, may change the result: Match exec test -e /x\n"
           "# Keywords it could set: compression\n"_s;
    QTest::newRow("help lists the command") << QStringList{u"--help"_s} << 0 << u"--resolve <destination>"_s;
    QTest::newRow("an option as destination") << QStringList{u"--resolve"_s, u"-oProxyCommand=x"_s, u"-F"_s, config}
        << 2 << u"--resolve needs a destination such as host or user@host\n"_s;
    QTest::newRow("-F without --resolve") << QStringList{u"-F"_s, config} << 2
        << u"--resolve needs a destination such as host or user@host\n"_s;
    QTest::newRow("missing file") << QStringList{u"--resolve"_s, u"web"_s, u"-F"_s, u"%D/none"_s} << 2
        << u"Cannot read %D/none: no such file\n"_s;
    QTest::newRow("a folder is no file") << QStringList{u"--resolve"_s, u"web"_s, u"-F"_s, u"%D"_s} << 2
        << u"Cannot read %D: it is a folder\n"_s;
    // clang-format on
}

void TestResolveCli::run()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, output);
    QTemporaryDir dir;
    TestSupport::writeFile(dir.filePath(u"inc.conf"_s), "IdentityFile ~/.ssh/a\n");
    TestSupport::writeFile(dir.filePath(u"config"_s),
                           "Host web\n  HostName %h.example.org\n  Port 2222\n  Include "
                               + dir.filePath(u"inc.conf"_s).toUtf8()
                               + "\nMatch user me\n  IdentityFile ~/.ssh/b\n"
                                 "Match exec \"test -e /x\"\n  Compression yes\n");
    for (QString &argument : arguments)
        argument.replace(u"%D"_s, dir.path());
    QProcess korvel;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const QString &name : {u"QT_QPA_PLATFORM"_s, u"DISPLAY"_s, u"WAYLAND_DISPLAY"_s})
        env.remove(name);
    env.insert(u"LC_ALL"_s, u"C"_s);
    korvel.setProcessEnvironment(env);
    korvel.start(QStringLiteral(KORVEL_BINARY), arguments);
    QVERIFY(korvel.waitForFinished(30000));
    QCOMPARE(korvel.exitCode(), exitCode);
    const QString text = QString::fromUtf8(exitCode ? korvel.readAllStandardError() : korvel.readAllStandardOutput());
    output.replace(u"%D"_s, dir.path());
    QVERIFY2(exitCode == 0 && !output.endsWith(u'\n') ? text.contains(output) : text == output, qPrintable(text));
}

void TestResolveCli::readsTheSystemFileAfterTheUsers()
{
    // As ssh without -F: the user's file, then the system's, whose sections start afresh and whose
    // relative Include paths start at its own folder.
    QTemporaryDir dir;
    const Locations home = Locations::forHome(dir.filePath(u"home"_s), dir.filePath(u"bin"_s));
    TestSupport::writeFile(home.configFile, "Port 1\nHost nothing\n");
    TestSupport::writeFile(dir.filePath(u"etc/ssh_config"_s), "Port 2\nUser sys\nInclude conf.d/*\n");
    TestSupport::writeFile(dir.filePath(u"etc/conf.d/a.conf"_s), "Compression yes\n");
    QString out, err;
    QTextStream o(&out), e(&err);
    const QStringList arguments{u"korvel"_s, u"--resolve"_s, u"web"_s};
    QCOMPARE(ResolveCommand::run(arguments, home, o, e, dir.filePath(u"etc/ssh_config"_s)), 0);
    QCOMPARE(out,
             u"port 1  # %1:1\nuser sys  # %2/etc/ssh_config:2\ncompression yes  # %2/etc/conf.d/a.conf:1\n"_s.arg(
                 home.configFile,
                 dir.path()));
}

QTEST_GUILESS_MAIN(TestResolveCli)
#include "TestResolveCli.moc"
