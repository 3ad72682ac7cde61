#include "core/Locations.h"
#include "ui/Dialogs.h"
#include "ui/InfoButton.h"
#include "ui/PaneChrome.h"
#include "ui/SymbolIcon.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QFrame>
#include <QLabel>
#include <QPainter>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {
    QList<Dialogs::Choice> saveChoices()
    {
        return {{u"Save & Reload"_s},
                {u"Discard & Reload"_s, QMessageBox::DestructiveRole},
                {u"Cancel"_s, QMessageBox::RejectRole}};
    }

    // What the user sees or hears: the text without its mnemonic marks.
    QString shownText(QWidget *widget)
    {
        QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(widget);
        return accessible ? accessible->text(QAccessible::Name) : QString();
    }
} // namespace

class TestUi final : public QObject
{
    Q_OBJECT
private slots:
    void cleanup()
    {
        Dialogs::reset();
    }
    void everySymbolResolves();
    void tintPaintsTheGivenColour();
    void infoPopoverOpensAndClosesOnEscape();
    void returnAndEscapeNeverDestroy_data();
    void returnAndEscapeNeverDestroy();
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

    // Sharp at every scale: a 16 pixel icon has 16 × scale device pixels, whichever way it is drawn.
    const QIcon icon = SymbolIcon::icon(u"plus"_s, Qt::red);
    for (const qreal scale : {1.0, 1.5, 2.0}) {
        const QPixmap pixmap = icon.pixmap(QSize(16, 16), scale);
        QCOMPARE(pixmap.size(), (QSizeF(16, 16) * scale).toSize());
        QCOMPARE(pixmap.devicePixelRatio(), scale);
        QImage canvas(QSize(32, 32) * scale, QImage::Format_ARGB32_Premultiplied);
        canvas.setDevicePixelRatio(scale);
        canvas.fill(Qt::transparent);
        QPainter painter(&canvas);
        icon.paint(&painter, QRect(0, 0, 16, 16));
        painter.end();
        QVERIFY(canvas.pixelColor(QPoint(int(8 * scale), int(8 * scale))).alpha() > 0);
        QCOMPARE(canvas.pixelColor(QPoint(int(24 * scale), int(24 * scale))).alpha(), 0);
    }
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

void TestUi::returnAndEscapeNeverDestroy_data()
{
    QTest::addColumn<int>("defaultChoice");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("chosen");
    QTest::newRow("Return, no default named") << -1 << int(Qt::Key_Return) << 2;
    QTest::newRow("Return, the destructive one named") << 1 << int(Qt::Key_Return) << 2;
    QTest::newRow("Return, a harmless one named") << 0 << int(Qt::Key_Return) << 0;
    QTest::newRow("Escape") << 0 << int(Qt::Key_Escape) << 2;
}

void TestUi::returnAndEscapeNeverDestroy()
{
    QFETCH(int, defaultChoice);
    QFETCH(int, key);
    QFETCH(int, chosen);
    QWidget window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QStringList shown;
    Qt::WindowFlags flags;
    // The real box, as the user meets it: the key goes to whatever has the focus in it.
    QTimer::singleShot(0, &window, [&] {
        auto *box = window.findChild<QMessageBox *>(u"questionBox"_s);
        QVERIFY(box && box->isVisible());
        flags = box->windowFlags();
        for (QAbstractButton *button : box->buttons())
            shown << shownText(button);
        QTest::keyClick(box->focusWidget() ? box->focusWidget() : box, Qt::Key(key));
        if (box->isVisible())
            box->reject();
    });
    QCOMPARE(Dialogs::ask(&window, u"Unsaved Changes"_s, u"?"_s, saveChoices(), QMessageBox::Warning, defaultChoice),
             chosen);
    shown.sort(); // the box lays its buttons out by role
    QCOMPARE(shown, QStringList({u"Cancel"_s, u"Discard & Reload"_s, u"Save & Reload"_s}));
    QVERIFY(flags.testFlag(Qt::CustomizeWindowHint) && flags.testFlag(Qt::WindowCloseButtonHint));
    QVERIFY(!flags.testFlag(Qt::WindowMinimizeButtonHint) && !flags.testFlag(Qt::WindowMaximizeButtonHint));
}

void TestUi::queuedAnswersPickButtonsByText()
{
    Dialogs::setTestMode(true);
    Dialogs::setNextAnswer(u"Discard & Reload"_s);
    QCOMPARE(Dialogs::ask(nullptr, u"Unsaved Changes"_s, u"msg"_s, saveChoices(), QMessageBox::Warning, 1), 1);
    // Nothing queued: dismissed, never a blocking box.
    QCOMPARE(Dialogs::ask(nullptr, u"Again"_s, u"msg"_s, saveChoices()), -1);
    QCOMPARE(Dialogs::asked().size(), 2);
    QCOMPARE(Dialogs::asked().constFirst().title, u"Unsaved Changes"_s);
    QCOMPARE(Dialogs::asked().constFirst().defaultChoice, 2);
    QCOMPARE(Dialogs::asked().constFirst().escapeChoice, 2);

    // A test that stops half-way leaves nothing queued for the next one.
    Dialogs::setNextAnswer(u"Discard & Reload"_s);
    Dialogs::reset();
    Dialogs::setTestMode(true);
    QCOMPARE(Dialogs::ask(nullptr, u"Unsaved Changes"_s, u"msg"_s, saveChoices()), -1);
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
