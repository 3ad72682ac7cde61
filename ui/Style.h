#pragma once

#include <QColor>
#include <QFont>

class QWidget;

// The handful of colours, fonts and sizes the panes share, mapped onto the Qt palette and system fonts.
namespace Style {
    inline constexpr int headerHeight = 38;
    inline constexpr int sideMargin = 12;

    QColor orange();
    QColor blue();
    QColor green();
    QColor red();
    QColor brand();

    QColor label();
    QColor secondary();
    QColor tertiary();

    QFont bodyFont();
    QFont captionFont();
    QFont noteFont();
    QFont labelFont();
    QFont titleFont();
    QFont largeTitleFont();
    QFont monospaceFont();
    QFont scaled(QFont font, qreal factor, QFont::Weight weight = QFont::Normal);

    // Paints a widget's text in the given colour.
    void setTextColor(QWidget *widget, const QColor &color);
} // namespace Style
