#include "scripts/ScriptDelegate.h"

#include "scripts/ScriptListModel.h"
#include "ui/Style.h"
#include "ui/SymbolIcon.h"

#include <QPainter>

using namespace Qt::StringLiterals;

namespace {
    constexpr int hInset = 6;
    constexpr int vInset = 2;
    constexpr int iconBox = 20;
    constexpr int iconSize = 16;
    constexpr int spacing = 8;
    constexpr int minHeight = 24;
} // namespace

QString ScriptDelegate::symbol(bool editable)
{
    return editable ? u"scroll"_s : u"doc.badge.gearshape"_s;
}

Style::Tone ScriptDelegate::tone(bool editable)
{
    return editable ? Style::Tone::Success : Style::Tone::Secondary;
}

QSize ScriptDelegate::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &) const
{
    const int content = std::max(QFontMetrics(nameFont(option)).height(), iconSize);
    return QSize(100, std::max(minHeight, content + 2 * vInset));
}

void ScriptDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    painter->save();

    const QColor textColor = drawRowBackground(painter, option, index);
    const bool selected = option.state & QStyle::State_Selected;
    const QRect content = option.rect.adjusted(hInset, vInset, -hInset, -vInset);

    const QRect iconRect(content.left() + (iconBox - iconSize) / 2,
                         content.center().y() - iconSize / 2 + 1,
                         iconSize,
                         iconSize);
    // On the highlight the icon takes the text colour, as in the sidebar.
    const bool editable = index.data(ScriptListModel::EditableRole).toBool();
    SymbolIcon::icon(symbol(editable), selected ? textColor : toneColor(option, tone(editable)))
        .paint(painter, iconRect);

    const int textLeft = content.left() + iconBox + spacing;
    const int textWidth = std::max(0, content.right() - textLeft + 1);
    const QFont font = nameFont(option);
    const QFontMetrics fm(font);
    painter->setFont(font);
    painter->setPen(textColor);
    painter->drawText(QRect(textLeft, content.top(), textWidth, content.height()),
                      Qt::AlignLeft | Qt::AlignVCenter,
                      fm.elidedText(index.data(Qt::DisplayRole).toString(), Qt::ElideRight, textWidth));
    painter->restore();
}
