#pragma once

#include "ui/RowDelegate.h"
#include "ui/Style.h"

// Paints one row of the key list: the type icon, the name, the comment below it when there is one,
// the green check mark while the pair's public key was just copied, and "in agent" while the agent holds it.
class KeyDelegate final : public RowDelegate
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(KeyDelegate)
public:
    using RowDelegate::RowDelegate;

    struct TypeIcon {
        QString symbol;
        Style::Tone tone;
    };
    static TypeIcon typeIcon(const QString &keyType);

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;
};
