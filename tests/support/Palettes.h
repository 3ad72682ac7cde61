#pragma once

#include <QColor>
#include <QPalette>

// A dark scheme like the desktops' dark themes, every role set, for checking that the panes follow
// a dark palette; used by the tests and the screenshot tool.
namespace Palettes {
    inline QPalette dark()
    {
        const QColor window(0x35, 0x35, 0x35);
        const QColor text(0xee, 0xee, 0xee);
        const QColor dimmed(0x80, 0x80, 0x80);
        QPalette p(window);
        p.setColor(QPalette::Window, window);
        p.setColor(QPalette::WindowText, text);
        p.setColor(QPalette::Base, QColor(0x2a, 0x2a, 0x2a));
        p.setColor(QPalette::AlternateBase, QColor(0x32, 0x32, 0x32));
        p.setColor(QPalette::ToolTipBase, QColor(0x42, 0x42, 0x42));
        p.setColor(QPalette::ToolTipText, text);
        p.setColor(QPalette::PlaceholderText, QColor(0xee, 0xee, 0xee, 0x80));
        p.setColor(QPalette::Text, text);
        p.setColor(QPalette::Button, QColor(0x40, 0x40, 0x40));
        p.setColor(QPalette::ButtonText, text);
        p.setColor(QPalette::BrightText, QColor(0xff, 0x6b, 0x6b));
        p.setColor(QPalette::Light, QColor(0x5a, 0x5a, 0x5a));
        p.setColor(QPalette::Midlight, QColor(0x48, 0x48, 0x48));
        p.setColor(QPalette::Mid, QColor(0x5c, 0x5c, 0x5c));
        p.setColor(QPalette::Dark, QColor(0x23, 0x23, 0x23));
        p.setColor(QPalette::Shadow, QColor(0x14, 0x14, 0x14));
        p.setColor(QPalette::Link, QColor(0x5a, 0xa9, 0xf2));
        p.setColor(QPalette::Highlight, QColor(0x2a, 0x82, 0xda));
        p.setColor(QPalette::HighlightedText, Qt::white);
        for (const QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
            p.setColor(QPalette::Disabled, role, dimmed);
        p.setColor(QPalette::Disabled, QPalette::Highlight, QColor(0x50, 0x50, 0x50));
        return p;
    }
} // namespace Palettes
