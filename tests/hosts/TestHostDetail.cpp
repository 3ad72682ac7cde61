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
    void formFollowsTheSelectedHost();
    void fieldsEditOnlyWhatChanged();
    void addedOptionNamesAreCheckedOnce();
};

void TestHostDetail::formFollowsTheSelectedHost()
{
    HostsFixture f(sampleConfig);
    f.clickRow(f.host(u"web"_s));
    HostDetailView *detail = f.content->hostDetailView();
    QCOMPARE(detail->customOptionNames(), QStringList({u"Zeta"_s, u"alpha"_s}));
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
    QVERIFY(control->currentIndex() == -1 && control->placeholderText() == "sometimes"_L1);

    // Another host: advanced options hidden again, its own values, and no edit made by the refill.
    f.clickRow(f.host(u"db"_s));
    QVERIFY(!multiplexing->isVisible() && !timeout->isVisible());
    QCOMPARE(toggle->text(), u"Show Advanced Options"_s);
    QCOMPARE(f.find<QLineEdit>(u"HostNameEdit"_s)->text(), u"db.internal"_s);
    QCOMPARE(f.find<QComboBox>(u"AddKeysToAgentPicker"_s)->currentText(), u"(unset)"_s);
    QVERIFY(!f.find(u"customOptionsSection"_s)->isVisible());
    QVERIFY(!f.model->isDirty());

    // Emptying a custom option removes it and its row.
    f.clickRow(f.host(u"web"_s));
    auto *alpha = f.find<QLineEdit>(u"alphaEdit"_s);
    QVERIFY(alpha && alpha->isVisible());
    alpha->setFocus();
    alpha->end(false);
    QTest::keyClick(alpha, Qt::Key_Backspace);
    QCOMPARE(detail->customOptionNames(), QStringList{u"Zeta"_s});
    QTRY_VERIFY(!f.find(u"alphaEdit"_s));
    QVERIFY(!f.model->blocks().at(0).options.contains(u"alpha"_s));
}

void TestHostDetail::fieldsEditOnlyWhatChanged()
{
    HostsFixture f(sampleConfig);
    f.clickRow(f.host(u"web"_s));
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
    QVERIFY(!f.model->blocks().at(0).options.contains(u"HostName"_s) && !clear->isVisible());
    QCOMPARE(f.rowOf(f.host(u"web"_s)).data(SidebarModel::SubtitleRole).toString(), f.model->blocks().at(0).subtitle());
    QVERIFY(!f.model->blocks().at(0).subtitle().contains(u"web.internal"_s));

    // "(unset)" removes a picked option.
    auto *picker = f.find<QComboBox>(u"AddKeysToAgentPicker"_s);
    QCOMPARE(picker->currentText(), u"yes"_s);
    picker->setFocus();
    QTest::keyClick(picker, Qt::Key_Down); // the next allowed value
    QCOMPARE(f.model->blocks().at(0).options.value(u"AddKeysToAgent"_s), u"no"_s);
    QTest::keyClick(picker, Qt::Key_Home);
    QCOMPARE(picker->currentText(), u"(unset)"_s);
    QVERIFY(!f.model->blocks().at(0).options.contains(u"AddKeysToAgent"_s));

    // The key chooser stores paths inside the home directory with "~".
    const QString home = f.home.path();
    const auto choose = [&f](const QString &chosen) {
        Dialogs::setNextFileName(chosen); // empty: cancelled
        QTest::mouseClick(f.find<QToolButton>(u"browseButton"_s), Qt::LeftButton);
        return f.model->blocks().at(0).options.value(u"IdentityFile"_s);
    };
    QCOMPARE(choose(u"/etc/ssh/key"_s), u"/etc/ssh/key"_s);
    QCOMPARE(choose(home + u"x/key"_s), home + u"x/key"_s); // a sibling merely starting with its name
    QCOMPARE(choose(home + u"/.ssh/id_ed25519"_s), u"~/.ssh/id_ed25519"_s);
    QCOMPARE(f.find<QLineEdit>(u"IdentityFileEdit"_s)->text(), u"~/.ssh/id_ed25519"_s);
    QCOMPARE(choose(QString()), u"~/.ssh/id_ed25519"_s);

    // The alias shows in the sidebar and header at once; the field keeps focus and cursor.
    auto *alias = f.find<QLineEdit>(u"hostAliasEdit"_s);
    alias->setFocus();
    alias->end(false);
    QTest::keyClicks(alias, u"2 "_s);
    QCOMPARE(f.model->blocks().at(0).pattern, u"web2 "_s);
    QCOMPARE(f.listedHosts(), QStringList({u"web2 "_s, u"db"_s}));
    QCOMPARE(f.find<QLabel>(u"hostNameLabel"_s)->text(), u"web2 "_s);
    QVERIFY(alias->hasFocus() && alias->cursorPosition() == 5);
}

void TestHostDetail::addedOptionNamesAreCheckedOnce()
{
    HostsFixture f(sampleConfig);
    f.clickRow(f.host(u"db"_s));
    const auto openSheet = [&f] {
        QTest::mouseClick(f.find<QToolButton>(u"addOptionButton"_s), Qt::LeftButton);
        return f.find<QDialog>(u"addOptionSheet"_s);
    };
    QDialog *sheet = openSheet();
    QVERIFY(sheet);
    auto *name = sheet->findChild<QLineEdit *>(u"nameEdit"_s);
    auto *confirm = sheet->findChild<QAbstractButton *>(u"confirmButton"_s);
    QVERIFY(!confirm->isEnabled());
    QTest::keyClick(name, Qt::Key_Return);
    QVERIFY(sheet->isVisible());
    // A name with a blank or "=" would be read back from the file as another option.
    for (const QString &bad : {u"Hash Known"_s, u"A=b"_s}) {
        QTest::keyClicks(name, bad);
        QVERIFY2(!confirm->isEnabled(), qPrintable(bad));
        name->clear();
    }
    QTest::keyClick(name, Qt::Key_Escape);
    QTRY_VERIFY(!f.find<QDialog>(u"addOptionSheet"_s));

    for (int i = 0; i < 2; ++i) {
        QVERIFY((sheet = openSheet()));
        QTest::keyClicks(sheet->findChild<QLineEdit *>(u"nameEdit"_s), u" HashKnownHosts "_s);
        QTest::keyClick(sheet->findChild<QLineEdit *>(u"nameEdit"_s), Qt::Key_Return);
        QTRY_VERIFY(!f.find<QDialog>(u"addOptionSheet"_s));
    }
    QCOMPARE(f.content->hostDetailView()->customOptionNames(), QStringList{u"HashKnownHosts"_s});
    auto *field = f.find<QLineEdit>(u"HashKnownHostsEdit"_s);
    QVERIFY(field && field->isVisible() && field->text().isEmpty());
    // No value yet: nothing for the file until one is typed.
    QVERIFY(!f.model->blocks().at(1).options.contains(u"HashKnownHosts"_s));
    QTest::keyClicks(field, u"yes"_s);
    QCOMPARE(f.model->blocks().at(1).options.value(u"HashKnownHosts"_s), u"yes"_s);
}

QTEST_MAIN(TestHostDetail)
#include "TestHostDetail.moc"
