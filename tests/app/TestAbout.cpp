#include "app/AboutCommand.h"
#include "app/AboutView.h"
#include "app/AppInfo.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDesktopServices>
#include <QtTest>

using namespace Qt::StringLiterals;

static QList<AboutPanel *> visiblePanels()
{
    QList<AboutPanel *> panels;
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (auto *panel = qobject_cast<AboutPanel *>(w); panel && panel->isVisible())
            panels.append(panel);
    }
    return panels;
}

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
    void linkOpensTheReadmeAsAFile();

private:
    QList<QUrl> m_opened;
};

void TestAbout::initTestCase()
{
    // The built-in guide is written to the cache folder, which must not be the real one.
    QStandardPaths::setTestModeEnabled(true);
    // The icon lives in a static library's resources, which a link can silently drop.
    AppInfo::configure(*qApp);
    const QImage icon = qApp->windowIcon().pixmap(64, 64).toImage();
    QVERIFY(!icon.isNull() && qAlpha(icon.pixel(32, 32)) > 0);
}

void TestAbout::aboutCommandReusesOpenPanelAndReplacesClosedOne()
{
    AboutCommand about;
    about.trigger();
    QPointer<AboutPanel> first = about.panel();
    about.trigger();
    QVERIFY(first);
    QCOMPARE(visiblePanels(), QList<AboutPanel *>{first});

    first->close();
    QVERIFY(visiblePanels().isEmpty());
    about.trigger();
    QCOMPARE(visiblePanels().size(), 1);
    QVERIFY(first.isNull()); // the hidden panel is dropped, not kept around
    QTest::keyClick(visiblePanels().constFirst(), Qt::Key_Escape);
    QVERIFY(visiblePanels().isEmpty());
}

void TestAbout::linkOpensTheReadmeAsAFile()
{
    QDesktopServices::setUrlHandler(u"file"_s, this, "recordUrl");
    AboutPanel panel;
    panel.show();
    auto *link = panel.findChild<QAbstractButton *>(u"readmeButton"_s);
    QVERIFY(link && link->isEnabled());
    QTest::mouseClick(link, Qt::LeftButton);
    QDesktopServices::unsetUrlHandler(u"file"_s);

    QCOMPARE(m_opened.size(), 1);
    const QFileInfo readme(m_opened.constFirst().toLocalFile());
    QVERIFY(readme.isFile() && readme.fileName() == u"README.md"_s);
}

QTEST_MAIN(TestAbout)
#include "TestAbout.moc"
