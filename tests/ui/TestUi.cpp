#include "core/Locations.h"
#include "ui/Dialogs.h"
#include "ui/InfoButton.h"
#include "ui/PaneChrome.h"
#include "ui/SymbolIcon.h"

#include <QFrame>
#include <QLabel>
#include <QtTest>

using namespace Qt::StringLiterals;

class TestUi final : public QObject
{
    Q_OBJECT
private slots:
    void cleanup()
    {
        Dialogs::setTestMode(false);
        Dialogs::asked().clear();
    }
    void everySymbolResolves();
    void tintPaintsTheGivenColour();
    void infoPopoverOpensAndClosesOnEscape();
    void queuedAnswersPickButtonsByText();
    void statusLineElidesInTheMiddle();
    void locationsFollowTheHomeDirectory();
};

void TestUi::everySymbolResolves()
{
    for (const QString &name : SymbolIcon::knownSymbols()) {
        const QIcon icon = SymbolIcon::icon(name);
        QVERIFY2(!icon.isNull(), qPrintable(name));
        QVERIFY2(!icon.pixmap(16, 16).isNull(), qPrintable(name));
    }
    QVERIFY(SymbolIcon::icon(u"no.such.symbol"_s).isNull());
}

void TestUi::tintPaintsTheGivenColour()
{
    const QImage image = SymbolIcon::icon(u"plus"_s, Qt::red).pixmap(32, 32).toImage();
    bool sawInk = false;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.alpha() < 200)
                continue;
            sawInk = true;
            QCOMPARE(c.red(), 255);
            QCOMPARE(c.green(), 0);
        }
    }
    QVERIFY(sawInk);
}

void TestUi::infoPopoverOpensAndClosesOnEscape()
{
    QWidget window;
    auto *button = new InfoButton(u"Some help text"_s, &window);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    QTest::mouseClick(button, Qt::LeftButton);
    QVERIFY(button->isShown());
    QCOMPARE(button->popover()->findChild<QLabel *>(u"infoText"_s)->text(), u"Some help text"_s);
    QTest::keyClick(button->popover(), Qt::Key_Escape);
    QTRY_VERIFY(!button->isShown());

    // A second press of the button closes an open popover instead of stacking another.
    QTest::mouseClick(button, Qt::LeftButton);
    QVERIFY(button->isShown());
    button->click();
    QTRY_VERIFY(!button->isShown());
}

void TestUi::queuedAnswersPickButtonsByText()
{
    Dialogs::setTestMode(true);
    Dialogs::asked().clear();
    const QList<Dialogs::Choice> choices{{u"Save & Reload"_s},
                                         {u"Discard & Reload"_s, QMessageBox::DestructiveRole},
                                         {u"Cancel"_s, QMessageBox::RejectRole}};
    Dialogs::setNextAnswer(u"Discard & Reload"_s);
    QCOMPARE(Dialogs::ask(nullptr, u"Unsaved Changes"_s, u"msg"_s, choices), 1);
    // Nothing queued: dismissed, never a blocking box.
    QCOMPARE(Dialogs::ask(nullptr, u"Again"_s, u"msg"_s, choices), -1);
    QCOMPARE(Dialogs::asked().size(), 2);
    QCOMPARE(Dialogs::asked().constFirst().title, u"Unsaved Changes"_s);
    QCOMPARE(Dialogs::asked().constFirst().buttons.size(), 3);
}

void TestUi::statusLineElidesInTheMiddle()
{
    StatusLine line;
    const QString text = u"Saved — backup created in ~/.ssh/ and then a great deal more text to cut"_s;
    line.setFullText(text);
    line.resize(120, line.sizeHint().height());
    line.show();
    QVERIFY(line.text().contains(QChar(0x2026)));
    QVERIFY(line.text().startsWith(u"Sav"_s));
    QCOMPARE(line.toolTip(), text);
}

void TestUi::locationsFollowTheHomeDirectory()
{
    const Locations l = Locations::forHome(u"/tmp/x/home/"_s, u"/tmp/x/bin"_s);
    QCOMPARE(l.configFile, u"/tmp/x/home/.ssh/config"_s);
    QCOMPARE(l.knownHostsFile, u"/tmp/x/home/.ssh/known_hosts"_s);
    QVERIFY(!Locations::system().homeDir.isEmpty());
}

QTEST_MAIN(TestUi)
#include "TestUi.moc"
