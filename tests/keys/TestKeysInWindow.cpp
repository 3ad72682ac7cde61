#include "hosts/HostsFixture.h"

#include <QLabel>

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
}

QTEST_MAIN(TestKeysInWindow)
#include "TestKeysInWindow.moc"
