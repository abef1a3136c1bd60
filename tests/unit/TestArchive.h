// Archives for the tests: the stand-in payload packed and loaded, and small made-up archives.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "Pack.h"
#include "archive/resfile.h"

namespace setup::test {

// The stand-in payload, packed as the build packs it.
const Bytes& StandinArchive();
// The stand-in archive loaded into a catalogue (loaded once, shared, read-only).
const ResFile& StandinCatalogue();
// A loaded catalogue of the given files, packed in the order given.
ResFile CatalogueOf(const std::vector<PayloadFile>& files);
// The bytes of a named stand-in entry.
const Bytes& StandinEntry(const std::string& name);

}  // namespace setup::test
