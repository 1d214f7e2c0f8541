#pragma once
#include <cstdint>
#include <optional>
#include <string_view>

namespace plat {

// The text without the blanks (space, tab, carriage return) at either end.
std::string_view Trim(std::string_view text);

// A whole number of decimal digits only: no sign, no blanks; nothing when it does not fit.
std::optional<std::uint64_t> ParseDigits(std::string_view text);

// A whole number: one optional sign, then decimal digits, or with hexadecimal also hex digits
// after "0x" or "&H" (a trailing "&" allowed). No blanks; nothing when it does not fit.
std::optional<std::int64_t> ParseInteger(std::string_view text, bool hexadecimal = false);

// A decimal number with an optional fraction after one optional sign: no exponent, no
// blanks, nothing infinite.
std::optional<double> ParseDecimal(std::string_view text);

}  // namespace plat
