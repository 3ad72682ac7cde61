#include "knownhosts/KnownHostsModel.h"
#include "knownhosts/KnownHostsTableModel.h"
#include "knownhosts/KnownHostsView.h"
#include "support/TestSupport.h"
#include "ui/Dialogs.h"
#include "ui/PaneChrome.h"

#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QStackedWidget>
#include <QTableView>
#include <QToolButton>
#include <QtTest>

using namespace Qt::StringLiterals;
using TestSupport::readFile;
using TestSupport::writeFile;

namespace {
    const QByteArray sample = "alpha.example ssh-ed25519 AAAAC3NzaC1lZDI1NTE5AAAAIAlpha\n"
                              "beta.example ssh-rsa AAAAB3NzaC1yc2EAAAADAQABAAABgQBeta\n"
                              "|1|c2FsdA==|aGFzaA== ecdsa-sha2-nistp256 AAAAE2VjZHNhHashed\n"
                              "gamma.example ssh-ed25519 AAAAC3NzaC1lZDI1NTE5AAAAIGamma\n"
                              "\xc3\x84RGER.example ssh-rsa AAAAB3NzaC1yc2EAAAADAQABAAABgQUmlaut\n";

    struct Pane {
        QTemporaryDir dir;
        const QString path = dir.filePath(u".ssh/known_hosts"_s);
        std::unique_ptr<KnownHostsView> view;
        QTableView *table = nullptr;
        QLineEdit *filter = nullptr;

        explicit Pane(const QByteArray &content = sample)
        {
            Dialogs::reset();
            Dialogs::setTestMode(true);
            if (!content.isNull())
                writeFile(path, content);
            view = std::make_unique<KnownHostsView>(Locations::forHome(dir.path(), dir.filePath(u"bin"_s)));
            view->resize(900, 600);
            view->show();
            table = view->findChild<QTableView *>(u"entryTable"_s);
            filter = view->findChild<QLineEdit *>(u"filterEdit"_s);
        }
        QToolButton *button(const QString &name) const
        {
            return view->findChild<QToolButton *>(name);
        }
        QStringList hosts() const
        {
            QStringList out;
            for (int row = 0; row < table->model()->rowCount(); ++row)
                out << table->model()->index(row, 0).data().toString();
            return out;
        }
        bool showsEmptyState() const
        {
            return view->findChild<QStackedWidget *>()->currentWidget()->objectName() == "emptyState"_L1;
        }
        QString status() const
        {
            return view->findChild<StatusLine *>(u"statusLine"_s)->fullText();
        }
        QPoint cell(int row) const
        {
            return table->visualRect(table->model()->index(row, 1)).center();
        }
        void clickRow(int row, Qt::KeyboardModifiers modifiers = {})
        {
            QTest::mouseClick(table->viewport(), Qt::LeftButton, modifiers, cell(row));
        }
        // Opens the row's context menu, picks its one action with the answer queued, and returns its text.
        QString removeFromMenu(int row, const QString &answer)
        {
            emit table->customContextMenuRequested(cell(row));
            const std::unique_ptr<QMenu> menu(view->findChild<QMenu *>(u"entryContextMenu"_s));
            Dialogs::setNextAnswer(answer);
            menu->actions().at(0)->trigger();
            return menu->actions().at(0)->text();
        }
    };
} // namespace

class TestKnownHostsView final : public QObject
{
    Q_OBJECT
private slots:
    void showsMarkersAndFindsHashedNames();
    void filtersAndRemovesTheSelection();
    void removalNamesTheFirstFiveHosts();
};

void TestKnownHostsView::showsMarkersAndFindsHashedNames()
{
    // The hash of "vault.internal" as ssh-keygen -H wrote it.
    const QByteArray vault = "|1|S9Ge6WtJXi+PgPOrPQlNqAVvPuY=|cGokTqef2v/CNl5g9qW0rVTsc94= ssh-ed25519 AAAAC3Vault\n";
    Pane pane("@revoked vault.internal ssh-rsa AAAAB3Revoked\n"
              "|1|c2FsdA==|aGFzaA== ssh-ed25519 AAAAC3Other\n"
              + vault + "*.internal ssh-ed25519 AAAAC3Wild\nvault.internal.old ssh-rsa AAAAB3Old\n");
    QAbstractItemModel *rows = pane.table->model();
    auto *tableModel = qobject_cast<KnownHostsTableModel *>(rows);
    QVERIFY(tableModel);
    QCOMPARE(rows->index(0, 2).data(KnownHostsTableModel::MarkerRole).toString(), u"@revoked"_s);
    QCOMPARE(rows->index(2, 2).data(Qt::ToolTipRole).toString(), QString::fromLatin1(vault.trimmed()));

    // A whole name first shows what contains it; after the pause, ssh's own matches join, the
    // hashed one under the name typed. A pattern is no name and looks nothing up.
    const QSignalSpy looked(tableModel, &KnownHostsTableModel::nameLookupFinished);
    pane.filter->setText(u"Vault.Internal"_s);
    QCOMPARE(pane.hosts(), QStringList({u"vault.internal"_s, u"vault.internal.old"_s}));
    QTRY_COMPARE(looked.size(), 1);
    QCOMPARE(pane.hosts(),
             QStringList({u"vault.internal"_s, u"Vault.Internal"_s, u"*.internal"_s, u"vault.internal.old"_s}));
    QVERIFY(rows->index(1, 0).data(KnownHostsTableModel::IsHashedRole).toBool());
    pane.filter->setText(u"vault.int*"_s);
    tableModel->lookUpName();
    QVERIFY(pane.hosts().isEmpty());
}

void TestKnownHostsView::filtersAndRemovesTheSelection()
{
    Pane pane{QByteArray()};
    QVERIFY(pane.showsEmptyState());
    writeFile(pane.path, sample); // picked up by Reload
    pane.button(u"reloadButton"_s)->click();
    // The filter matches the host and algorithm only; nothing matching shows an empty table.
    const QList<std::pair<QString, QStringList>> cases = {
        {u"ED25519"_s, {u"alpha.example"_s, u"gamma.example"_s}},
        {u"hashed"_s, {u"(hashed entry)"_s}},
        {u"ärger"_s, {u"ÄRGER.example"_s}},
        {u"AAAAC3"_s, {}}, // key data is not searched
        {u" ssh"_s, {}}, // used as typed, not trimmed
        {u"example ssh"_s, {}}, // no match across the two fields
    };
    for (const auto &[text, expected] : cases) {
        pane.filter->setText(text);
        QCOMPARE(pane.hosts(), expected);
        QVERIFY(!pane.showsEmptyState());
    }
    pane.filter->clear();

    auto *remove = pane.button(u"removeButton"_s);
    const auto selectedRows = [&] {
        return pane.table->selectionModel()->selectedRows();
    };
    pane.clickRow(0);
    pane.clickRow(1, Qt::ControlModifier);
    pane.clickRow(3, Qt::ControlModifier);
    QCOMPARE(pane.status(), u"Loaded 5 entries  · 3 selected"_s);
    // The selection survives filtering, hidden rows included.
    pane.filter->setText(u"alpha"_s);
    QCOMPARE(selectedRows().size(), 1);
    pane.filter->clear();
    QCOMPARE(selectedRows().size(), 3);
    // On a selected row the menu covers the whole selection.
    QCOMPARE(pane.removeFromMenu(1, u"Cancel"_s), u"Remove 3 Entries"_s);
    const Dialogs::Asked question = Dialogs::asked().constLast();
    QVERIFY(question.text.startsWith(u"Remove 3 entries for alpha.example, beta.example and gamma.example?"_s));
    QCOMPARE(question.buttons.value(question.defaultChoice), u"Cancel"_s); // Return never removes
    QCOMPARE(readFile(pane.path), sample);

    Dialogs::setNextAnswer(u"Remove"_s);
    QTest::keyClick(pane.table, Qt::Key_Delete); // as the button does
    QCOMPARE(pane.hosts(), QStringList({u"(hashed entry)"_s, u"ÄRGER.example"_s}));
    QVERIFY(selectedRows().isEmpty() && !remove->isEnabled());

    // On an unselected row the menu covers that row alone, which becomes the only selection.
    pane.clickRow(0);
    QCOMPARE(pane.removeFromMenu(1, u"Cancel"_s), u"Remove Entry"_s);
    QCOMPARE(selectedRows(), QModelIndexList{pane.table->model()->index(1, 0)});

    // A reload makes new identifiers; no stale count or enabled Remove may be left behind.
    pane.button(u"reloadButton"_s)->click();
    QCOMPARE(pane.status(), u"Loaded 2 entries"_s);
    QVERIFY(!remove->isEnabled());

    // A plain click starts a new selection, so a row the filter hides must not stay selected unseen.
    pane.clickRow(0);
    pane.filter->setText(u"rsa"_s);
    pane.clickRow(0);
    QCOMPARE(pane.status(), u"Loaded 2 entries  · 1 selected"_s);
    Dialogs::setNextAnswer(u"Remove"_s);
    remove->click();
    const qsizetype hashed = sample.indexOf("|1|");
    QCOMPARE(readFile(pane.path), sample.sliced(hashed, sample.indexOf("gamma") - hashed));

    // The file gone before a removal: the alert shows the error, and dismissing it clears it.
    pane.filter->clear();
    pane.clickRow(0);
    QFile::remove(pane.path);
    Dialogs::setNextAnswer(u"Remove"_s);
    QTest::keyClick(pane.table, Qt::Key_Delete);
    QTRY_VERIFY(pane.view->findChild<QMessageBox *>(u"errorAlert"_s));
    pane.view->findChild<QMessageBox *>(u"errorAlert"_s)->buttons().at(0)->click();
    QCOMPARE(pane.view->model()->errorMessage(), std::nullopt);
}

void TestKnownHostsView::removalNamesTheFirstFiveHosts()
{
    // Each host once, in file order; hashed ones under one name; "%1" in a host stays as written.
    QByteArray lines;
    for (const char *host : {"h1", "h1", "|1|c2FsdA==|aGFzaA==", "h%1", "h3", "|1|c2FsdA==|b3RoZXI=", "h4", "h5", "h6"})
        lines += QByteArray(host) + " ssh-ed25519 AAAAC3NzaC1lZDI1NTE5AAAAIKey\n";
    Pane pane(lines);
    QTest::keyClick(pane.table, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(pane.table, Qt::Key_Delete);
    QCOMPARE(Dialogs::asked().value(0).text.section(u'?', 0, 0),
             u"Remove 9 entries for h1, (hashed), h%1, h3, h4 and 2 more"_s);
    pane.clickRow(2); // already selected: it stays, the others go
    QCOMPARE(pane.status(), u"Loaded 9 entries  · 1 selected"_s);
    QTest::keyClick(pane.table, Qt::Key_Delete);
    QCOMPARE(Dialogs::asked().value(1).text.section(u'?', 0, 0), u"Remove 1 entry for (hashed)"_s);
    QCOMPARE(pane.table->model()->rowCount(), 9);

    // Every icon-only button on show has a name and a tooltip.
    pane.filter->setText(u"h"_s);
    for (const QAbstractButton *button : pane.view->findChildren<QAbstractButton *>()) {
        if (button->text().isEmpty() && button->isVisibleTo(pane.view.get()))
            QVERIFY2(!button->accessibleName().isEmpty() && !button->toolTip().isEmpty(),
                     qPrintable(button->objectName()));
    }
}

QTEST_MAIN(TestKnownHostsView)
#include "TestKnownHostsView.moc"
