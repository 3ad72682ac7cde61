#include "ui/Style.h"

#include <QApplication>
#include <QEvent>
#include <QFontDatabase>
#include <QPalette>
#include <QWidget>

#include <cmath>

namespace {
    qreal channel(qreal v)
    {
        return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    }

    qreal luminance(const QColor &c)
    {
        return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
    }

    QColor withAlpha(QColor c, float alpha)
    {
        c.setAlphaF(alpha);
        return c;
    }

    // The hue made lighter on a dark background, darker on a light one, until it stands out from it
    // by the given contrast ratio.
    QColor readable(QColor hue, const QColor &background, qreal minimum)
    {
        const bool dark = luminance(background) < 0.18;
        for (int i = 0; i < 24 && Style::contrast(hue, background) < minimum; ++i)
            hue = dark ? hue.lighter(106) : hue.darker(106);
        return hue;
    }

    // What the eye needs: 3:1 for icons and marks, 4.5:1 for text (WCAG AA).
    constexpr qreal graphicContrast = 3.0;
    constexpr qreal textContrast = 4.5;

    QColor toneColor(Style::Tone tone, const QPalette &palette, qreal minimum)
    {
        using Style::Tone;
        const QColor text = palette.color(QPalette::WindowText);
        const QColor window = palette.color(QPalette::Window);
        switch (tone) {
        case Tone::Label:
            return text;
        case Tone::Secondary:
            return withAlpha(text, 0.62f);
        case Tone::Tertiary:
            return withAlpha(text, 0.38f);
        case Tone::Hairline:
            return withAlpha(text, 0.15f);
        case Tone::Accent:
            return readable(palette.color(QPalette::Highlight), window, minimum);
        case Tone::Warning:
            return readable(QColor(0xff, 0x95, 0x00), window, minimum);
        case Tone::Destructive:
            return readable(QColor(0xff, 0x3b, 0x30), window, minimum);
        case Tone::Success:
            return readable(QColor(0x34, 0xc7, 0x59), window, minimum);
        case Tone::Brand:
            return readable(QColor(208, 30, 30), window, minimum);
        }
        return text;
    }

    // Runs a widget's restyling on palette and style changes; its own setPalette() comes back here once.
    class Restyler final : public QObject
    {
    public:
        Restyler(QWidget *widget, std::function<void()> apply)
            : QObject(widget)
            , m_apply(std::move(apply))
        {
            widget->installEventFilter(this);
            run();
        }

        bool eventFilter(QObject *, QEvent *event) override
        {
            if (event->type() == QEvent::PaletteChange || event->type() == QEvent::StyleChange)
                run();
            return false;
        }

    private:
        void run()
        {
            if (m_running)
                return;
            m_running = true;
            m_apply();
            m_running = false;
        }

        std::function<void()> m_apply;
        bool m_running = false;
    };

    const char *const toneProperty = "korvelTextTone";
} // namespace

namespace Style {
    QColor color(Tone tone, const QPalette &palette)
    {
        return toneColor(tone, palette, graphicContrast);
    }

    QColor textColor(Tone tone, const QPalette &palette)
    {
        return toneColor(tone, palette, textContrast);
    }

    QColor color(Tone tone)
    {
        return color(tone, QGuiApplication::palette());
    }

    qreal contrast(const QColor &a, const QColor &b)
    {
        const qreal la = luminance(a);
        const qreal lb = luminance(b);
        return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
    }

    void whenRestyled(QWidget *widget, std::function<void()> apply)
    {
        new Restyler(widget, std::move(apply));
    }

    QPalette inheritedPalette(const QWidget *widget)
    {
        const QWidget *parent = widget->parentWidget();
        return parent ? parent->palette() : QApplication::palette(widget);
    }

    void setTextColor(QWidget *widget, Tone tone)
    {
        const bool following = widget->property(toneProperty).isValid();
        widget->setProperty(toneProperty, int(tone));
        const auto apply = [widget] {
            // Not from the widget's own palette: its text roles are the ones set here.
            const QColor c = textColor(Tone(widget->property(toneProperty).toInt()), inheritedPalette(widget));
            QPalette p = widget->palette();
            // Disabled text keeps the palette's own colour, so a disabled button still looks it.
            for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
                for (const QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
                    p.setColor(group, role, c);
            }
            widget->setPalette(p);
        };
        if (following)
            apply();
        else
            whenRestyled(widget, apply);
    }

    QFont bodyFont()
    {
        return QApplication::font();
    }

    QFont scaled(QFont font, qreal factor, QFont::Weight weight)
    {
        if (font.pointSizeF() > 0)
            font.setPointSizeF(font.pointSizeF() * factor);
        else
            font.setPixelSize(qRound(font.pixelSize() * factor));
        font.setWeight(weight);
        return font;
    }

    QFont captionFont()
    {
        return scaled(bodyFont(), 0.85);
    }
    QFont noteFont()
    {
        return scaled(bodyFont(), 0.95);
    }
    QFont labelFont()
    {
        return scaled(bodyFont(), 0.92, QFont::Medium);
    }
    QFont titleFont()
    {
        return scaled(bodyFont(), 1.0, QFont::DemiBold);
    }
    QFont largeTitleFont()
    {
        return scaled(bodyFont(), 1.55, QFont::Bold);
    }

    QFont monospaceFont()
    {
        QFont f = QFontDatabase::systemFont(QFontDatabase::FixedFont);
        f.setPointSizeF(bodyFont().pointSizeF() > 0 ? bodyFont().pointSizeF() : f.pointSizeF());
        return f;
    }
} // namespace Style
