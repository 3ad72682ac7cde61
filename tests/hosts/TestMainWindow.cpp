#include "HostsFixture.h"
#include "hosts/HostDetailView.h"
#include "ui/PaneChrome.h"

#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QToolButton>

using namespace Qt::StringLiterals;

namespace {
    const QByteArray sampleConfig = "Host *\n  ServerAliveInterval 60\n\n"
                                    "Host web\n  HostName web.internal\n  User deploy\n\n"
                                    "Host db\n  HostName db.internal\n\n"
                                    "Host tunnel\n  ProxyCommand ssh -W %h:%p gw\n";

    bool headerShowsDot(const HostsFixture &f)
    {
        return f.content()->sidebarModel()->index(0).data(SidebarModel::DirtyRole).toBool();
    }
} // namespace

class TestMainWindow final : public QObject
{
    Q_OBJECT
private slots:
    void editMarksDirtyAndCtrlSSaves();
    void toolbarFollowsTheSelection();
    void searchMatchesSubtitleAndGlobal();
    void contextMenuRemovesTheClickedRow();
    void reloadWithUnsavedChanges_data();
    void reloadWithUnsavedChanges();
    void failedSaveAndReloadKeepsTheEdits();
    void addHostSheetRefusesDuplicates();
    void rowIconsFollowTheOptions();
    void keyboardSkipsSectionHeaders();
    void readErrorShowsOnceTheWindowIsUp();
    void panesLiveOnlyWhileSelected();
};

void TestMainWindow::editMarksDirtyAndCtrlSSaves()
{
    HostsFixture f(sampleConfig);
    QAction *save = f.action(u"saveAction"_s);
    QVERIFY(!save->isEnabled());
    QVERIFY(!headerShowsDot(f));

    f.clickHost(u"db"_s);
    auto *user = f.find<QLineEdit>(u"UserEdit"_s);
    QVERIFY(user && user->isVisible());
    user->setFocus();
    QTest::keyClicks(user, u"root"_s);
    QVERIFY(save->isEnabled());
    QVERIFY(headerShowsDot(f));
    // The sidebar row follows at once while the field keeps focus and cursor.
    QCOMPARE(f.rowOf(SidebarItem::host(f.idOf(u"db"_s))).data(SidebarModel::SubtitleRole).toString(),
             u"root@db.internal"_s);
    QVERIFY(user->hasFocus());
    QCOMPARE(user->cursorPosition(), 4);

    QTest::keyClick(user, Qt::Key_S, Qt::ControlModifier);
    QVERIFY(!save->isEnabled());
    QVERIFY(!headerShowsDot(f));
    QVERIFY(TestSupport::readFile(f.locations.configFile).contains("User root"));
    QCOMPARE(f.find<StatusLine>(u"statusLine"_s)->fullText(), u"Saved — backup created in ~/.ssh/"_s);
}

void TestMainWindow::toolbarFollowsTheSelection()
{
    HostsFixture f(sampleConfig);
    QAction *add = f.action(u"newHostAction"_s);
    QAction *remove = f.action(u"removeAction"_s);
    QAction *duplicate = f.action(u"duplicateAction"_s);
    QVERIFY(add->isVisible() && remove->isVisible() && !remove->isEnabled() && !duplicate->isVisible());

    f.clickHost(u"web"_s);
    QVERIFY(remove->isEnabled() && duplicate->isVisible());
    duplicate->trigger();
    QCOMPARE(f.content()->selectedItem(), SidebarItem::host(f.idOf(u"web-copy"_s)));
    QCOMPARE(f.listedHosts().mid(1, 2), QStringList({u"web"_s, u"web-copy"_s}));

    f.clickRow(SidebarItem::sshKeys());
    QVERIFY(!add->isVisible() && !remove->isVisible() && !duplicate->isVisible());
    QVERIFY(f.action(u"reloadAction"_s)->isVisible() && f.action(u"saveAction"_s)->isEnabled());
    // Ctrl+N goes with the hidden button.
    QTest::keyClick(f.window.get(), Qt::Key_N, Qt::ControlModifier);
    QVERIFY(!f.window->findChild<QDialog *>(u"addHostSheet"_s));
}

void TestMainWindow::searchMatchesSubtitleAndGlobal()
{
    HostsFixture f(sampleConfig);
    auto *search = f.find<QLineEdit>(u"searchEdit"_s);
    f.clickHost(u"web"_s);

    QTest::keyClicks(search, u"GLOBAL"_s);
    QCOMPARE(f.listedHosts(), QStringList{u"* (Global Defaults)"_s});
    // The hidden host stays selected and its editor open.
    QCOMPARE(f.content()->selectedItem(), SidebarItem::host(f.idOf(u"web"_s)));
    QVERIFY(f.content()->hostDetailView()->isVisible());

    search->clear();
    QTest::keyClicks(search, u"db.INT"_s); // only in the subtitle
    QCOMPARE(f.listedHosts(), QStringList{u"db"_s});
    // Editing a listed host out of the result and back in keeps the editor and the highlight.
    f.clickHost(u"db"_s);
    QTest::mouseClick(f.find<QToolButton>(u"HostNameClearButton"_s), Qt::LeftButton);
    QVERIFY(f.listedHosts().isEmpty());
    QVERIFY(f.list()->selectionModel()->selectedIndexes().isEmpty());
    QTest::keyClicks(f.find<QLineEdit>(u"HostNameEdit"_s), u"db.internal"_s);
    QCOMPARE(f.listedHosts(), QStringList{u"db"_s});
    QCOMPARE(f.list()->selectionModel()->selectedIndexes(), {f.rowOf(SidebarItem::host(f.idOf(u"db"_s)))});
    f.content()->setSelectedItem(SidebarItem::host(f.idOf(u"web"_s)));

    auto *clear = f.find<QToolButton>(u"searchClearButton"_s);
    QVERIFY(clear->isVisible());
    QTest::mouseClick(clear, Qt::LeftButton);
    QCOMPARE(f.listedHosts().size(), 4);
    QVERIFY(f.list()->selectionModel()->isSelected(f.rowOf(SidebarItem::host(f.idOf(u"web"_s)))));
}

void TestMainWindow::contextMenuRemovesTheClickedRow()
{
    HostsFixture f(sampleConfig);
    f.clickHost(u"web"_s);
    const QModelIndex row = f.rowOf(SidebarItem::host(f.idOf(u"*"_s)));
    const QPoint pos = f.list()->visualRect(row).center();
    QContextMenuEvent event(QContextMenuEvent::Mouse, pos, f.list()->viewport()->mapToGlobal(pos));
    QApplication::sendEvent(f.list()->viewport(), &event);
    auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
    QVERIFY(menu);
    QStringList texts;
    for (QAction *action : menu->actions())
        texts << (action->isSeparator() ? u"-"_s : action->text());
    QCOMPARE(texts, QStringList({u"Duplicate"_s, u"-"_s, u"Remove"_s}));

    Dialogs::setNextAnswer(u"Remove"_s);
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(menu->actions().last()).center());
    QCOMPARE(Dialogs::asked().size(), 1);
    QCOMPARE(Dialogs::asked().constFirst().title, u"Remove Host?"_s);
    QCOMPARE(Dialogs::asked().constFirst().text, u"Remove \"* (Global Defaults)\" from your SSH config?"_s);
    QCOMPARE(f.listedHosts(), QStringList({u"web"_s, u"db"_s, u"tunnel"_s}));
    QVERIFY(!f.content()->selectedItem());
    QCOMPARE(f.model->statusMessage(), u"Removed: * (Global Defaults)"_s);
}

void TestMainWindow::reloadWithUnsavedChanges_data()
{
    QTest::addColumn<QString>("answer");
    QTest::addColumn<bool>("editOnDisk");
    QTest::addColumn<bool>("selectionKept");
    QTest::newRow("save") << u"Save & Reload"_s << true << false;
    QTest::newRow("discard") << u"Discard & Reload"_s << false << false;
    QTest::newRow("cancel") << u"Cancel"_s << false << true;
}

void TestMainWindow::reloadWithUnsavedChanges()
{
    QFETCH(QString, answer);
    QFETCH(bool, editOnDisk);
    QFETCH(bool, selectionKept);
    HostsFixture f(sampleConfig);
    f.clickHost(u"db"_s);
    QTest::keyClicks(f.find<QLineEdit>(u"UserEdit"_s), u"admin"_s);

    Dialogs::setNextAnswer(answer);
    QTest::keyClick(f.window.get(), Qt::Key_R, Qt::ControlModifier);
    QCOMPARE(Dialogs::asked().size(), 1);
    QCOMPARE(Dialogs::asked().constFirst().title, u"Unsaved Changes"_s);
    QCOMPARE(Dialogs::asked().constFirst().buttons,
             QStringList({u"Save & Reload"_s, u"Discard & Reload"_s, u"Cancel"_s}));

    QCOMPARE(TestSupport::readFile(f.locations.configFile).contains("User admin"), editOnDisk);
    QCOMPARE(f.content()->selectedItem().has_value(), selectionKept);
    QCOMPARE(f.model->isDirty(), selectionKept);
    QCOMPARE(f.model->blocks().at(2).options.value(u"User"_s), selectionKept || editOnDisk ? u"admin"_s : QString());
}

void TestMainWindow::failedSaveAndReloadKeepsTheEdits()
{
    HostsFixture f{QByteArray()}; // no ~/.ssh yet
    f.model->addBlock(u"fresh"_s);
    // A regular file where ~/.ssh should be makes the save fail.
    TestSupport::writeFile(f.locations.sshDir, "not a directory");

    Dialogs::setNextAnswer(u"Save & Reload"_s);
    f.content()->reload();
    QVERIFY(f.model->isDirty());
    QCOMPARE(f.listedHosts(), QStringList{u"fresh"_s});
    QMessageBox *alert = nullptr;
    QTRY_VERIFY((alert = f.window->findChild<QMessageBox *>(u"errorAlert"_s)));
    QVERIFY(alert->text().startsWith(u"Failed to save "_s));
    alert->buttons().constFirst()->click();
    QTRY_VERIFY(!f.model->errorMessage());
}

void TestMainWindow::addHostSheetRefusesDuplicates()
{
    HostsFixture f("Host new-host\n  User a\n\nHost web\n");
    QTest::keyClick(f.window.get(), Qt::Key_N, Qt::ControlModifier);
    QDialog *sheet = nullptr;
    QTRY_VERIFY((sheet = f.window->findChild<QDialog *>(u"addHostSheet"_s)));
    auto *field = sheet->findChild<QLineEdit *>(u"nameEdit"_s);
    auto *confirm = sheet->findChild<QAbstractButton *>(u"confirmButton"_s);
    auto *duplicate = sheet->findChild<QWidget *>(u"duplicateLabel"_s);
    QCOMPARE(field->text(), u"new-host"_s);
    QVERIFY(duplicate->isVisible() && !confirm->isEnabled());
    QTest::keyClick(field, Qt::Key_Return);
    QVERIFY(sheet->isVisible());

    field->selectAll();
    QTest::keyClicks(field, u"   "_s);
    QVERIFY(!duplicate->isVisible() && !confirm->isEnabled());
    field->selectAll();
    QTest::keyClicks(field, u"  Web "_s); // letter case differs: accepted, trimmed
    QVERIFY(!duplicate->isVisible() && confirm->isEnabled());
    QTest::keyClick(field, Qt::Key_Return);
    QTRY_VERIFY(!f.window->findChild<QDialog *>(u"addHostSheet"_s));
    QCOMPARE(f.model->blocks().constLast().pattern, u"Web"_s);
    QCOMPARE(f.content()->selectedItem(), SidebarItem::host(f.idOf(u"Web"_s)));

    // Escape closes without adding.
    f.content()->addHost();
    QTRY_VERIFY((sheet = f.window->findChild<QDialog *>(u"addHostSheet"_s)));
    QTest::keyClick(sheet->findChild<QLineEdit *>(u"nameEdit"_s), Qt::Key_Escape);
    QTRY_VERIFY(!f.window->findChild<QDialog *>(u"addHostSheet"_s));
    QCOMPARE(f.model->blocks().size(), 3);
}

void TestMainWindow::rowIconsFollowTheOptions()
{
    HostsFixture f(sampleConfig);
    auto symbol = [&f](const QString &pattern) {
        return f.rowOf(SidebarItem::host(f.idOf(pattern))).data(SidebarModel::SymbolRole).toString();
    };
    QCOMPARE(symbol(u"*"_s), u"globe"_s);
    QVERIFY(f.rowOf(SidebarItem::host(f.idOf(u"*"_s))).data(SidebarModel::IsGlobalRole).toBool());
    QCOMPARE(symbol(u"tunnel"_s), u"network"_s);
    QCOMPARE(symbol(u"web"_s), u"server.rack"_s);
    // Rows with a subtitle are taller, and no two rows overlap.
    const QRect star = f.list()->visualRect(f.rowOf(SidebarItem::host(f.idOf(u"*"_s))));
    const QRect web = f.list()->visualRect(f.rowOf(SidebarItem::host(f.idOf(u"web"_s))));
    QVERIFY(star.height() > 0 && web.height() > star.height() && web.top() >= star.bottom());

    f.clickHost(u"web"_s);
    f.content()->hostDetailView()->setShowAdvanced(true);
    QTest::keyClicks(f.find<QLineEdit>(u"ProxyJumpEdit"_s), u"gw"_s);
    QCOMPARE(symbol(u"web"_s), u"network"_s);
}

void TestMainWindow::keyboardSkipsSectionHeaders()
{
    HostsFixture f(sampleConfig);
    f.clickHost(u"tunnel"_s);
    QTest::keyClick(f.list(), Qt::Key_Down); // over "SECURITY"
    QCOMPARE(f.content()->selectedItem(), SidebarItem::knownHosts());
    QTest::keyClick(f.list(), Qt::Key_Up);
    QCOMPARE(f.content()->selectedItem(), SidebarItem::host(f.idOf(u"tunnel"_s)));
    QVERIFY(f.content()->hostDetailView()->isVisible());
}

void TestMainWindow::readErrorShowsOnceTheWindowIsUp()
{
    HostsFixture f("Host bad\n  User \xff\xfe\n");
    QMessageBox *alert = nullptr;
    QTRY_VERIFY((alert = f.window->findChild<QMessageBox *>(u"errorAlert"_s)));
    QVERIFY(alert->isVisible());
    QVERIFY(alert->text().startsWith(u"Cannot read "_s + f.locations.configFile));
    QCOMPARE(f.model->statusMessage(), u"Loaded 0 hosts"_s);
    QTest::keyClick(alert, Qt::Key_Escape);
    QTRY_VERIFY(!f.model->errorMessage());
}

void TestMainWindow::panesLiveOnlyWhileSelected()
{
    HostsFixture f(sampleConfig);
    QTest::mouseClick(f.find<QAbstractButton>(u"emptyKnownHostsButton"_s), Qt::LeftButton);
    QPointer<QWidget> pane = f.content()->currentPane();
    QVERIFY(pane && pane->isVisible());
    QCOMPARE(pane->metaObject()->className(), "KnownHostsView");
    QVERIFY(f.list()->selectionModel()->isSelected(f.rowOf(SidebarItem::knownHosts())));

    f.clickRow(SidebarItem::scripts());
    QTRY_VERIFY(!pane);
    QCOMPARE(f.content()->currentPane()->metaObject()->className(), "BinScriptsView");
    f.clickHost(u"db"_s);
    QVERIFY(!f.content()->currentPane());
}

QTEST_MAIN(TestMainWindow)
#include "TestMainWindow.moc"
