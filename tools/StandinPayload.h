// The stand-in payload: the names and sizes of the shipped catalogue with contents of our own
// making, the same bytes on every run.
#pragma once

#include <vector>

#include "Pack.h"

namespace setup {

// The 40 files in catalogue order.
std::vector<PayloadFile> StandinPayload();

}  // namespace setup
