#include "hosts/HostsFixture.h"

#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QPushButton>

using namespace Qt::StringLiterals;

// The keys pane as the main window builds it, over the window's config.
class TestKeysInWindow final : public QObject
{
    Q_OBJECT
private slots:
    void cleanup()
    {
        Dialogs::reset();
    }
    void hostsOfIncludedFilesCount();
};

void TestKeysInWindow::hostsOfIncludedFilesCount()
{
    HostsFixture f("Include extra.conf\n\nHost web \"web 2\" *.lan\n    IdentityFile ~/.ssh/id_a\n");
    TestSupport::writeFile(
        f.locations.sshDir + u"/extra.conf"_s,
        "Host inc\n    CertificateFile %d/.ssh/id_a-cert.pub\nHost other\n    IdentityFile ~/.ssh/b\n");
    TestSupport::writeFile(f.locations.sshDir + u"/id_a"_s, "private");
    TestSupport::writeFile(f.locations.sshDir + u"/id_a.pub"_s, "ssh-ed25519 AAAA a\n");
    f.content->setSelectedItem(SidebarItem::sshKeys());
    auto *keys = f.find<QListView>(u"keyList"_s);
    QVERIFY(keys);
    QTRY_COMPARE(keys->model()->rowCount(), 1);
    keys->setCurrentIndex(keys->model()->index(0, 0));
    QCOMPARE(f.find<QLabel>(u"usedByValue"_s)->text(), u"web \"web 2\" *.lan, inc"_s);

    f.find<QPushButton>(u"copyToServerButton"_s)->click();
    auto *hosts = f.find<QComboBox>(u"hostChoice"_s);
    QVERIFY(hosts);
    QStringList offered;
    for (int i = 0; i < hosts->count(); ++i)
        offered << hosts->itemText(i);
    QCOMPARE(offered, (QStringList{u"web"_s, u"web 2"_s, u"inc"_s, u"other"_s}));
    f.find<QDialog>(u"copyToServerSheet"_s)->reject();
}

QTEST_MAIN(TestKeysInWindow)
#include "TestKeysInWindow.moc"
