// The settings file's integer rule against the standard library's own number parsing.
#include <charconv>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

#include "Check.h"
#include "FakePlatform.h"
#include "platform/ProfileInt.h"

namespace {

using namespace setup;

bool AllOf(std::string_view text, std::string_view digits) {
  return !text.empty() && text.find_first_not_of(digits) == std::string_view::npos;
}

// What the rule says, by another road: std::from_chars over the digits alone.
std::optional<std::int32_t> Expected(std::string_view text) {
  std::string_view hex;
  bool isHex = true;
  if (text.starts_with("0x") || text.starts_with("0X")) {
    hex = text.substr(2);
  } else if (text.starts_with('$') || text.starts_with('x') || text.starts_with('X')) {
    hex = text.substr(1);
  } else {
    isHex = false;
  }
  if (isHex) {
    std::uint64_t value = 0;
    if (!AllOf(hex, "0123456789abcdefABCDEF")) return std::nullopt;
    const auto r = std::from_chars(hex.data(), hex.data() + hex.size(), value, 16);
    if (r.ec != std::errc() || value > 0xFFFFFFFFu) return std::nullopt;
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
  }
  bool negative = false;
  if (text.starts_with('+') || text.starts_with('-')) {
    negative = text[0] == '-';
    text.remove_prefix(1);
  }
  if (!AllOf(text, "0123456789")) return std::nullopt;
  std::int64_t value = 0;
  const auto r = std::from_chars(text.data(), text.data() + text.size(), value);
  if (r.ec != std::errc()) return std::nullopt;
  if (negative) value = -value;
  if (value < INT32_MIN || value > INT32_MAX) return std::nullopt;
  return static_cast<std::int32_t>(value);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const std::optional<std::int32_t> value = ParseProfileInt(text);
  FUZZ_CHECK(value == Expected(text));

  // Whatever was read comes back from what the program writes, and from its hex pattern.
  if (value) {
    FUZZ_CHECK(ParseProfileInt(std::to_string(*value)) == value);
    char hex[16];
    std::snprintf(hex, sizeof hex, "0x%X", static_cast<unsigned>(*value));
    FUZZ_CHECK(ParseProfileInt(hex) == value);
  }

  // Through the profile: the key's value by the rule, the default otherwise.
  fake::FakeProfile profile;
  profile.WriteString("E:\\Setup.ini", "system", "isJP", text);
  const std::int32_t def = size > 0 ? static_cast<std::int8_t>(data[0]) : 5;
  FUZZ_CHECK(ReadProfileInt(profile, "e:\\setup.INI", "SYSTEM", "isjp", def) ==
             value.value_or(def));
  FUZZ_CHECK(ReadProfileInt(profile, "E:\\Setup.ini", "system", "other", def) == def);
  return 0;
}
