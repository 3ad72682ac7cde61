#pragma once

#include <QString>

// Buttons, menu items and labels with a buddy read "&" as the mark of a keyboard mnemonic.
namespace Mnemonic {
    // The text with every "&" doubled, so it shows as written.
    inline QString escaped(QString text)
    {
        return text.replace(QLatin1Char('&'), QStringLiteral("&&"));
    }
} // namespace Mnemonic
