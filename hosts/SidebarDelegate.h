#pragma once

#include "ui/RowDelegate.h"

// Paints the sidebar rows: section headers (with the unsaved-changes dot beside "HOSTS"),
// host rows with icon, name and subtitle, and the fixed tool entries.
class SidebarDelegate final : public RowDelegate
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SidebarDelegate)
public:
    using RowDelegate::RowDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    bool helpEvent(QHelpEvent *event,
                   QAbstractItemView *view,
                   const QStyleOptionViewItem &option,
                   const QModelIndex &index) override;

    // Where the unsaved-changes dot sits within a header row.
    static QRect dotRect(const QRect &rowRect, const QStyleOptionViewItem &option, const QString &title);

private:
    mutable bool m_metricsValid = false;
    mutable QFont m_metricsFont;
    mutable int m_lineHeight = 0;
    mutable int m_captionHeight = 0;
    mutable int m_headerHeight = 0;
};
