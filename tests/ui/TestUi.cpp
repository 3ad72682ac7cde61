#include "hosts/HostsFixture.h"
#include "scripts/ScriptDelegate.h"
#include "scripts/ScriptListModel.h"
#include "support/Palettes.h"
#include "ui/SymbolIcon.h"

#include <QPainter>
#include <QStandardItemModel>
#include <QStyle>

using namespace Qt::StringLiterals;

namespace {
    // A colour as the screen shows it over an opaque background.
    QColor over(const QColor &c, const QColor &background)
    {
        const float a = c.alphaF();
        return QColor::fromRgbF(c.redF() * a + background.redF() * (1 - a),
                                c.greenF() * a + background.greenF() * (1 - a),
                                c.blueF() * a + background.blueF() * (1 - a));
    }

    // The part of `image` within its first `width` device pixels that is not transparent.
    QImage ink(const QImage &image, int width)
    {
        QRect bounds;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < width; ++x)
                bounds |= qAlpha(image.pixel(x, y)) ? QRect(x, y, 1, 1) : QRect();
        }
        return image.copy(bounds);
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
    void symbolsResolveAndTakeTheTint();
    void iconsArePaintedAtTheDevicePixelRatio_data();
    void iconsArePaintedAtTheDevicePixelRatio();
    void panesFollowAPaletteSwitch();
    void returnAndEscapeNeverDestroy_data();
    void returnAndEscapeNeverDestroy();
};

void TestUi::symbolsResolveAndTakeTheTint()
{
    for (const QString &name : SymbolIcon::knownSymbols())
        QVERIFY2(!SymbolIcon::icon(name).pixmap(16, 16).isNull(), qPrintable(name));
    QVERIFY(SymbolIcon::icon(u"no.such.symbol"_s).isNull());
    const QImage image = SymbolIcon::icon(u"plus"_s, Qt::red).pixmap(32, 32).toImage();
    int inked = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.alpha() >= 200 && ++inked)
                QVERIFY(c.red() == 255 && c.green() == 0);
        }
    }
    QVERIFY(inked > 0);
}

void TestUi::iconsArePaintedAtTheDevicePixelRatio_data()
{
    QTest::addColumn<qreal>("scale");
    QTest::newRow("1.5x") << 1.5;
    QTest::newRow("2x") << 2.0;
}

void TestUi::iconsArePaintedAtTheDevicePixelRatio()
{
    QFETCH(qreal, scale);
    QStandardItemModel model;
    model.appendRow(new QStandardItem(u"deploy"_s));
    model.setData(model.index(0, 0), true, ScriptListModel::EditableRole);
    ScriptDelegate delegate;
    QStyleOptionViewItem option;
    option.state = QStyle::State_Enabled | QStyle::State_Active;
    option.rect = QRect(0, 0, 240, delegate.sizeHint(option, model.index(0, 0)).height());
    QImage row((QSizeF(option.rect.size()) * scale).toSize(), QImage::Format_ARGB32_Premultiplied);
    row.setDevicePixelRatio(scale);
    row.fill(Qt::transparent);
    QPainter painter(&row);
    delegate.paint(&painter, option, model.index(0, 0));
    painter.end();
    // The row shows exactly the icon rendered at this scale (left of the text, which starts 30
    // pixels in), not a smaller rendering blown up.
    const QColor tint = Style::color(ScriptDelegate::tone(true), option.palette);
    QImage icon = SymbolIcon::icon(ScriptDelegate::symbol(true), tint).pixmap(QSize(16, 16), scale).toImage();
    icon.setDevicePixelRatio(scale);
    QCOMPARE(icon.size(), (QSizeF(16, 16) * scale).toSize());
    QCOMPARE(ink(row, int(30 * scale)), ink(icon.convertToFormat(row.format()), icon.width()));
}

void TestUi::panesFollowAPaletteSwitch()
{
    QApplication::setStyle(u"Fusion"_s);
    const QPalette light = QApplication::style()->standardPalette();
    const QPalette dark = Palettes::dark();
    QApplication::setPalette(light);
    HostsFixture f("Host web-prod\n    HostName 10.20.0.15\n    User deploy\n");
    TestSupport::writeFile(f.locations.knownHostsFile, "web-prod ssh-ed25519 AAAAC3NzaC1lZDI1NTE5AAAAIA\n");
    TestSupport::writeScript(f.locations.scriptsDir + u"/backup"_s, "echo backup\n");
    const std::optional<SidebarItem> items[] = {std::nullopt,
                                                f.host(u"web-prod"_s),
                                                SidebarItem::knownHosts(),
                                                SidebarItem::sshKeys(),
                                                SidebarItem::scripts()};
    for (const auto &item : items) {
        f.content->setSelectedItem(item);
        for (const QPalette &palette : {dark, light}) {
            QApplication::setPalette(palette);
            // Windows take a new application palette from the event loop.
            QTRY_COMPARE(f.window->palette().color(QPalette::Window), palette.color(QPalette::Window));
            const QPalette &other = palette == dark ? light : dark;
            // Every widget shows its text against its own background, in colours of this palette.
            for (QWidget *w : f.window->findChildren<QWidget *>()) {
                if (!w->isVisible())
                    continue;
                // Disabled text is faint on purpose; the active colours are the ones to read.
                QPalette p = w->palette();
                p.setCurrentColorGroup(QPalette::Active);
                const QString name = QString::fromLatin1(w->metaObject()->className()) + u' ' + w->objectName();
                for (const auto &[text, back] : {std::pair(QPalette::WindowText, QPalette::Window),
                                                 std::pair(QPalette::Text, QPalette::Base),
                                                 std::pair(QPalette::ButtonText, QPalette::Button)}) {
                    const QColor shown = over(p.color(back), p.color(QPalette::Window));
                    QVERIFY2(Style::contrast(over(p.color(text), shown), shown) >= 2.5, qPrintable(name));
                    QVERIFY2(p.color(back) != other.color(back) || p.color(back) == palette.color(back),
                             qPrintable(name + u" kept a colour of the other palette"_s));
                }
            }
        }
    }
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
    // The real box, as the user meets it: the key goes to whatever has the focus in it.
    QTimer::singleShot(0, &window, [&] {
        auto *box = window.findChild<QMessageBox *>(u"questionBox"_s);
        QVERIFY(box && box->isVisible());
        QTest::keyClick(box->focusWidget() ? box->focusWidget() : box, Qt::Key(key));
        if (box->isVisible())
            box->reject();
    });
    const QList<Dialogs::Choice> choices = {{u"Save & Reload"_s},
                                            {u"Discard & Reload"_s, QMessageBox::DestructiveRole},
                                            {u"Cancel"_s, QMessageBox::RejectRole}};
    QCOMPARE(Dialogs::ask(&window, u"Unsaved Changes"_s, u"?"_s, choices, QMessageBox::Warning, defaultChoice), chosen);
}

QTEST_MAIN(TestUi)
#include "TestUi.moc"
