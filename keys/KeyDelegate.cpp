#include "keys/KeyDelegate.h"

#include "keys/KeyListModel.h"
#include "ui/Style.h"
#include "ui/SymbolIcon.h"

#include <QPainter>

using namespace Qt::StringLiterals;

namespace {
    constexpr int hInset = 6;
    constexpr int vInset = 2;
    constexpr int iconBox = 20;
    constexpr int iconSize = 16;
    constexpr int spacing = 6;
    // Breathing room above and below the text, as in the sidebar's rows.
    constexpr int rowPadding = 4;

} // namespace

// A key for every type: a padlock would read as "protected by a passphrase", which the list does not know.
KeyDelegate::TypeIcon KeyDelegate::typeIcon(const QString &keyType)
{
    if (keyType == "ssh-ed25519"_L1)
        return {u"key.fill"_s, Style::Tone::Success};
    return {u"key"_s, Style::Tone::Accent};
}

QSize KeyDelegate::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    int height = QFontMetrics(nameFont(option)).height();
    if (!index.data(KeyListModel::CommentRole).toString().isEmpty())
        height += QFontMetrics(Style::captionFont()).height();
    return QSize(100, std::max(height, iconSize) + 2 * (vInset + rowPadding));
}

void KeyDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    painter->save();

    const QColor textColor = drawRowBackground(painter, option, index);
    const bool selected = option.state & QStyle::State_Selected;
    const QRect content = option.rect.adjusted(hInset, vInset, -hInset, -vInset);

    // On the highlight the icons take the text colour, as in the sidebar: a blue key or a green check
    // would all but vanish there, and the copied row is nearly always the selected one.
    const TypeIcon type = typeIcon(index.data(KeyListModel::KeyTypeRole).toString());
    const QRect iconRect(content.left() + (iconBox - iconSize) / 2,
                         content.center().y() - iconSize / 2 + 1,
                         iconSize,
                         iconSize);
    SymbolIcon::icon(type.symbol, selected ? textColor : toneColor(option, type.tone)).paint(painter, iconRect);

    int right = content.right();
    if (index.data(KeyListModel::CopiedRole).toBool()) {
        const int markSize = QFontMetrics(Style::captionFont()).height();
        const QRect markRect(right - markSize + 1, content.center().y() - markSize / 2 + 1, markSize, markSize);
        SymbolIcon::icon(u"checkmark.circle.fill"_s, selected ? textColor : toneColor(option, Style::Tone::Success))
            .paint(painter, markRect);
        right = markRect.left() - spacing;
    }

    if (index.data(KeyListModel::AgentRole).toBool()) {
        // Words, not a colour alone, say what the mark means.
        const QFont badgeFont = Style::captionFont();
        const QString badge = tr("in agent");
        const int badgeWidth = QFontMetrics(badgeFont).horizontalAdvance(badge);
        const QRect badgeRect(right - badgeWidth + 1, content.top(), badgeWidth, content.height());
        painter->setFont(badgeFont);
        painter->setPen(selected ? textColor : toneColor(option, Style::Tone::Success));
        painter->drawText(badgeRect, Qt::AlignRight | Qt::AlignVCenter, badge);
        right = badgeRect.left() - spacing;
    }

    const int textLeft = content.left() + iconBox + spacing;
    const int textWidth = std::max(0, right - textLeft + 1);
    const QFont name = nameFont(option);
    const QFontMetrics fm(name);
    const QFont caption = Style::captionFont();
    const QFontMetrics cfm(caption);
    const QString comment = index.data(KeyListModel::CommentRole).toString();
    const int blockHeight = fm.height() + (comment.isEmpty() ? 0 : cfm.height());
    int y = content.top() + (content.height() - blockHeight) / 2;

    painter->setFont(name);
    painter->setPen(textColor);
    painter->drawText(QRect(textLeft, y, textWidth, fm.height()),
                      Qt::AlignLeft | Qt::AlignVCenter,
                      fm.elidedText(index.data(Qt::DisplayRole).toString(), Qt::ElideRight, textWidth));
    if (!comment.isEmpty()) {
        y += fm.height();
        QColor commentColor = selected ? textColor : toneColor(option, Style::Tone::Secondary);
        if (selected)
            commentColor.setAlphaF(0.8f);
        painter->setFont(caption);
        painter->setPen(commentColor);
        painter->drawText(QRect(textLeft, y, textWidth, cfm.height()),
                          Qt::AlignLeft | Qt::AlignVCenter,
                          cfm.elidedText(comment, Qt::ElideRight, textWidth));
    }
    painter->restore();
}
