#include "HostsFixture.h"

#include <QLineEdit>

using namespace Qt::StringLiterals;

namespace {
    const QByteArray config = "Host *\n  ServerAliveInterval 60\n\nHost web\n  HostName web.internal\n\n"
                              "Host db\n  HostName db.internal\n";
} // namespace

// The terminal is a fake one on PATH that writes down its arguments; no real terminal opens.
class TestConnect final : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanup()
    {
        Dialogs::reset();
        QFile::remove(argsFile());
    }
    void aliasOfAPattern_data();
    void aliasOfAPattern();
    void connectOpensTheTerminal();

private:
    QString argsFile() const
    {
        return m_bin.filePath(u"args"_s);
    }
    // The arguments the fake terminal was started with, once it has written them.
    QStringList launched() const
    {
        return QString::fromUtf8(TestSupport::readFile(argsFile())).split(u'\n', Qt::SkipEmptyParts);
    }

    QTemporaryDir m_bin;
};

void TestConnect::initTestCase()
{
    TestSupport::writeScript(m_bin.filePath(u"xterm"_s),
                             "for a in \"$@\"; do printf '%s\\n' \"$a\"; done > \"$0.tmp\" && /bin/mv \"$0.tmp\" \""
                                 + QFile::encodeName(argsFile()) + "\"\n");
    qputenv("PATH", QFile::encodeName(m_bin.path()));
    qunsetenv("TERMINAL");
}

void TestConnect::aliasOfAPattern_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("alias"); // null: no alias, Connect is disabled
    QTest::newRow("plain") << u"web"_s << u"web"_s;
    QTest::newRow("wildcards only") << u"*  *.example.com  db?"_s << QString();
    QTest::newRow("first plain name") << u"!bad *.lan\t-opt gate gate.lan"_s << u"gate"_s;
    QTest::newRow("quotes group") << u"\"*.lan -x\" \"my host\" b"_s << u"my host"_s;
}

void TestConnect::aliasOfAPattern()
{
    QFETCH(QString, pattern);
    QFETCH(QString, alias);
    QCOMPARE(ContentView::connectAlias(pattern), alias.isNull() ? std::nullopt : std::optional(alias));
}

void TestConnect::connectOpensTheTerminal()
{
    HostsFixture f(config);
    auto *connectAction = f.find<QAction>(u"connectAction"_s);
    // Ctrl+Return on a plain host, ssh and the alias as arguments of their own.
    f.clickRow(f.host(u"web"_s));
    QTest::keyClick(f.list, Qt::Key_Return, Qt::ControlModifier);
    QTRY_COMPARE(launched(), QStringList({u"-e"_s, u"ssh"_s, u"--"_s, u"web"_s}));
    QFile::remove(argsFile());

    // An alias edited into a wildcard disables it at once.
    auto *alias = f.find<QLineEdit>(u"hostAliasEdit"_s);
    QTest::keyClicks(alias, u"*"_s);
    QVERIFY(!connectAction->isEnabled());
    QTest::keyClick(alias, Qt::Key_Backspace);
    QVERIFY(connectAction->isEnabled() && f.model->isDirty());

    // Unsaved edits: cancelling neither saves nor connects; "Save & Connect" does both.
    Dialogs::setNextAnswer(u"Cancel"_s);
    connectAction->trigger();
    QCOMPARE(Dialogs::asked().constLast().buttons,
             QStringList({u"Save & Connect"_s, u"Connect Without Saving"_s, u"Cancel"_s}));
    QVERIFY(f.model->isDirty());
    Dialogs::setNextAnswer(u"Save & Connect"_s);
    connectAction->trigger();
    QVERIFY(!f.model->isDirty());
    QTRY_COMPARE(launched().value(3), u"web"_s);
    QFile::remove(argsFile());

    // Double-click on a row selects it and connects; a real one starts with a press, QTest's has none.
    const QPoint db = f.list->visualRect(f.rowOf(f.host(u"db"_s))).center();
    QTest::mousePress(f.list->viewport(), Qt::LeftButton, {}, db);
    QTest::mouseDClick(f.list->viewport(), Qt::LeftButton, {}, db);
    QCOMPARE(f.content->selectedItem(), f.host(u"db"_s));
    QTRY_COMPARE(launched().value(3), u"db"_s);

    // Without any terminal the user is told so.
    qputenv("PATH", "/nonexistent");
    connectAction->trigger();
    qputenv("PATH", QFile::encodeName(m_bin.path()));
    QCOMPARE(Dialogs::asked().constLast().title, u"Cannot Open a Terminal"_s);
}

QTEST_MAIN(TestConnect)
#include "TestConnect.moc"
