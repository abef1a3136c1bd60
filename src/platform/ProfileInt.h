// The integer rule of the settings file.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/Platform.h"

namespace setup {

// A signed 32-bit integer in decimal with an optional sign, or hexadecimal introduced by "$",
// "0x", "0X", "x" or "X"; nullopt for anything else.
std::optional<std::int32_t> ParseProfileInt(std::string_view text);

// The key's value by that rule, def when the key is missing or no such integer.
std::int32_t ReadProfileInt(Profile& profile, const std::string& file, const std::string& section,
                            const std::string& key, std::int32_t def);

}  // namespace setup
