#pragma once

#include <QColor>
#include <QStyledItemDelegate>

// Paints one row of the key list: the type icon, the name, the comment below it when there is one,
// and the green check mark while the pair's public key was just copied.
class KeyRowView final : public QStyledItemDelegate
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(KeyRowView)
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    struct TypeIcon {
        QString symbol;
        QColor color;
    };
    static TypeIcon typeIcon(const QString &keyType);

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;
};
