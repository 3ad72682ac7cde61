#include "core/TerminalLauncher.h"
#include "support/TestSupport.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {
    const QStringList sshWeb = {u"ssh"_s, u"--"_s, u"web"_s};

    QProcessEnvironment pathOnly(const QString &dir, const QString &terminal = {})
    {
        QProcessEnvironment environment;
        environment.insert(u"PATH"_s, dir);
        if (!terminal.isNull())
            environment.insert(u"TERMINAL"_s, terminal);
        return environment;
    }
} // namespace

class TestTerminalLauncher final : public QObject
{
    Q_OBJECT
private slots:
    void picksTheTerminalAndItsArguments_data();
    void picksTheTerminalAndItsArguments();
    void startsItWithSeparateArguments();
};

void TestTerminalLauncher::picksTheTerminalAndItsArguments_data()
{
    QTest::addColumn<QStringList>("installed");
    QTest::addColumn<QString>("terminal"); // $TERMINAL; null when unset
    QTest::addColumn<QString>("expected"); // the program's name; empty when none is found
    QTest::addColumn<QStringList>("arguments");

    const QStringList all{u"x-terminal-emulator"_s, u"gnome-terminal"_s, u"kitty"_s, u"xterm"_s};
    const QStringList e = QStringList{u"-e"_s} + sshWeb;
    QTest::newRow("TERMINAL first") << all << u"kitty"_s << u"kitty"_s << sshWeb;
    QTest::newRow("TERMINAL as a path") << all << u"@/xterm"_s << u"xterm"_s << e;
    QTest::newRow("TERMINAL with options")
        << all << u"kitty -1 --title \"a b\""_s << u"kitty"_s << QStringList{u"-1"_s, u"--title"_s, u"a b"_s} + sshWeb;
    QTest::newRow("then the list in order")
        << QStringList{u"xterm"_s, u"alacritty"_s, u"konsole"_s} << QString() << u"konsole"_s << e;
    QTest::newRow("gnome-terminal") << QStringList{u"xterm"_s, u"gnome-terminal"_s} << QString() << u"gnome-terminal"_s
                                    << QStringList{u"--"_s} + sshWeb;
    QTest::newRow("xfce4-terminal") << QStringList{u"xfce4-terminal"_s} << QString() << u"xfce4-terminal"_s
                                    << QStringList{u"-x"_s} + sshWeb;
    QTest::newRow("TERMINAL missing, not executable skipped")
        << QStringList{u"!gnome-terminal"_s, u"xterm"_s} << u"nosuch"_s << u"xterm"_s << e;
    QTest::newRow("none") << QStringList{u"!xterm"_s} << u"kitty"_s << QString() << QStringList();
}

void TestTerminalLauncher::picksTheTerminalAndItsArguments()
{
    QFETCH(QStringList, installed);
    QFETCH(QString, terminal);
    QFETCH(QString, expected);
    QFETCH(QStringList, arguments);
    QTemporaryDir dir;
    for (const QString &name : installed) {
        if (name.startsWith(u'!'))
            TestSupport::writeFile(dir.filePath(name.mid(1)), "#!/bin/sh\n");
        else
            TestSupport::writeScript(dir.filePath(name), "exit 0\n");
    }
    terminal.replace(u"@"_s, dir.path());

    const auto launch = TerminalLauncher::launchFor(sshWeb, pathOnly(dir.path(), terminal));
    QCOMPARE(launch.has_value(), !expected.isEmpty());
    if (launch) {
        QCOMPARE(launch->program, dir.filePath(expected));
        QCOMPARE(launch->arguments, arguments);
    }
}

void TestTerminalLauncher::startsItWithSeparateArguments()
{
    QTemporaryDir dir;
    const QString out = dir.filePath(u"args"_s);
    // Records each argument on a line of its own; the rename makes the file appear complete.
    TestSupport::writeScript(
        dir.filePath(u"xterm"_s),
        "for a in \"$@\"; do printf '%s\\n' \"$a\"; done > \"$OUT.tmp\" && /bin/mv \"$OUT.tmp\" \"$OUT\"\n");
    QProcessEnvironment environment = pathOnly(dir.path());
    environment.insert(u"OUT"_s, out);
    // An alias a shell would act on reaches ssh as one plain argument.
    const QStringList command = {u"ssh"_s, u"--"_s, u"a b;touch $HOME/x"_s};
    QCOMPARE(TerminalLauncher::openWith(command, environment), std::nullopt);
    QTRY_VERIFY(QFileInfo::exists(out));
    QCOMPARE(QString::fromUtf8(TestSupport::readFile(out)), (QStringList{u"-e"_s} + command).join(u'\n') + u'\n');

    const auto failure = TerminalLauncher::openWith(command, pathOnly(dir.filePath(u"empty"_s)));
    QVERIFY(failure && !failure->isEmpty());
}

QTEST_GUILESS_MAIN(TestTerminalLauncher)
#include "TestTerminalLauncher.moc"
