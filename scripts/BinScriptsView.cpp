#include "scripts/BinScriptsView.h"

BinScriptsView::BinScriptsView(const Locations &, QWidget *parent) : QWidget(parent) {}
