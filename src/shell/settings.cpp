#include "shell/settings.h"

#include <cmath>

#include "platform/text.h"

std::optional<std::int32_t> ParseSetting(const std::string& text, std::int32_t min,
                                         std::int32_t max) {
    const std::optional<double> value = plat::ParseDecimal(plat::Trim(text));
    if (!value) return std::nullopt;
    const double rounded = std::nearbyint(*value);
    if (rounded < min || rounded > max) return std::nullopt;
    return static_cast<std::int32_t>(rounded);
}
