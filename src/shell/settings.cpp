#include "shell/settings.h"

#include <charconv>
#include <cmath>

std::optional<std::int32_t> ParseSetting(const std::string& text, std::int32_t min,
                                         std::int32_t max) {
    const char* first = text.data();
    const char* last = first + text.size();
    while (first < last && *first == ' ') ++first;
    while (last > first && last[-1] == ' ') --last;
    if (first < last && *first == '+') ++first;
    double value = 0;
    const auto [end, error] = std::from_chars(first, last, value, std::chars_format::fixed);
    if (error != std::errc() || end != last || !std::isfinite(value)) return std::nullopt;
    const double rounded = std::nearbyint(value);
    if (rounded < min || rounded > max) return std::nullopt;
    return static_cast<std::int32_t>(rounded);
}
