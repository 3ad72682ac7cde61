#include "HostsFixture.h"
#include "hosts/HostDetailView.h"
#include "knownhosts/KnownHostsModel.h"
#include "knownhosts/KnownHostsView.h"
#include "ui/PaneChrome.h"

#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QToolButton>

#include <cstdio>

using namespace Qt::StringLiterals;

namespace {
    const QByteArray sampleConfig = "Host *\n  ServerAliveInterval 60\n\n"
                                    "Host web\n  HostName web.internal\n  User deploy\n\n"
                                    "Host db\n  HostName db.internal\n\n"
                                    "Host tunnel\n  ProxyCommand ssh -W %h:%p gw\n";

    // Another program replaces the config as editors do, through a renamed new file.
    void replaceFromOutside(const QString &path, const QByteArray &text)
    {
        TestSupport::writeFile(path + u".new"_s, text);
        QVERIFY(::rename(QFile::encodeName(path + u".new"_s).constData(), QFile::encodeName(path).constData()) == 0);
    }
} // namespace

class TestMainWindow final : public QObject
{
    Q_OBJECT
private slots:
    void cleanup()
    {
        Dialogs::reset();
    }
    void editsMeetAnOutsideChange();
    void outsideRewriteReloadsAndKeepsTheSelection();
    void searchKeysAndMenuFindAndRemoveHosts();
    void reloadWithUnsavedChanges_data();
    void reloadWithUnsavedChanges();
    void addHostSheetRefusesDuplicates();
    void readErrorShowsOnceTheWindowIsUp();
    void panesFollowTheSelectionAndOutliveReloads();
    void minimumSizeClipsNothing();
};

void TestMainWindow::editsMeetAnOutsideChange()
{
    HostsFixture f(sampleConfig);
    const auto user = [&f] {
        return f.model->blocks().at(2).value(u"User").value_or(QString());
    };
    QAction *save = f.find<QAction>(u"saveAction"_s);
    auto *bar = f.find(u"outsideChangeBar"_s);
    f.clickRow(f.host(u"db"_s));
    auto *userEdit = f.find<QLineEdit>(u"UserEdit"_s);
    userEdit->setFocus();
    QTest::keyClicks(userEdit, u"root"_s);
    QVERIFY(save->isEnabled() && f.content->sidebarModel()->index(0).data(SidebarModel::DirtyRole).toBool());

    // Nobody else wrote the file: Ctrl+S saves without asking.
    QTest::keyClick(userEdit, Qt::Key_S, Qt::ControlModifier);
    QVERIFY(!save->isEnabled() && Dialogs::asked().isEmpty());
    QVERIFY(TestSupport::readFile(f.locations.configFile).contains("User root"));

    // With an edit pending, another program's write shows the bar instead of reloading.
    QTest::keyClicks(userEdit, u"2"_s);
    const QByteArray theirs = sampleConfig + "\nHost cache\n";
    replaceFromOutside(f.locations.configFile, theirs);
    QTRY_VERIFY(bar->isVisible());
    QTest::mouseClick(f.find<QAbstractButton>(u"outsideKeepButton"_s), Qt::LeftButton);
    QVERIFY(!bar->isVisible() && f.model->isDirty());
    QCOMPARE(user(), u"root2"_s);

    // Saving over it asks first; only "Overwrite" replaces their file.
    Dialogs::setNextAnswer(u"Cancel"_s);
    save->trigger();
    QCOMPARE(Dialogs::asked().size(), 1);
    QCOMPARE(Dialogs::asked().constLast().defaultChoice, 1); // Return keeps their file
    QVERIFY(f.model->isDirty() && TestSupport::readFile(f.locations.configFile) == theirs);
    Dialogs::setNextAnswer(u"Overwrite"_s);
    save->trigger();
    QVERIFY(!f.model->isDirty());
    QCOMPARE(TestSupport::readFile(f.locations.configFile), f.model->text());
    QVERIFY(f.model->text().contains("User root2") && !f.model->text().contains("cache"));

    // "Reload" on the bar asks as the toolbar's does; a cancelled overwrite keeps everything. This
    // time the other program writes in place.
    QTest::keyClicks(userEdit, u"3"_s);
    TestSupport::writeFile(f.locations.configFile, TestSupport::readFile(f.locations.configFile) + "Host cache\n");
    QTRY_VERIFY(bar->isVisible());
    Dialogs::asked().clear();
    Dialogs::setNextAnswer(u"Save & Reload"_s);
    Dialogs::setNextAnswer(u"Cancel"_s);
    QTest::mouseClick(f.find<QAbstractButton>(u"outsideReloadButton"_s), Qt::LeftButton);
    QCOMPARE(Dialogs::asked().size(), 2);
    QVERIFY(bar->isVisible() && user() == u"root23"_s);
    QVERIFY(!TestSupport::readFile(f.locations.configFile).contains("root23"));
    Dialogs::setNextAnswer(u"Discard & Reload"_s);
    QTest::mouseClick(f.find<QAbstractButton>(u"outsideReloadButton"_s), Qt::LeftButton);
    QVERIFY(!bar->isVisible() && !f.model->isDirty() && user() == u"root2"_s);
    QCOMPARE(f.listedHosts().constLast(), u"cache"_s);
}

void TestMainWindow::outsideRewriteReloadsAndKeepsTheSelection()
{
    HostsFixture f(sampleConfig);
    f.clickRow(f.host(u"web"_s));
    f.content->setSearchText(u"web"_s);
    replaceFromOutside(f.locations.configFile, "Host cache\n\nHost web\n  HostName web2.internal\n\nHost db\n");
    QTRY_COMPARE(f.model->blocks().size(), 3);
    QVERIFY(!f.model->isDirty() && !f.find(u"outsideChangeBar"_s)->isVisible());
    // The search stays, over the other program's hosts; the host is found again by its pattern.
    QCOMPARE(f.listedHosts(), QStringList{u"web"_s});
    QVERIFY(f.list->selectionModel()->isSelected(f.rowOf(f.host(u"web"_s))));
    QCOMPARE(f.find<QLineEdit>(u"HostNameEdit"_s)->text(), u"web2.internal"_s);

    replaceFromOutside(f.locations.configFile, "Host db\n");
    QTRY_COMPARE(f.model->blocks().size(), 1);
    QVERIFY(!f.content->selectedItem() && f.find(u"emptyState"_s)->isVisible());
    f.content->setSearchText({});
    QCOMPARE(f.listedHosts(), QStringList{u"db"_s});
}

void TestMainWindow::searchKeysAndMenuFindAndRemoveHosts()
{
    HostsFixture f(sampleConfig);
    auto *search = f.find<QLineEdit>(u"searchEdit"_s);
    f.clickRow(f.host(u"web"_s));
    QTest::keyClicks(search, u"db.INT"_s); // only in the subtitle
    QCOMPARE(f.listedHosts(), QStringList{u"db"_s});
    // The hidden host stays selected and its editor open.
    QVERIFY(f.content->selectedItem() == f.host(u"web"_s) && f.content->hostDetailView()->isVisible());
    // Editing a listed host out of the result and back in keeps the editor and the highlight.
    f.clickRow(f.host(u"db"_s));
    QTest::mouseClick(f.find<QToolButton>(u"HostNameClearButton"_s), Qt::LeftButton);
    QVERIFY(f.listedHosts().isEmpty() && f.list->selectionModel()->selectedIndexes().isEmpty());
    QTest::keyClicks(f.find<QLineEdit>(u"HostNameEdit"_s), u"db.internal"_s);
    QCOMPARE(f.list->selectionModel()->selectedIndexes(), {f.rowOf(f.host(u"db"_s))});
    QTest::mouseClick(f.find<QToolButton>(u"searchClearButton"_s), Qt::LeftButton);
    QCOMPARE(f.listedHosts().size(), 4);

    // Ctrl+F, then Down takes the first match into the list.
    QTest::keyClick(f.window.get(), Qt::Key_F, Qt::ControlModifier);
    QVERIFY(search->hasFocus());
    QTest::keyClicks(search, u"we"_s);
    QTest::keyClick(search, Qt::Key_Down);
    QVERIFY(f.list->hasFocus() && f.content->selectedItem() == f.host(u"web"_s));

    // Delete asks; a question left unanswered (Return and Escape press Cancel) removes nothing.
    QTest::keyClick(f.list, Qt::Key_Delete);
    QCOMPARE(Dialogs::asked().size(), 1);
    QVERIFY(Dialogs::asked().constFirst().defaultChoice == 1 && Dialogs::asked().constFirst().escapeChoice == 1);
    QCOMPARE(f.model->blocks().size(), 4);
    Dialogs::setNextAnswer(u"Remove"_s);
    QTest::keyClick(f.list, Qt::Key_Delete);
    QVERIFY(f.model->blocks().size() == 3 && !f.content->selectedItem());

    // Escape empties the search and stays in it; Down from an empty search takes the first host.
    QTest::keyClick(f.window.get(), Qt::Key_F, Qt::ControlModifier);
    QTest::keyClick(search, Qt::Key_Escape);
    QVERIFY(search->text().isEmpty() && search->hasFocus() && f.listedHosts().size() == 3);
    QTest::keyClick(search, Qt::Key_Down);
    QCOMPARE(f.content->selectedItem(), f.host(u"*"_s));

    // The context menu removes the clicked row, not the selected one.
    const QPoint pos = f.list->visualRect(f.rowOf(f.host(u"db"_s))).center();
    QContextMenuEvent event(QContextMenuEvent::Mouse, pos, f.list->viewport()->mapToGlobal(pos));
    QApplication::sendEvent(f.list->viewport(), &event);
    auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
    QVERIFY(menu);
    Dialogs::setNextAnswer(u"Remove"_s);
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(menu->actions().constLast()).center());
    QCOMPARE(f.listedHosts(), QStringList({u"* (Global Defaults)"_s, u"tunnel"_s}));

    // On a tool entry Delete is the pane's business, not a host removal.
    f.clickRow(SidebarItem::knownHosts());
    QTest::keyClick(f.list, Qt::Key_Delete);
    QCOMPARE(Dialogs::asked().size(), 3);
}

void TestMainWindow::reloadWithUnsavedChanges_data()
{
    QTest::addColumn<QStringList>("answers");
    QTest::addColumn<bool>("saveFails");
    QTest::addColumn<bool>("editOnDisk");
    QTest::addColumn<bool>("editKept");
    QTest::newRow("save") << QStringList{u"Save & Reload"_s} << false << true << false;
    QTest::newRow("discard") << QStringList{u"Discard & Reload"_s} << false << false << false;
    QTest::newRow("cancel") << QStringList{u"Cancel"_s} << false << false << true;
    // A failed save must not go on to reload and drop the edits. The config going away with its
    // folder is an outside change, so the save asks before it tries.
    QTest::newRow("save fails") << QStringList({u"Save & Reload"_s, u"Overwrite"_s}) << true << false << true;
}

void TestMainWindow::reloadWithUnsavedChanges()
{
    QFETCH(QStringList, answers);
    QFETCH(bool, saveFails);
    QFETCH(bool, editOnDisk);
    QFETCH(bool, editKept);
    HostsFixture f(sampleConfig);
    f.clickRow(f.host(u"db"_s));
    QTest::keyClicks(f.find<QLineEdit>(u"UserEdit"_s), u"admin"_s);
    if (saveFails) { // a regular file where ~/.ssh should be
        QVERIFY(QDir(f.locations.sshDir).removeRecursively());
        TestSupport::writeFile(f.locations.sshDir, "not a directory");
    }

    for (const QString &answer : std::as_const(answers))
        Dialogs::setNextAnswer(answer);
    QTest::keyClick(f.window.get(), Qt::Key_R, Qt::ControlModifier);
    QCOMPARE(Dialogs::asked().size(), answers.size());
    QCOMPARE(Dialogs::asked().constFirst().defaultChoice, 2); // Return cancels
    QCOMPARE(TestSupport::readFile(f.locations.configFile).contains("User admin"), editOnDisk);
    // The host stays on screen, found again by its pattern in what was read.
    QCOMPARE(f.find<QLabel>(u"hostNameLabel"_s)->text(), u"db"_s);
    QCOMPARE(f.model->isDirty(), editKept);
    QCOMPARE(f.model->blocks().at(2).value(u"User").value_or(QString()),
             editKept || editOnDisk ? u"admin"_s : QString());
    if (saveFails) // the failure is shown, never passed over
        QTRY_VERIFY(f.find<QMessageBox>(u"errorAlert"_s));
}

void TestMainWindow::addHostSheetRefusesDuplicates()
{
    HostsFixture f("Host new-host\n  User a\n\nHost web\n");
    QTest::keyClick(f.window.get(), Qt::Key_N, Qt::ControlModifier);
    auto *sheet = f.find<QDialog>(u"addHostSheet"_s);
    auto *field = sheet->findChild<QLineEdit *>(u"nameEdit"_s);
    auto *confirm = sheet->findChild<QAbstractButton *>(u"confirmButton"_s);
    // The name offered is taken already.
    QCOMPARE(field->text(), u"new-host"_s);
    QVERIFY(sheet->findChild<QWidget *>(u"duplicateLabel"_s)->isVisible() && !confirm->isEnabled());
    field->selectAll();
    QTest::keyClicks(field, u"  Web "_s); // letter case differs: accepted, trimmed
    QVERIFY(confirm->isEnabled());
    QTest::keyClick(field, Qt::Key_Return);
    QTRY_VERIFY(!f.find<QDialog>(u"addHostSheet"_s));
    QCOMPARE(f.content->selectedItem(), f.host(u"Web"_s));
}

void TestMainWindow::readErrorShowsOnceTheWindowIsUp()
{
    HostsFixture f("Host bad\n  User \xff\xfe\n");
    QMessageBox *alert = nullptr;
    QTRY_VERIFY((alert = f.find<QMessageBox>(u"errorAlert"_s)));
    QVERIFY(alert->isVisible() && alert->text().startsWith(u"Cannot read "_s + f.locations.configFile));
    QTest::keyClick(alert, Qt::Key_Escape);
    QTRY_VERIFY(!f.model->errorMessage());
}

void TestMainWindow::panesFollowTheSelectionAndOutliveReloads()
{
    HostsFixture f(sampleConfig);
    const QByteArray line = "alpha.example ssh-ed25519 AAAAC3NzaC1lZDI1NTE5AAAAIAlpha\n";
    TestSupport::writeFile(f.locations.knownHostsFile, line);
    QTest::mouseClick(f.find<QAbstractButton>(u"emptyKnownHostsButton"_s), Qt::LeftButton);
    const QPointer<KnownHostsView> pane = qobject_cast<KnownHostsView *>(f.content->currentPane());
    QVERIFY(pane && pane->isVisible());
    QVERIFY(f.list->selectionModel()->isSelected(f.rowOf(SidebarItem::knownHosts())));
    QTRY_COMPARE(pane->model()->entries().size(), 1);
    TestSupport::writeFile(f.locations.knownHostsFile, line + line);

    // Ctrl+R and the toolbar act on the config alone, and the pane stays.
    f.model->setOption(f.host(u"db"_s).hostId, u"User"_s, u"x"_s);
    Dialogs::setNextAnswer(u"Discard & Reload"_s);
    QTest::keyClick(f.window.get(), Qt::Key_R, Qt::ControlModifier);
    QVERIFY(!f.model->isDirty() && Dialogs::asked().size() == 1);
    f.find<QAction>(u"reloadAction"_s)->trigger();
    QVERIFY(f.content->currentPane() == pane.data() && pane->model()->entries().size() == 1);
    // F5 reloads what the pane shows, without touching the config.
    f.model->setOption(f.host(u"db"_s).hostId, u"User"_s, u"z"_s);
    QTest::keyClick(f.window.get(), Qt::Key_F5);
    QTRY_COMPARE(pane->model()->entries().size(), 2);
    QVERIFY(f.model->isDirty() && Dialogs::asked().size() == 1);
    // On a tool entry the host actions go, and Ctrl+N with them; the config can still be saved.
    QVERIFY(!f.find<QAction>(u"newHostAction"_s)->isVisible() && f.find<QAction>(u"saveAction"_s)->isEnabled());
    QTest::keyClick(f.window.get(), Qt::Key_N, Qt::ControlModifier);
    QVERIFY(!f.find<QDialog>(u"addHostSheet"_s));
    f.clickRow(SidebarItem::scripts());
    QTRY_VERIFY(!pane);

    // The keyboard steps over the "SECURITY" header, both ways.
    f.clickRow(f.host(u"tunnel"_s));
    QTest::keyClick(f.list, Qt::Key_Down);
    QVERIFY(f.content->selectedItem() == SidebarItem::knownHosts() && f.content->currentPane());
    QTest::keyClick(f.list, Qt::Key_Up);
    QVERIFY(f.content->selectedItem() == f.host(u"tunnel"_s) && f.content->hostDetailView()->isVisible());
    // On a host F5 is the config's reload, with its question.
    QTest::keyClick(f.window.get(), Qt::Key_F5);
    QCOMPARE(Dialogs::asked().size(), 2);

    // Ctrl+click on the selected row must not leave its editor open with no row highlighted.
    f.clickRow(f.host(u"web"_s));
    const QPoint web = f.list->visualRect(f.rowOf(f.host(u"web"_s))).center();
    QTest::mouseClick(f.list->viewport(), Qt::LeftButton, Qt::ControlModifier, web);
    QVERIFY(f.list->selectionModel()->isSelected(f.rowOf(f.host(u"web"_s))));
    f.find<QAction>(u"duplicateAction"_s)->trigger();
    QCOMPARE(f.content->selectedItem(), f.host(u"web-copy"_s));
    QCOMPARE(f.listedHosts().mid(1, 2), QStringList({u"web"_s, u"web-copy"_s}));
}

// The window once set a minimum as small as its content's, and the menu bar and toolbar pushed
// the status lines out of view.
void TestMainWindow::minimumSizeClipsNothing()
{
    HostsFixture f(sampleConfig);
    f.window->resize(f.window->minimumSize());
    for (const SidebarItem &item :
         {f.host(u"web"_s), SidebarItem::knownHosts(), SidebarItem::sshKeys(), SidebarItem::scripts()}) {
        f.content->setSelectedItem(item);
        QTRY_COMPARE(f.window->size(), f.window->minimumSize());
        QCoreApplication::processEvents(); // lays the new pane out
        for (QWidget *w : f.window->findChildren<StatusLine *>()) {
            // Whole inside every widget around it, up to the window.
            const QRect inWindow(w->mapTo(f.window.get(), QPoint()), w->size());
            for (QWidget *p = w->parentWidget(); p && w->isVisible(); p = p->parentWidget())
                QVERIFY(QRect(p->mapTo(f.window.get(), QPoint()), p->size()).contains(inWindow));
        }
        // The sidebar's last entry is in view.
        QVERIFY(f.list->viewport()->rect().contains(f.list->visualRect(f.rowOf(SidebarItem::scripts()))));
    }
}

QTEST_MAIN(TestMainWindow)
#include "TestMainWindow.moc"
