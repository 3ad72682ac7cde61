#include "HostsFixture.h"
#include "hosts/HostDetailView.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>

using namespace Qt::StringLiterals;

namespace {
    const QByteArray sampleConfig = "Host web\n  HostName web.internal\n  User deploy\n  AddKeysToAgent yes\n"
                                    "  ControlMaster sometimes\n  alpha 1\n  Zeta 2\n\n"
                                    "Host db\n  HostName db.internal\n";
} // namespace

class TestHostDetail final : public QObject
{
    Q_OBJECT
private slots:
    void advancedOptionsResetForAnotherHost();
    void textFieldsTrimAndClear();
    void unsetRemovesAPickedOption();
    void customOptionsSortAndDisappear();
    void addedOptionNamesAreCheckedOnce();
    void keyChooserStoresTildePaths_data();
    void keyChooserStoresTildePaths();
    void aliasEditsShowInTheSidebar();
};

void TestHostDetail::advancedOptionsResetForAnotherHost()
{
    HostsFixture f(sampleConfig);
    f.clickHost(u"web"_s);
    auto *toggle = f.find<QToolButton>(u"advancedButton"_s);
    auto *multiplexing = f.find(u"MultiplexingSection"_s);
    auto *timeout = f.find(u"ConnectTimeoutEdit"_s);
    QVERIFY(!multiplexing->isVisible() && !timeout->isVisible());
    QCOMPARE(toggle->text(), u"Show Advanced Options"_s);

    QTest::mouseClick(toggle, Qt::LeftButton);
    QVERIFY(multiplexing->isVisible() && timeout->isVisible());
    QCOMPARE(toggle->text(), u"Hide Advanced Options"_s);
    // A stored value outside the pop-up's list is shown but left alone.
    auto *control = f.find<QComboBox>(u"ControlMasterPicker"_s);
    QCOMPARE(control->currentIndex(), -1);
    QCOMPARE(control->placeholderText(), u"sometimes"_s);

    f.clickHost(u"db"_s);
    QVERIFY(!multiplexing->isVisible() && !timeout->isVisible());
    QCOMPARE(toggle->text(), u"Show Advanced Options"_s);
    QCOMPARE(f.find<QLineEdit>(u"HostNameEdit"_s)->text(), u"db.internal"_s);
    QCOMPARE(f.find<QComboBox>(u"AddKeysToAgentPicker"_s)->currentText(), u"(unset)"_s);
    QVERIFY(!f.model->isDirty());
}

void TestHostDetail::textFieldsTrimAndClear()
{
    HostsFixture f(sampleConfig);
    f.clickHost(u"web"_s);
    auto *user = f.find<QLineEdit>(u"UserEdit"_s);
    user->setFocus();
    user->end(false);
    QTest::keyClicks(user, u"  "_s); // the stored value, untrimmed
    QVERIFY(!f.model->isDirty());

    auto *port = f.find<QLineEdit>(u"PortEdit"_s);
    QTest::keyClicks(port, u"  2222 "_s);
    QCOMPARE(f.model->blocks().at(0).options.value(u"Port"_s), u"2222"_s);
    QCOMPARE(port->text(), u"  2222 "_s);

    auto *clear = f.find<QToolButton>(u"HostNameClearButton"_s);
    QVERIFY(clear->isVisible());
    QTest::mouseClick(clear, Qt::LeftButton);
    QVERIFY(!f.model->blocks().at(0).options.contains(u"HostName"_s));
    QVERIFY(!clear->isVisible());
    QCOMPARE(f.rowOf(SidebarItem::host(f.idOf(u"web"_s))).data(SidebarModel::SubtitleRole).toString(),
             f.model->blocks().at(0).subtitle());
    QVERIFY(!f.model->blocks().at(0).subtitle().contains(u"web.internal"_s));
}

void TestHostDetail::unsetRemovesAPickedOption()
{
    HostsFixture f(sampleConfig);
    f.clickHost(u"web"_s);
    auto *picker = f.find<QComboBox>(u"AddKeysToAgentPicker"_s);
    QCOMPARE(picker->currentText(), u"yes"_s);
    picker->setFocus();
    QTest::keyClick(picker, Qt::Key_Down); // the next allowed value
    QCOMPARE(f.model->blocks().at(0).options.value(u"AddKeysToAgent"_s), u"no"_s);
    QTest::keyClick(picker, Qt::Key_Home);
    QCOMPARE(picker->currentText(), u"(unset)"_s);
    QVERIFY(!f.model->blocks().at(0).options.contains(u"AddKeysToAgent"_s));
    QVERIFY(f.model->isDirty());
}

void TestHostDetail::customOptionsSortAndDisappear()
{
    HostsFixture f(sampleConfig);
    f.clickHost(u"web"_s);
    HostDetailView *detail = f.content()->hostDetailView();
    QCOMPARE(detail->customOptionNames(), QStringList({u"Zeta"_s, u"alpha"_s}));
    auto *alpha = f.find<QLineEdit>(u"alphaEdit"_s);
    QVERIFY(alpha->isVisible());
    alpha->setFocus();
    alpha->end(false);
    QTest::keyClick(alpha, Qt::Key_Backspace);
    QCOMPARE(detail->customOptionNames(), QStringList{u"Zeta"_s});
    QTRY_VERIFY(!f.find(u"alphaEdit"_s));
    QVERIFY(!f.model->blocks().at(0).options.contains(u"alpha"_s));

    f.clickHost(u"db"_s);
    QVERIFY(!f.find(u"customOptionsSection"_s)->isVisible());
}

void TestHostDetail::addedOptionNamesAreCheckedOnce()
{
    HostsFixture f(sampleConfig);
    f.clickHost(u"db"_s);
    auto addOption = [&f](const QString &typed) -> QDialog * {
        QTest::mouseClick(f.find<QToolButton>(u"addOptionButton"_s), Qt::LeftButton);
        QDialog *sheet = nullptr;
        [&] {
            QTRY_VERIFY((sheet = f.window->findChild<QDialog *>(u"addOptionSheet"_s)));
        }();
        if (sheet)
            QTest::keyClicks(sheet->findChild<QLineEdit *>(u"nameEdit"_s), typed);
        return sheet;
    };

    QDialog *sheet = addOption(QString());
    QVERIFY(sheet);
    auto *confirm = sheet->findChild<QAbstractButton *>(u"confirmButton"_s);
    QVERIFY(!confirm->isEnabled());
    QTest::keyClick(sheet->findChild<QLineEdit *>(u"nameEdit"_s), Qt::Key_Return);
    QVERIFY(sheet->isVisible());
    // A name with a blank or "=" would be read back from the file as another option.
    for (const QString &bad : {u"Hash Known"_s, u"A=b"_s}) {
        QTest::keyClicks(sheet->findChild<QLineEdit *>(u"nameEdit"_s), bad);
        QVERIFY2(!confirm->isEnabled(), qPrintable(bad));
        sheet->findChild<QLineEdit *>(u"nameEdit"_s)->clear();
    }
    QTest::keyClick(sheet->findChild<QLineEdit *>(u"nameEdit"_s), Qt::Key_Escape);
    QTRY_VERIFY(!f.window->findChild<QDialog *>(u"addOptionSheet"_s));

    for (int i = 0; i < 2; ++i) {
        sheet = addOption(u" HashKnownHosts "_s);
        QVERIFY(sheet);
        QTest::keyClick(sheet->findChild<QLineEdit *>(u"nameEdit"_s), Qt::Key_Return);
        QTRY_VERIFY(!f.window->findChild<QDialog *>(u"addOptionSheet"_s));
    }
    QCOMPARE(f.content()->hostDetailView()->customOptionNames(), QStringList{u"HashKnownHosts"_s});
    auto *field = f.find<QLineEdit>(u"HashKnownHostsEdit"_s);
    QVERIFY(field && field->isVisible() && field->text().isEmpty());
    // No value yet: nothing for the file until one is typed.
    QVERIFY(!f.model->blocks().at(1).options.contains(u"HashKnownHosts"_s));
    QTest::keyClicks(field, u"yes"_s);
    QCOMPARE(f.model->blocks().at(1).options.value(u"HashKnownHosts"_s), u"yes"_s);
}

void TestHostDetail::keyChooserStoresTildePaths_data()
{
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QString>("stored");
    QTest::newRow("in home") << u"{home}/.ssh/id_ed25519"_s << u"~/.ssh/id_ed25519"_s;
    QTest::newRow("outside") << u"/etc/ssh/key"_s << u"/etc/ssh/key"_s;
    // A sibling whose name merely starts with the home directory's name is not inside it.
    QTest::newRow("sibling") << u"{home}x/key"_s << u"{home}x/key"_s;
}

void TestHostDetail::keyChooserStoresTildePaths()
{
    QFETCH(QString, chosen);
    QFETCH(QString, stored);
    HostsFixture f(sampleConfig);
    chosen.replace(u"{home}"_s, f.home.path());
    stored.replace(u"{home}"_s, f.home.path());
    f.clickHost(u"db"_s);
    Dialogs::setNextFileName(chosen);
    QTest::mouseClick(f.find<QToolButton>(u"browseButton"_s), Qt::LeftButton);
    QCOMPARE(f.model->blocks().at(1).options.value(u"IdentityFile"_s), stored);
    QCOMPARE(f.find<QLineEdit>(u"IdentityFileEdit"_s)->text(), stored);

    Dialogs::setNextFileName(QString()); // cancelled
    QTest::mouseClick(f.find<QToolButton>(u"browseButton"_s), Qt::LeftButton);
    QCOMPARE(f.model->blocks().at(1).options.value(u"IdentityFile"_s), stored);
}

void TestHostDetail::aliasEditsShowInTheSidebar()
{
    HostsFixture f(sampleConfig);
    f.clickHost(u"db"_s);
    auto *alias = f.find<QLineEdit>(u"hostAliasEdit"_s);
    alias->setFocus();
    alias->end(false);
    QTest::keyClicks(alias, u"2 "_s);
    QCOMPARE(f.model->blocks().at(1).pattern, u"db2 "_s);
    QCOMPARE(f.listedHosts(), QStringList({u"web"_s, u"db2 "_s}));
    QCOMPARE(f.find<QLabel>(u"hostNameLabel"_s)->text(), u"db2 "_s);
    QVERIFY(alias->hasFocus());
    QCOMPARE(alias->cursorPosition(), 4);
    QVERIFY(f.action(u"saveAction"_s)->isEnabled());
}

QTEST_MAIN(TestHostDetail)
#include "TestHostDetail.moc"
