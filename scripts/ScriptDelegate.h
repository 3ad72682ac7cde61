#pragma once

#include "ui/RowDelegate.h"
#include "ui/Style.h"

// Paints one row of the script list: the file's icon and its name.
class ScriptDelegate final : public RowDelegate
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ScriptDelegate)
public:
    using RowDelegate::RowDelegate;

    // Green "scroll" for a text file the editor can open, a grey "doc.badge.gearshape" for anything
    // else.
    static QString symbol(bool editable);
    static Style::Tone tone(bool editable);

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;
};
