#include "ui/SymbolIcon.h"

#include <QGuiApplication>
#include <QHash>
#include <QIconEngine>
#include <QPainter>
#include <QPalette>

#include <optional>

using namespace Qt::StringLiterals;

namespace {
    // clang-format off
    const QHash<QString, QString> &symbolMap()
    {
        static const QHash<QString, QString> map {
            {u"plus"_s,                          u"list-add-symbolic"_s},
            {u"minus"_s,                         u"list-remove-symbolic"_s},
            {u"plus.circle"_s,                   u"list-add-symbolic"_s},
            {u"minus.circle"_s,                  u"list-remove-symbolic"_s},
            {u"plus.square.on.square"_s,         u"edit-copy-symbolic"_s},
            {u"arrow.clockwise"_s,               u"view-refresh-symbolic"_s},
            {u"square.and.arrow.down"_s,         u"document-save-symbolic"_s},
            {u"magnifyingglass"_s,               u"edit-find-symbolic"_s},
            {u"xmark.circle.fill"_s,             u"edit-clear-symbolic"_s},
            {u"globe"_s,                         u"web-browser-symbolic"_s},
            {u"network"_s,                       u"network-wired-symbolic"_s},
            {u"server.rack"_s,                   u"network-server-symbolic"_s},
            {u"shield.checkerboard"_s,           u"security-high-symbolic"_s},
            {u"checkmark.shield"_s,              u"security-high-symbolic"_s},
            {u"key"_s,                           u"dialog-password-symbolic"_s},
            {u"key.fill"_s,                      u"dialog-password-symbolic"_s},
            {u"lock.fill"_s,                     u"changes-prevent-symbolic"_s},
            {u"scroll"_s,                        u"x-office-document-symbolic"_s},
            {u"terminal"_s,                      u"utilities-terminal-symbolic"_s},
            {u"info.circle"_s,                   u"help-about-symbolic"_s},
            {u"info.circle.fill"_s,              u"help-about-symbolic"_s},
            {u"folder"_s,                        u"folder-symbolic"_s},
            {u"chevron.down.circle"_s,           u"pan-down-symbolic"_s},
            {u"chevron.up.circle"_s,             u"pan-up-symbolic"_s},
            {u"trash"_s,                         u"user-trash-symbolic"_s},
            {u"doc.on.clipboard"_s,              u"edit-paste-symbolic"_s},
            {u"checkmark.circle.fill"_s,         u"emblem-ok-symbolic"_s},
            {u"eye"_s,                           u"view-reveal-symbolic"_s},
            {u"exclamationmark.triangle.fill"_s, u"dialog-warning-symbolic"_s},
            {u"doc.text"_s,                      u"text-x-generic-symbolic"_s},
            {u"doc.badge.gearshape"_s,           u"application-x-executable-symbolic"_s},
            {u"pencil"_s,                        u"document-edit-symbolic"_s},
        };
        return map;
    }
    // clang-format on

    // Repaints the theme's symbolic artwork in one colour, at whatever size and scale is asked for.
    class TintedIconEngine final : public QIconEngine
    {
    public:
        TintedIconEngine(QIcon base, QColor tint, std::optional<Style::Tone> tone)
            : m_base(std::move(base))
            , m_tint(std::move(tint))
            , m_tone(tone)
        {}

        void paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State state) override
        {
            const qreal dpr = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
            painter->drawPixmap(rect, render(rect.size(), dpr, mode, state));
        }

        QPixmap pixmap(const QSize &size, QIcon::Mode mode, QIcon::State state) override
        {
            return render(size, 1.0, mode, state);
        }

        // QIcon hands the size in device pixels here, already multiplied by the scale.
        QPixmap scaledPixmap(const QSize &size, QIcon::Mode mode, QIcon::State state, qreal scale) override
        {
            return render((QSizeF(size) / scale).toSize(), scale, mode, state);
        }

        QSize actualSize(const QSize &size, QIcon::Mode mode, QIcon::State state) override
        {
            return m_base.actualSize(size, mode, state);
        }

        QIconEngine *clone() const override
        {
            return new TintedIconEngine(m_base, m_tint, m_tone);
        }
        QString key() const override
        {
            return u"KorvelTinted"_s;
        }
        QString iconName() override
        {
            return m_base.name();
        }

    private:
        // `size` in logical pixels; the result has size × scale device pixels and that ratio.
        QPixmap render(const QSize &size, qreal scale, QIcon::Mode mode, QIcon::State state) const
        {
            if (size.isEmpty())
                return {};
            // The theme's artwork at this scale: `size` is in logical pixels, the pixmap in device ones.
            QPixmap source = m_base.pixmap(size, scale, QIcon::Normal, state);
            QImage image = source.toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
            QColor color = m_tone             ? Style::color(*m_tone)
                           : m_tint.isValid() ? m_tint
                                              : QGuiApplication::palette().color(QPalette::WindowText);
            if (mode == QIcon::Selected)
                color = QGuiApplication::palette().color(QPalette::HighlightedText);
            if (mode == QIcon::Disabled)
                color.setAlphaF(color.alphaF() * 0.35f);
            {
                QPainter p(&image);
                p.setCompositionMode(QPainter::CompositionMode_SourceIn);
                p.fillRect(image.rect(), color);
            }
            QPixmap result = QPixmap::fromImage(image);
            result.setDevicePixelRatio(scale);
            return result;
        }

        QIcon m_base;
        QColor m_tint;
        std::optional<Style::Tone> m_tone;
    };

    // Creating a tinted icon costs far more than painting one, and delegates ask for the same few
    // on every paint. Icons are GUI objects, so this runs on the main thread only.
    QIcon cachedIcon(const QString &symbolName, const QColor &tint, std::optional<Style::Tone> tone)
    {
        static QHash<QString, QIcon> cache;
        const QString key =
            symbolName + u'|' + (tone ? QString::number(int(*tone)) : u'#' + tint.name(QColor::HexArgb));
        if (const auto found = cache.constFind(key); found != cache.cend())
            return *found;

        SymbolIcon::ensureIconTheme();
        QIcon result;
        const QString name = SymbolIcon::themeName(symbolName);
        if (QIcon base = QIcon::fromTheme(name); !name.isEmpty() && !base.isNull())
            result = QIcon(new TintedIconEngine(base, tint, tone));
        cache.insert(key, result);
        return result;
    }
} // namespace

namespace SymbolIcon {
    void ensureIconTheme()
    {
        static bool done = false;
        if (done)
            return;
        done = true;
        QStringList paths = QIcon::themeSearchPaths();
        for (const QString &dir : {u"/usr/share/icons"_s, u"/usr/local/share/icons"_s}) {
            if (!paths.contains(dir))
                paths.append(dir);
        }
        QIcon::setThemeSearchPaths(paths);
        QIcon::setFallbackThemeName(u"Adwaita"_s);
        // Offscreen and bare X sessions name no theme (or one without symbolic icons).
        if (QIcon::themeName().isEmpty() || !QIcon::hasThemeIcon(u"list-add-symbolic"_s))
            QIcon::setThemeName(u"Adwaita"_s);
    }

    QString themeName(const QString &symbolName)
    {
        return symbolMap().value(symbolName);
    }

    QStringList knownSymbols()
    {
        QStringList names = symbolMap().keys();
        names.sort();
        return names;
    }

    QIcon icon(const QString &symbolName, const QColor &tint)
    {
        return cachedIcon(symbolName, tint, std::nullopt);
    }

    QIcon icon(const QString &symbolName, Style::Tone tone)
    {
        return cachedIcon(symbolName, {}, tone);
    }
} // namespace SymbolIcon
