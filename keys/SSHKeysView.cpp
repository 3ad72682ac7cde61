#include "keys/SSHKeysView.h"

SSHKeysView::SSHKeysView(const Locations &, QWidget *parent) : QWidget(parent) {}
