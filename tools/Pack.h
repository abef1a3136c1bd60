// Packing files into the payload archive layout: the count, one (name offset, data offset,
// size) record per entry, then per entry its name, a zero byte and its data, back to back.
#pragma once

#include <string>
#include <vector>

#include "platform/Platform.h"

namespace setup {

struct PayloadFile {
  std::string name;  // archive name, "\" as separator
  Bytes data;
};

// Packs the files in the order given.
Bytes PackArchive(const std::vector<PayloadFile>& files);

}  // namespace setup
