#pragma once

#include "ui/Style.h"

#include <QStyledItemDelegate>

// Base of the list delegates that paint their own rows: the platform's selection and hover
// background, and the text colour that goes on it.
class RowDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    // Draws the row's background and returns the colour for text painted over it.
    QColor drawRowBackground(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const;
    static QFont nameFont(const QStyleOptionViewItem &option);
    // A tone of the row's palette in the view's active or inactive colours: rows that cannot be
    // selected, such as headers, are not disabled ones.
    static QColor toneColor(const QStyleOptionViewItem &option, Style::Tone tone);
};
