#pragma once
// Moved to core/; this forwarding header goes once every user includes the new place.
#include "core/Locations.h"
