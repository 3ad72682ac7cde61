#include "hosts/HostsFixture.h"
#include "hosts/SidebarDelegate.h"
#include "keys/KeyDelegate.h"
#include "keys/KeyListModel.h"
#include "scripts/ScriptDelegate.h"
#include "scripts/ScriptListModel.h"
#include "support/Palettes.h"
#include "ui/InfoButton.h"
#include "ui/PaneChrome.h"
#include "ui/SymbolIcon.h"

#include <QPainter>
#include <QStandardItemModel>
#include <QStyle>

using namespace Qt::StringLiterals;

namespace {
    QList<Dialogs::Choice> saveChoices()
    {
        return {{u"Save & Reload"_s},
                {u"Discard & Reload"_s, QMessageBox::DestructiveRole},
                {u"Cancel"_s, QMessageBox::RejectRole}};
    }

    // A colour as the screen shows it over an opaque background.
    QColor over(const QColor &c, const QColor &background)
    {
        const float a = c.alphaF();
        return QColor::fromRgbF(c.redF() * a + background.redF() * (1 - a),
                                c.greenF() * a + background.greenF() * (1 - a),
                                c.blueF() * a + background.blueF() * (1 - a));
    }

    // The device pixels within `area` that differ from white: an icon's ink on a blank row.
    QRect inkBounds(const QImage &image, const QRect &area)
    {
        QRect bounds;
        for (int y = area.top(); y <= area.bottom(); ++y) {
            for (int x = area.left(); x <= area.right(); ++x) {
                const QColor c = image.pixelColor(x, y);
                if (c.red() < 248 || c.green() < 248 || c.blue() < 248)
                    bounds |= QRect(x, y, 1, 1);
            }
        }
        return bounds;
    }

    // How a part of the window reads: its most common colour is the background, and the pixels that
    // stand clearly apart from it are text and glyphs.
    struct Reading {
        qreal background = 0;
        int ink = 0;
        int lighterInk = 0;
    };
    Reading readRegion(const QImage &image, const QRect &area)
    {
        QHash<QRgb, int> counts;
        for (int y = area.top(); y <= area.bottom(); ++y) {
            for (int x = area.left(); x <= area.right(); ++x)
                ++counts[image.pixel(x, y)];
        }
        QRgb common = 0;
        for (auto it = counts.cbegin(); it != counts.cend(); ++it) {
            if (it.value() > counts.value(common))
                common = it.key();
        }
        Reading r;
        r.background = QColor(common).lightnessF();
        for (auto it = counts.cbegin(); it != counts.cend(); ++it) {
            const qreal lightness = QColor(it.key()).lightnessF();
            if (std::abs(lightness - r.background) > 0.3) {
                r.ink += it.value();
                r.lighterInk += lightness > r.background ? it.value() : 0;
            }
        }
        return r;
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
    void delegatesPaintSharpIcons_data();
    void delegatesPaintSharpIcons();
    void panesFollowAPaletteSwitch();
    void infoButtonClosesItsPopover();
    void returnAndEscapeNeverDestroy_data();
    void returnAndEscapeNeverDestroy();
    void statusLineElidesInTheMiddle();
};

void TestUi::symbolsResolveAndTakeTheTint()
{
    for (const QString &name : SymbolIcon::knownSymbols())
        QVERIFY2(!SymbolIcon::icon(name).pixmap(16, 16).isNull(), qPrintable(name));
    QVERIFY(SymbolIcon::icon(u"no.such.symbol"_s).isNull());
    const QImage image = SymbolIcon::icon(u"plus"_s, Qt::red).pixmap(32, 32).toImage();
    int ink = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.alpha() >= 200 && ++ink)
                QVERIFY(c.red() == 255 && c.green() == 0);
        }
    }
    QVERIFY(ink > 0);
}

void TestUi::delegatesPaintSharpIcons_data()
{
    QTest::addColumn<QString>("list");
    QTest::addColumn<qreal>("scale");
    for (const char *list : {"sidebar", "keys", "scripts"}) {
        for (const qreal scale : {1.0, 1.5, 2.0})
            QTest::addRow("%s at %gx", list, scale) << QString::fromLatin1(list) << scale;
    }
}

void TestUi::delegatesPaintSharpIcons()
{
    QFETCH(QString, list);
    QFETCH(qreal, scale);
    // One row of each list as its model gives it, and the icon the row should show.
    auto *item = new QStandardItem(u"web-prod"_s);
    std::unique_ptr<QStyledItemDelegate> delegate;
    QString symbol;
    Style::Tone tone = Style::Tone::Accent;
    if (list == "sidebar"_L1) {
        item->setData(int(SidebarModel::RowKind::host), SidebarModel::RowKindRole);
        item->setData(u"server.rack"_s, SidebarModel::SymbolRole);
        item->setData(true, SidebarModel::HasSubtitleRole);
        item->setData(u"deploy@10.20.0.15"_s, SidebarModel::SubtitleRole);
        delegate = std::make_unique<SidebarDelegate>();
        symbol = u"server.rack"_s;
    } else if (list == "keys"_L1) {
        item->setData(u"ssh-ed25519"_s, KeyListModel::KeyTypeRole);
        item->setData(u"sam@workstation"_s, KeyListModel::CommentRole);
        delegate = std::make_unique<KeyDelegate>();
        symbol = KeyDelegate::typeIcon(u"ssh-ed25519"_s).symbol;
        tone = KeyDelegate::typeIcon(u"ssh-ed25519"_s).tone;
    } else {
        item->setData(true, ScriptListModel::EditableRole);
        delegate = std::make_unique<ScriptDelegate>();
        symbol = ScriptDelegate::symbol(true);
        tone = ScriptDelegate::tone(true);
    }
    QStandardItemModel model;
    model.appendRow(item);
    const QModelIndex index = model.index(0, 0);
    QStyleOptionViewItem option;
    option.state = QStyle::State_Enabled | QStyle::State_Active;
    option.font = QApplication::font();
    option.fontMetrics = QFontMetrics(option.font);
    option.rect = QRect(QPoint(0, 0), QSize(240, delegate->sizeHint(option, index).height()));

    QImage row((QSizeF(option.rect.size()) * scale).toSize(), QImage::Format_ARGB32_Premultiplied);
    row.setDevicePixelRatio(scale);
    row.fill(Qt::white);
    {
        QPainter painter(&row);
        delegate->paint(&painter, option, index);
    }
    // The same icon rendered straight at this scale: the row must show exactly these pixels, not a
    // smaller rendering blown up, nor one at another size.
    QPixmap icon = SymbolIcon::icon(symbol, Style::color(tone, option.palette)).pixmap(QSize(16, 16), scale);
    QCOMPARE(icon.size(), (QSizeF(16, 16) * scale).toSize());
    icon.setDevicePixelRatio(1);
    QImage reference(icon.size(), QImage::Format_ARGB32_Premultiplied);
    reference.fill(Qt::white);
    {
        QPainter painter(&reference);
        painter.drawPixmap(0, 0, icon);
    }
    const QRect expected = inkBounds(reference, reference.rect());
    // Left of the text, which starts 30 pixels in or later.
    const QRect found = inkBounds(row, QRect(0, 0, int(30 * scale), row.height()));
    QVERIFY(!expected.isEmpty() && found.size() == expected.size());
    for (int y = 0; y < found.height(); ++y) {
        for (int x = 0; x < found.width(); ++x) {
            const QColor want = reference.pixelColor(expected.topLeft() + QPoint(x, y));
            const QColor got = row.pixelColor(found.topLeft() + QPoint(x, y));
            QVERIFY2(std::abs(want.red() - got.red()) <= 3 && std::abs(want.green() - got.green()) <= 3
                         && std::abs(want.blue() - got.blue()) <= 3,
                     qPrintable(u"pixel %1,%2"_s.arg(x).arg(y)));
        }
    }
    // Centred on the row, give or take a device pixel or two.
    QVERIFY(std::abs(found.center().y() - row.height() / 2) <= 2);
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
    MainWindow &window = *f.window;
    window.resize(1000, 680);
    ContentView *content = f.content;
    QWidget *detail = f.find(u"detailColumn"_s);

    const std::optional<SidebarItem> items[] = {std::nullopt,
                                                f.host(u"web-prod"_s),
                                                SidebarItem::knownHosts(),
                                                SidebarItem::sshKeys(),
                                                SidebarItem::scripts()};
    for (const auto &item : items) {
        content->setSelectedItem(item);
        for (const QPalette &palette : {dark, light}) {
            QApplication::setPalette(palette);
            // Windows take a new application palette from the event loop.
            QTRY_COMPARE(window.palette().color(QPalette::Window), palette.color(QPalette::Window));
            const bool isDark = palette.color(QPalette::Window).lightnessF() < 0.5;
            const QString where = isDark ? u"dark, "_s : u"light, "_s;
            // Every widget shows its text against its own background, in colours of this palette.
            for (QWidget *w : window.findChildren<QWidget *>()) {
                if (!w->isVisible())
                    continue;
                // Disabled text is faint on purpose; the active colours are the ones to read.
                QPalette p = w->palette();
                p.setCurrentColorGroup(QPalette::Active);
                const QString name = where + QString::fromLatin1(w->metaObject()->className()) + u' ' + w->objectName();
                const QColor back = p.color(QPalette::Window);
                const QColor base = over(p.color(QPalette::Base), back);
                QVERIFY2(Style::contrast(over(p.color(QPalette::WindowText), back), back) >= 2.5, qPrintable(name));
                QVERIFY2(Style::contrast(over(p.color(QPalette::Text), base), base) >= 2.5, qPrintable(name));
                QVERIFY2(Style::contrast(over(p.color(QPalette::ButtonText), p.color(QPalette::Button)),
                                         p.color(QPalette::Button))
                             >= 2.5,
                         qPrintable(name));
                const QPalette &other = isDark ? light : dark;
                for (const QPalette::ColorRole role : {QPalette::Window, QPalette::Base, QPalette::Button}) {
                    QVERIFY2(p.color(role) != other.color(role) || p.color(role) == palette.color(role),
                             qPrintable(name + u" kept a colour of the other palette"_s));
                }
            }
            // And on screen: a background of the scheme's lightness, with text and glyphs that stand
            // out from it the right way.
            const QImage shot = window.grab().toImage();
            const qreal dpr = shot.devicePixelRatio();
            for (QWidget *region : {static_cast<QWidget *>(content->sidebarList()->viewport()), detail}) {
                const QRect area(region->mapTo(&window, QPoint(0, 0)) * dpr, region->size() * dpr);
                const Reading r = readRegion(shot, area);
                QVERIFY2(isDark ? r.background < 0.3 : r.background > 0.7, qPrintable(where + region->objectName()));
                QVERIFY2(r.ink > 100, qPrintable(where + region->objectName()));
                const int rightWay = isDark ? r.lighterInk : r.ink - r.lighterInk;
                QVERIFY2(rightWay >= r.ink * 0.85,
                         qPrintable(where + region->objectName() + u": %1 of %2"_s.arg(rightWay).arg(r.ink)));
            }
        }
    }
}

void TestUi::infoButtonClosesItsPopover()
{
    QWidget window;
    auto *button = new InfoButton(u"Some help text"_s, &window);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

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
            shown << HostsFixture::shownText(button);
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

void TestUi::statusLineElidesInTheMiddle()
{
    StatusLine line;
    const QString text = u"Saved — backup created in ~/.ssh/ and then a great deal more text to cut"_s;
    line.setFullText(text);
    line.resize(120, line.sizeHint().height());
    line.show();
    QVERIFY(line.text().startsWith(u"Sav"_s) && line.text().contains(QChar(0x2026)));
    QCOMPARE(line.toolTip(), text);
}

QTEST_MAIN(TestUi)
#include "TestUi.moc"
