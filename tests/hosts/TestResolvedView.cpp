#include "HostsFixture.h"
#include "hosts/HostDetailView.h"
#include "hosts/ResolvedOptionsModel.h"
#include "hosts/ResolvedView.h"

#include <QDesktopServices>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QToolButton>

using namespace Qt::StringLiterals;

namespace {
    // ssh reads the included file first, and "Host *" before "web": both win over web's own lines.
    const QByteArray config = "Include config.d/*\n\nHost *\n  User everyone\n\n"
                              "Host web\n  HostName web.internal\n  User deploy\n  Port 2222\n\n"
                              "Host *.lab\n  ForwardAgent yes\n\n"
                              "Match host *.lab exec \"test -f /run/vpn\"\n  ProxyJump gw\n";
    const QByteArray included = "Host web\n  Port 2200\n  Compression yes\n\nHost ci\n  HostName ci.internal\n";

    using Row = ResolvedOptionsModel::Row;
} // namespace

class TestResolvedView final : public QObject
{
    Q_OBJECT
public slots:
    void openUrl(const QUrl &url)
    {
        m_opened = url;
    }
private slots:
    void cleanup()
    {
        Dialogs::reset();
    }
    void includedHostsAndResolvedSources();

private:
    QUrl m_opened;
};

void TestResolvedView::includedHostsAndResolvedSources()
{
    QTemporaryDir bin;
    // A stand-in for `ssh -G -F /dev/null`: its warning line is no setting.
    TestSupport::writeScript(bin.filePath(u"ssh"_s),
                             "echo \"$@\" > \"$0.args\"\necho 'Pseudo-terminal will not be allocated'\n"
                             "printf 'host web\\nport 22\\nforwardx11 no\\n'\n");
    HostsFixture f(config, bin.filePath(u"ssh"_s));
    TestSupport::writeFile(f.locations.sshDir + u"/config.d/work"_s, included);
    f.model->load();
    QCOMPARE(f.listedHosts(), QStringList({u"* (Global Defaults)"_s, u"web"_s, u"*.lab"_s, u"web"_s, u"ci"_s}));
    QCOMPARE(f.content->sidebarModel()->index(4).data().toString(), u"config.d/work"_s); // its file's header

    // Search finds it, header and all, and the keyboard gets there; a file with no match loses its header.
    f.content->setSearchText(u"ci.int"_s);
    QCOMPARE(f.content->sidebarModel()->index(1).data().toString(), u"config.d/work"_s);
    QTest::keyClick(f.find<QLineEdit>(u"searchEdit"_s), Qt::Key_Down);
    const SidebarItem ci = SidebarItem::included(f.locations.sshDir + u"/config.d/work"_s, 5);
    QCOMPARE(f.content->selectedItem(), ci);
    f.content->setSearchText(u"web.internal"_s);
    QCOMPARE(f.content->sidebarModel()->rowCount(), 1 + 1 + 5);
    f.content->setSearchText({});

    // Selected: read-only options, its file opens through the desktop, and it connects.
    f.clickRow(ci);
    auto *table = f.find<QTableView>(u"includedOptionsTable"_s);
    QVERIFY(table->isVisible() && !f.content->hostDetailView()->isVisible());
    QCOMPARE(table->model()->index(0, 1).data().toString(), u"ci.internal"_s);
    QVERIFY(f.find<QAction>(u"connectAction"_s)->isEnabled() && !f.find<QAction>(u"removeAction"_s)->isEnabled());
    QDesktopServices::setUrlHandler(u"file"_s, this, "openUrl");
    QTest::mouseClick(f.find<QPushButton>(u"openFileButton"_s), Qt::LeftButton);
    QDesktopServices::unsetUrlHandler(u"file"_s);
    QCOMPARE(m_opened, QUrl::fromLocalFile(ci.file));

    // Resolved like the others: its own lines are "this host".
    f.find<QToolButton>(u"resolvedToggle"_s)->click();
    auto *view = f.find<ResolvedView>(u"resolvedView"_s);
    QVERIFY(view->isVisible());
    QCOMPARE(view->tableModel()->rows().constFirst(), (Row{u"HostName"_s, u"ci.internal"_s, u"this host"_s}));

    f.clickRow(f.host(u"web"_s));
    // What ssh reads first wins; the host's own lines it skips are shown, marked as overridden.
    QTRY_COMPARE(view->tableModel()->rows().size(), 7);
    const QList<Row> rows = view->tableModel()->rows();
    QCOMPARE(rows.at(1), (Row{u"Port"_s, u"2222"_s, u"this host — overridden by config.d/work — line 2"_s, true}));
    QCOMPARE(rows.at(4), (Row{u"User"_s, u"deploy"_s, u"this host — overridden by Host * — line 4"_s, true}));
    QCOMPARE(rows.at(6), (Row{u"ForwardX11"_s, u"no"_s, u"OpenSSH default"_s}));
    QCOMPARE(TestSupport::readFile(bin.filePath(u"ssh.args"_s)), "-G -F /dev/null -- web\n");

    // A wildcard block resolves the name typed; a Match exec it may meet is said plainly.
    f.clickRow(f.host(u"*.lab"_s));
    auto *example = f.find<QLineEdit>(u"exampleEdit"_s);
    QVERIFY(example->isVisible() && view->tableModel()->rows().isEmpty());
    QTest::keyClicks(example, u"db.lab"_s);
    QCOMPARE(view->tableModel()->rows().value(1), (Row{u"ForwardAgent"_s, u"yes"_s, u"this host"_s}));
    auto *note = f.find<QLabel>(u"resolvedNote"_s);
    QVERIFY(note->text().contains(u"test -f /run/vpn"_s) && note->text().contains(u"ProxyJump"_s));
    example->setText(u"db.other"_s);
    QCOMPARE(note->text(), u"db.other does not match this host's pattern, so none of its lines apply."_s);

    // Included files changed on disk (one added to the glob's folder, one rewritten) are read again,
    // while the host being edited keeps its selection, focus and unsaved edit.
    f.clickRow(f.host(u"web"_s));
    auto *user = f.find<QLineEdit>(u"UserEdit"_s);
    user->setFocus();
    QTest::keyClicks(user, u"x"_s);
    TestSupport::writeFile(f.locations.sshDir + u"/config.d/lab"_s, "Host db\n");
    QTRY_VERIFY(f.listedHosts().contains(u"db"_s));
    TestSupport::writeFile(f.locations.sshDir + u"/config.d/work"_s, included + "Host cd\n");
    QTRY_VERIFY(f.listedHosts().contains(u"cd"_s));
    QCOMPARE(f.content->selectedItem(), f.host(u"web"_s));
    QVERIFY(user->hasFocus() && user->text() == u"deployx"_s && f.model->isDirty());
}

QTEST_MAIN(TestResolvedView)
#include "TestResolvedView.moc"
