#include "platform/text.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace plat {

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r';
}

int DigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return 99;
}

std::optional<std::uint64_t> Digits(std::string_view text, unsigned base) {
    if (text.empty()) return std::nullopt;
    constexpr std::uint64_t kMax = std::numeric_limits<std::uint64_t>::max();
    std::uint64_t value = 0;
    for (const char c : text) {
        const auto digit = static_cast<unsigned>(DigitValue(c));
        if (digit >= base || value > (kMax - digit) / base) return std::nullopt;
        value = value * base + digit;
    }
    return value;
}

// Takes one leading sign off text; true when it was a minus.
bool TakeSign(std::string_view& text) {
    const bool negative = !text.empty() && text.front() == '-';
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) text.remove_prefix(1);
    return negative;
}

bool HasPrefix(std::string_view text, char first, char second) {
    return text.size() > 2 && text[0] == first && (text[1] | 0x20) == second;
}

}  // namespace

std::string_view Trim(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

std::optional<std::uint64_t> ParseDigits(std::string_view text) {
    return Digits(text, 10);
}

std::optional<std::int64_t> ParseInteger(std::string_view text, bool hexadecimal) {
    const bool negative = TakeSign(text);
    unsigned base = 10;
    if (hexadecimal && HasPrefix(text, '0', 'x')) {
        base = 16;
        text.remove_prefix(2);
    } else if (hexadecimal && HasPrefix(text, '&', 'h')) {
        base = 16;
        text.remove_prefix(2);
        if (text.size() > 1 && text.back() == '&') text.remove_suffix(1);
    }
    const std::optional<std::uint64_t> magnitude = Digits(text, base);
    if (!magnitude) return std::nullopt;
    constexpr auto kMax = static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());
    if (*magnitude > kMax + (negative ? 1 : 0)) return std::nullopt;
    // Modular: the magnitude of the smallest number has no positive counterpart to negate.
    return static_cast<std::int64_t>(negative ? 0 - *magnitude : *magnitude);
}

std::optional<double> ParseDecimal(std::string_view text) {
    const bool negative = TakeSign(text);
    // from_chars takes a sign of its own; a second one is not a number.
    if (text.empty() || (DigitValue(text.front()) > 9 && text.front() != '.')) return std::nullopt;
    double value = 0;
    const char* last = text.data() + text.size();
    const auto [end, error] = std::from_chars(text.data(), last, value, std::chars_format::fixed);
    if (error != std::errc() || end != last || !std::isfinite(value)) return std::nullopt;
    return negative ? -value : value;
}

}  // namespace plat
