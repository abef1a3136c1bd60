#include "TestArchive.h"

#include <map>
#include <stdexcept>

#include "StandinPayload.h"

namespace setup::test {

const Bytes& StandinArchive() {
  static const Bytes archive = PackArchive(StandinPayload());
  return archive;
}

const ResFile& StandinCatalogue() {
  static const ResFile catalogue = [] {
    ResFile r;
    r.LoadResData(StandinArchive(), "setupdata", nullptr);
    return r;
  }();
  return catalogue;
}

ResFile CatalogueOf(const std::vector<PayloadFile>& files) {
  ResFile r;
  r.LoadResData(PackArchive(files), "test archive", nullptr);
  return r;
}

const Bytes& StandinEntry(const std::string& name) {
  static const std::map<std::string, Bytes> entries = [] {
    std::map<std::string, Bytes> m;
    for (auto& f : StandinPayload()) m.emplace(f.name, std::move(f.data));
    return m;
  }();
  const auto it = entries.find(name);
  if (it == entries.end()) throw std::out_of_range("no stand-in entry " + name);
  return it->second;
}

}  // namespace setup::test
