#include "hosts/SidebarDelegate.h"

#include "hosts/SidebarModel.h"
#include "ui/Style.h"
#include "ui/SymbolIcon.h"

#include <QAbstractItemView>
#include <QHelpEvent>
#include <QPainter>
#include <QToolTip>

using namespace Qt::StringLiterals;

namespace {
    constexpr int hInset = 10;
    constexpr int iconBox = 18;
    constexpr int spacing = 8;
    constexpr int dotSize = 7;

    QFont headerFont()
    {
        return Style::scaled(Style::captionFont(), 1.0, QFont::DemiBold);
    }

} // namespace

QRect SidebarDelegate::dotRect(const QRect &rowRect, const QStyleOptionViewItem &, const QString &title)
{
    const QFontMetrics fm(headerFont());
    const int x = rowRect.left() + hInset + fm.horizontalAdvance(title) + 6;
    return QRect(x, rowRect.center().y() - dotSize / 2, dotSize, dotSize);
}

QSize SidebarDelegate::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    // Called for every row on each re-layout, so the font heights are worked out once per font.
    if (!m_metricsValid || m_metricsFont != option.font) {
        m_metricsValid = true;
        m_metricsFont = option.font;
        m_lineHeight = QFontMetrics(nameFont(option)).height();
        m_captionHeight = QFontMetrics(Style::captionFont()).height();
        m_headerHeight = QFontMetrics(headerFont()).height();
    }
    const auto kind = SidebarModel::RowKind(index.data(SidebarModel::RowKindRole).toInt());
    switch (kind) {
    case SidebarModel::RowKind::header:
        return QSize(100, m_headerHeight + (index.row() == 0 ? 10 : 16));
    case SidebarModel::RowKind::host: {
        int height = m_lineHeight + 4 + 8;
        if (index.data(SidebarModel::HasSubtitleRole).toBool())
            height += 1 + m_captionHeight;
        return QSize(100, height);
    }
    case SidebarModel::RowKind::tool:
        return QSize(100, m_lineHeight + 4 + 10);
    }
    return {};
}

void SidebarDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    const auto kind = SidebarModel::RowKind(index.data(SidebarModel::RowKindRole).toInt());
    const QString text = index.data(Qt::DisplayRole).toString();
    painter->save();

    if (kind == SidebarModel::RowKind::header) {
        painter->setFont(headerFont());
        painter->setPen(toneColor(option, Style::Tone::Secondary));
        const QRect textRect = option.rect.adjusted(hInset, 0, -hInset, 0);
        painter->drawText(textRect, Qt::AlignVCenter | Qt::AlignLeft, text);
        if (index.data(SidebarModel::DirtyRole).toBool()) {
            painter->setRenderHint(QPainter::Antialiasing);
            painter->setPen(Qt::NoPen);
            painter->setBrush(toneColor(option, Style::Tone::Warning));
            painter->drawEllipse(dotRect(option.rect, option, text));
        }
        painter->restore();
        return;
    }

    const QColor textColor = drawRowBackground(painter, option, index);
    const bool selected = option.state & QStyle::State_Selected;

    QColor tint = toneColor(option, Style::Tone::Accent);
    if (kind == SidebarModel::RowKind::host && index.data(SidebarModel::IsGlobalRole).toBool())
        tint = toneColor(option, Style::Tone::Warning);
    if (selected)
        tint = textColor;
    const QRect content = option.rect.adjusted(hInset, 2, -hInset, -2);
    const QIcon &icon = SymbolIcon::icon(index.data(SidebarModel::SymbolRole).toString(), tint);
    const int iconSize = 16;
    const QRect iconRect(content.left() + (iconBox - iconSize) / 2,
                         content.center().y() - iconSize / 2 + 1,
                         iconSize,
                         iconSize);
    icon.paint(painter, iconRect);

    const int textLeft = content.left() + iconBox + spacing;
    const int textWidth = std::max(0, content.right() - textLeft);
    const QFont font = nameFont(option);
    const QFontMetrics fm(font);
    const QString subtitle =
        kind == SidebarModel::RowKind::host ? index.data(SidebarModel::SubtitleRole).toString() : QString();

    const QFont caption = Style::captionFont();
    const QFontMetrics cfm(caption);
    const int blockHeight = fm.height() + (subtitle.isEmpty() ? 0 : 1 + cfm.height());
    int y = content.top() + (content.height() - blockHeight) / 2;

    painter->setFont(font);
    painter->setPen(textColor);
    painter->drawText(QRect(textLeft, y, textWidth, fm.height()),
                      Qt::AlignLeft | Qt::AlignVCenter,
                      fm.elidedText(text, Qt::ElideRight, textWidth));
    if (!subtitle.isEmpty()) {
        y += fm.height() + 1;
        QColor subColor = selected ? textColor : toneColor(option, Style::Tone::Secondary);
        if (selected)
            subColor.setAlphaF(0.8f);
        painter->setFont(caption);
        painter->setPen(subColor);
        painter->drawText(QRect(textLeft, y, textWidth, cfm.height()),
                          Qt::AlignLeft | Qt::AlignVCenter,
                          cfm.elidedText(subtitle, Qt::ElideRight, textWidth));
    }
    painter->restore();
}

bool SidebarDelegate::helpEvent(QHelpEvent *event,
                                QAbstractItemView *view,
                                const QStyleOptionViewItem &option,
                                const QModelIndex &index)
{
    if (event->type() == QEvent::ToolTip && index.data(SidebarModel::DirtyRole).toBool()) {
        const QRect dot = dotRect(option.rect, option, index.data().toString()).adjusted(-3, -3, 3, 3);
        if (dot.contains(event->pos())) {
            QToolTip::showText(event->globalPos(), tr("Unsaved changes"), view, dot);
            return true;
        }
        QToolTip::hideText();
        return true;
    }
    return QStyledItemDelegate::helpEvent(event, view, option, index);
}
