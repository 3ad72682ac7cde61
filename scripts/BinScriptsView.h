#pragma once

#include "ui/Locations.h"

#include <QWidget>

// Placeholder until the pane lands; the main window shows its empty state instead.
class BinScriptsView final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(BinScriptsView)
public:
    explicit BinScriptsView(const Locations &locations, QWidget *parent = nullptr);
    // False while this pane is only a placeholder.
    static constexpr bool isAvailable = false;
};
