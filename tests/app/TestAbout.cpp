#include "app/AboutView.h"
#include "app/AppDelegate.h"
#include "app/AppInfo.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDesktopServices>
#include <QFileInfo>
#include <QScreen>
#include <QUrl>
#include <QtTest>

using namespace Qt::StringLiterals;

class TestAbout final : public QObject
{
    Q_OBJECT
public slots:
    void recordUrl(const QUrl &url)
    {
        m_opened.append(url);
    }

private slots:
    void initTestCase();
    void aboutCommandReusesOpenPanelAndReplacesClosedOne();
    void aboutBeforeLaunchIsIgnored();
    void linkOpensTheReadmeAsAFile();

private:
    static QList<AboutPanel *> visiblePanels();
    QList<QUrl> m_opened;
};

void TestAbout::initTestCase()
{
    AppInfo::configure(*qApp);
    // The icon lives in a static library's resources, which a link can silently drop.
    const QImage icon = qApp->windowIcon().pixmap(64, 64).toImage();
    QVERIFY(!icon.isNull());
    QVERIFY(qAlpha(icon.pixel(32, 32)) > 0);
}

QList<AboutPanel *> TestAbout::visiblePanels()
{
    QList<AboutPanel *> panels;
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (auto *panel = qobject_cast<AboutPanel *>(w); panel && panel->isVisible())
            panels.append(panel);
    }
    return panels;
}

void TestAbout::aboutCommandReusesOpenPanelAndReplacesClosedOne()
{
    AppDelegate delegate;
    delegate.applicationDidFinishLaunching(nullptr);
    QCOMPARE(AppDelegate::shared(), &delegate);

    AppDelegate::showAbout();
    QPointer<AboutPanel> first = delegate.aboutPanel();
    QVERIFY(first);
    AppDelegate::showAbout();
    QCOMPARE(visiblePanels().size(), 1);
    QCOMPARE(delegate.aboutPanel(), first.data());

    first->close();
    QVERIFY(visiblePanels().isEmpty());
    AppDelegate::showAbout();
    QCOMPARE(visiblePanels().size(), 1);
    AboutPanel *second = visiblePanels().constFirst();
    QVERIFY(first.isNull()); // the hidden panel is dropped, not kept around
    QCOMPARE(second->size(), QSize(300, 310));
    QCOMPARE(second->windowTitle(), u"About Korvel"_s);
    QVERIFY(second->windowFlags().testFlag(Qt::Tool));
    QVERIFY(!second->windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    QVERIFY(qAbs(second->frameGeometry().center().x() - screen.center().x()) <= 1);
    QVERIFY(qAbs(second->frameGeometry().center().y() - screen.center().y()) <= 1);
}

void TestAbout::aboutBeforeLaunchIsIgnored()
{
    {
        AppDelegate delegate;
        delegate.applicationDidFinishLaunching(nullptr);
    }
    // The delegate is gone, so the command has nobody to run it.
    QCOMPARE(AppDelegate::shared(), nullptr);
    AppDelegate::showAbout();
    QVERIFY(visiblePanels().isEmpty());
}

void TestAbout::linkOpensTheReadmeAsAFile()
{
    QDesktopServices::setUrlHandler(u"file"_s, this, "recordUrl");
    AboutPanel panel;
    panel.show();
    auto *link = panel.findChild<QAbstractButton *>(u"readmeButton"_s);
    QVERIFY(link);
    QVERIFY(link->isEnabled());
    QTest::mouseClick(link, Qt::LeftButton);
    QDesktopServices::unsetUrlHandler(u"file"_s);

    QCOMPARE(m_opened.size(), 1);
    const QUrl url = m_opened.constFirst();
    QCOMPARE(url.scheme(), u"file"_s);
    QVERIFY(QFileInfo(url.toLocalFile()).isFile());
    QCOMPARE(QFileInfo(url.toLocalFile()).fileName(), u"README.md"_s);
}

QTEST_MAIN(TestAbout)
#include "TestAbout.moc"
