#include "ui/Style.h"

#include <QApplication>
#include <QFontDatabase>
#include <QPalette>
#include <QWidget>

namespace Style {
    QColor orange()
    {
        return QColor(0xff, 0x95, 0x00);
    }
    QColor blue()
    {
        return QColor(0x0a, 0x84, 0xff);
    }
    QColor green()
    {
        return QColor(0x34, 0xc7, 0x59);
    }
    QColor red()
    {
        return QColor(0xff, 0x3b, 0x30);
    }
    QColor brand()
    {
        return QColor(208, 30, 30);
    }

    QColor label()
    {
        return QGuiApplication::palette().color(QPalette::WindowText);
    }

    QColor secondary()
    {
        QColor c = label();
        c.setAlphaF(0.62f);
        return c;
    }

    QColor tertiary()
    {
        QColor c = label();
        c.setAlphaF(0.38f);
        return c;
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

    void setTextColor(QWidget *widget, const QColor &color)
    {
        QPalette p = widget->palette();
        p.setColor(QPalette::WindowText, color);
        p.setColor(QPalette::Text, color);
        p.setColor(QPalette::ButtonText, color);
        widget->setPalette(p);
    }
} // namespace Style
