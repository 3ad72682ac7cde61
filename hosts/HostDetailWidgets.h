#pragma once

#include "engine/OptionCatalogue.h"
#include "ui/PaneChrome.h"
#include "ui/Style.h"
#include "ui/SymbolIcon.h"

#include <QLineEdit>
#include <QPainter>
#include <QStringList>
#include <QToolButton>
#include <QWidget>

// Small pieces the host editor's files share.
namespace HostDetailWidgets {
    inline const QString identityFileKey = QStringLiteral("IdentityFile");

    // The rounded group box a form section sits in.
    class SectionBox final : public QWidget
    {
    public:
        using QWidget::QWidget;

    protected:
        void paintEvent(QPaintEvent *) override
        {
            QPainter p(this);
            QColor border = palette().color(QPalette::WindowText);
            border.setAlphaF(0.12f);
            drawPanel(p, rect(), 8, palette().brush(QPalette::Base), border);
        }
    };

    // Borderless fields on a white card would be invisible while empty; a faint fill shows where to type.
    inline void makeBorderlessField(QLineEdit *edit)
    {
        edit->setFrame(false);
        Style::whenRestyled(edit, [edit] {
            QColor fill = Style::inheritedPalette(edit).color(QPalette::WindowText);
            fill.setAlphaF(0.045f);
            QPalette p = edit->palette();
            p.setColor(QPalette::Base, fill);
            edit->setPalette(p);
        });
        edit->setTextMargins(4, 1, 4, 1);
    }

    inline QToolButton *iconButton(const QString &symbol,
                                   Style::Tone tone,
                                   const QString &toolTip,
                                   QWidget *parent,
                                   Qt::FocusPolicy focus = Qt::TabFocus)
    {
        auto *button = new QToolButton(parent);
        button->setAutoRaise(true);
        button->setFocusPolicy(focus);
        button->setIcon(SymbolIcon::icon(symbol, tone));
        button->setIconSize(QSize(14, 14));
        button->setToolTip(toolTip);
        button->setAccessibleName(toolTip);
        return button;
    }

    // No value in it: blanks only.
    inline bool isEmptyField(const QLineEdit *edit)
    {
        return TextRules::trimmed(edit->text()).isEmpty();
    }

    inline QStringList commonKeys(const OptionCatalogue::OptionSection &section)
    {
        const auto &common = OptionCatalogue::sectionCommonKeys();
        const auto found = common.constFind(section.title);
        return found == common.cend() ? section.keys : *found;
    }
} // namespace HostDetailWidgets
