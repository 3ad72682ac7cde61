#pragma once

#include <QColor>
#include <QFont>
#include <QPalette>

#include <functional>

class QWidget;

// The handful of colours, fonts and sizes the panes share, mapped onto the Qt palette and system fonts.
namespace Style {
    inline constexpr int headerHeight = 38;
    inline constexpr int sideMargin = 12;

    // What a colour is for. Each is worked out from the palette it is painted with, so a light or dark
    // scheme, or a switch between them, gives every pane matching colours.
    enum class Tone {
        Label, // the palette's text
        Secondary, // captions, field names, hints
        Tertiary, // placeholders and faint glyphs
        Hairline, // dividers and box outlines
        Accent, // the selection colour: add buttons, host and key icons
        Warning, // orange: unsaved changes, a file about to be replaced
        Destructive, // red: delete buttons, errors
        Success, // green: "copied", keys and scripts that are ready to use
        Brand, // the About panel's logo
    };
    // For icons and marks: the fixed hues are made lighter or darker where the palette's window
    // colour would swallow them.
    QColor color(Tone tone, const QPalette &palette);
    // From the application's palette, for painting outside any widget.
    QColor color(Tone tone);
    // For text, which needs a higher contrast than a glyph.
    QColor textColor(Tone tone, const QPalette &palette);
    // WCAG contrast ratio of two opaque colours, from 1 to 21.
    qreal contrast(const QColor &a, const QColor &b);

    QFont bodyFont();
    QFont captionFont();
    QFont noteFont();
    QFont labelFont();
    QFont titleFont();
    QFont largeTitleFont();
    QFont monospaceFont();
    QFont scaled(QFont font, qreal factor, QFont::Weight weight = QFont::Normal);

    // The palette a widget's own colours are worked out from: its parent's, or the application's.
    QPalette inheritedPalette(const QWidget *widget);
    // Paints a widget's text in the tone, and again after every palette or style change.
    void setTextColor(QWidget *widget, Tone tone);
    // Calls apply now and again whenever the widget's palette or style changes, for widgets that
    // put colours of their own into their palette.
    void whenRestyled(QWidget *widget, std::function<void()> apply);
} // namespace Style
