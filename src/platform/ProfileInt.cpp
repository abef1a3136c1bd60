#include "platform/ProfileInt.h"

namespace setup {

namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Hex digits as a 32-bit pattern: "FFFFFFFF" is -1, as the Windows and Delphi readers take it,
// so a value written from an unsigned 32-bit field reads back. More than 32 bits is no integer.
std::optional<std::int32_t> ParseHex(std::string_view digits) {
  if (digits.empty()) return std::nullopt;
  std::uint64_t value = 0;
  for (char c : digits) {
    const int d = HexDigit(c);
    if (d < 0) return std::nullopt;
    value = value * 16 + static_cast<std::uint64_t>(d);
    if (value > 0xFFFFFFFFull) return std::nullopt;
  }
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
}

std::optional<std::int32_t> ParseDecimal(std::string_view text) {
  bool negative = false;
  if (!text.empty() && (text[0] == '+' || text[0] == '-')) {
    negative = text[0] == '-';
    text.remove_prefix(1);
  }
  if (text.empty()) return std::nullopt;
  const std::int64_t limit = negative ? 2147483648LL : 2147483647LL;
  std::int64_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
    if (value > limit) return std::nullopt;
  }
  return static_cast<std::int32_t>(negative ? -value : value);
}

}  // namespace

std::optional<std::int32_t> ParseProfileInt(std::string_view text) {
  if (text.starts_with("0x") || text.starts_with("0X")) return ParseHex(text.substr(2));
  if (text.starts_with('$') || text.starts_with('x') || text.starts_with('X')) {
    return ParseHex(text.substr(1));
  }
  return ParseDecimal(text);
}

std::int32_t ReadProfileInt(Profile& profile, const std::string& file, const std::string& section,
                            const std::string& key, std::int32_t def) {
  return ParseProfileInt(profile.ReadString(file, section, key, "")).value_or(def);
}

}  // namespace setup
