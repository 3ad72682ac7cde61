#pragma once

#include "ui/Style.h"

#include <QColor>
#include <QIcon>
#include <QStringList>

// Icons are named by symbol names ("plus", "key.fill", ...). This is the one place that maps them
// onto freedesktop icon-theme names and tints the symbolic artwork.
namespace SymbolIcon {
    // The icon for a symbol name, tinted with the given colour; an invalid colour follows the
    // palette's text colour. Unknown names give a null icon.
    QIcon icon(const QString &symbolName, const QColor &tint = {});
    // The icon in a tone of the application's palette, looked up each time it is painted, so it
    // follows a palette change.
    QIcon icon(const QString &symbolName, Style::Tone tone);
    // The freedesktop name a symbol maps to, or an empty string for an unknown symbol.
    QString themeName(const QString &symbolName);
    // Every symbol name the application uses.
    QStringList knownSymbols();
    // Makes theme lookups work where the desktop names no icon theme (offscreen, bare X sessions).
    void ensureIconTheme();
} // namespace SymbolIcon
