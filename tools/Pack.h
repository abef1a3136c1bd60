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

// Packs the files in the order given. Error when a name is empty or holds a zero byte, or
// when the archive would not fit the 32-bit offsets.
Bytes PackArchive(const std::vector<PayloadFile>& files);

// Every file below folder (a POSIX path), named relative to it with "\" separators, in the
// shipped order: a folder's files before its sub-folders, each level sorted by the byte order
// of the upper-cased name. Error when the folder cannot be read.
std::vector<PayloadFile> ReadPayloadFolder(const std::string& folder);

}  // namespace setup
