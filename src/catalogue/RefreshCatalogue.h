#pragma once

#include "catalogue/CatalogueState.h"

namespace brieflist {

// Rebuilds the catalogue and MapNames from State.GameDirectory: archives in name order, then
// loose mission files. Calls the host's CatalogueRefreshed at the end and returns what could
// not be read.
RefreshReport RefreshCatalogue(CatalogueState& State, const Platform& P);

}  // namespace brieflist
