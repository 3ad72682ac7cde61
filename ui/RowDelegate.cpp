#include "ui/RowDelegate.h"

#include <QApplication>
#include <QPainter>

QColor
RowDelegate::drawRowBackground(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    // Selection and hover backgrounds come from the style, so they follow the platform.
    QStyleOptionViewItem background = option;
    initStyleOption(&background, index);
    background.text.clear();
    background.icon = {};
    const QWidget *widget = option.widget;
    QStyle *style = widget ? widget->style() : QApplication::style();
    style->drawPrimitive(QStyle::PE_PanelItemViewItem, &background, painter, widget);

    const bool selected = option.state & QStyle::State_Selected;
    const QPalette::ColorGroup group = option.state & QStyle::State_Active ? QPalette::Active : QPalette::Inactive;
    return option.palette.color(group, selected ? QPalette::HighlightedText : QPalette::Text);
}

QColor RowDelegate::toneColor(const QStyleOptionViewItem &option, Style::Tone tone)
{
    QPalette palette = option.palette;
    palette.setCurrentColorGroup(option.state & QStyle::State_Active ? QPalette::Active : QPalette::Inactive);
    return Style::color(tone, palette);
}

QFont RowDelegate::nameFont(const QStyleOptionViewItem &option)
{
    QFont font = option.font;
    font.setWeight(QFont::Medium);
    return font;
}
