#pragma once
#include <cstdint>
#include <optional>
#include <string>

// Stored settings are text: a decimal number, a fraction rounded half to even. Anything
// else, or a value outside [min, max], is not a number the game can use.
std::optional<std::int32_t> ParseSetting(const std::string& text, std::int32_t min,
                                         std::int32_t max);
