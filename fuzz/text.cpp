// The shared text parsers: whatever they accept is exactly the number the text spells.
#include "platform/text.h"

#include <cstdint>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::string_view trimmed = plat::Trim(text);
    if (plat::Trim(trimmed) != trimmed) __builtin_trap();
    for (const bool hexadecimal : {false, true}) {
        const auto value = plat::ParseInteger(trimmed, hexadecimal);
        // A decimal number reads back from its own spelling; a second sign is never taken.
        if (value && !hexadecimal && plat::ParseInteger(std::to_string(*value)) != value)
            __builtin_trap();
        if (value && (trimmed.starts_with("--") || trimmed.starts_with("+-"))) __builtin_trap();
    }
    if (const auto digits = plat::ParseDigits(trimmed);
        digits && std::to_string(*digits) != trimmed && trimmed.front() != '0')
        __builtin_trap();
    if (const auto number = plat::ParseDecimal(trimmed);
        number && (trimmed.find_first_of("eEnN") != std::string_view::npos))
        __builtin_trap();
    return 0;
}
