// The adapter ID patch over arbitrary images, IDs and sizes. Input: one byte for the ID's
// length (0 to 7), one for how much of the image the size leaves out, the ID, the image.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "Check.h"
#include "FakePlatform.h"
#include "install/RomBuilder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace setup;
  if (size < 2) return 0;
  const std::size_t idLength = std::min<std::size_t>(data[0] % 8, size - 2);
  const std::string id(reinterpret_cast<const char*>(data) + 2, idLength);
  const std::uint8_t* original = data + 2 + idLength;
  const std::size_t length = size - 2 - idLength;
  const std::size_t size32 = length - std::min<std::size_t>(data[1] % 16, length);

  // A buffer of the image's exact length, so a read or write past it is a finding.
  const auto image = std::make_unique<std::uint8_t[]>(length);
  std::copy(original, original + length, image.get());
  fake::FakeUi ui;
  PatchAdapterID(image.get(), static_cast<std::int32_t>(size32), id, ui);

  static const char kMarker[] = "Adapter:";
  const std::uint8_t* const end = original + size32;
  const std::uint8_t* at = std::search(original, end, kMarker, kMarker + 8);
  // Only a marker whose four ID bytes fit into the size counts.
  const bool fits = at != end && at + 12 <= end;
  const std::size_t patched = fits ? static_cast<std::size_t>(at - original) + 8 : length;
  const std::size_t n = fits ? std::min<std::size_t>(4, id.size()) : 0;
  FUZZ_CHECK(std::equal(original, original + patched, image.get()));
  FUZZ_CHECK(std::memcmp(image.get() + patched, id.data(), n) == 0);
  FUZZ_CHECK(std::equal(original + patched + n, original + length, image.get() + patched + n));
  FUZZ_CHECK(ui.messages.size() == (fits ? 0u : 1u) && ui.endRequests == 0);
  if (!fits) FUZZ_CHECK(ui.messages[0].find("(" + id + ")") != std::string::npos);
  return 0;
}
