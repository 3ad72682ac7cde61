#include "knownhosts/KnownHostsView.h"

KnownHostsView::KnownHostsView(const Locations &, QWidget *parent) : QWidget(parent) {}
