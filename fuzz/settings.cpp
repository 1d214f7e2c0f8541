// The settings file and the numbers in it: whatever is read must write back unchanged, and a
// number taken from it must lie in the range asked for.
#include "shell/settings.h"

#include <cstdint>
#include <limits>
#include <string_view>

#include "platform/inifile.h"

namespace {

void CheckNumber(const std::string& text, std::int32_t min, std::int32_t max) {
    const std::optional<std::int32_t> value = ParseSetting(text, min, max);
    if (value && (*value < min || *value > max)) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const plat::IniSections sections = plat::ParseIni(text);
    if (plat::ParseIni(plat::WriteIni(sections)) != sections) __builtin_trap();
    for (const auto& [section, keys] : sections) {
        for (const auto& [key, value] : keys) {
            CheckNumber(value, std::numeric_limits<std::int32_t>::min(),
                        std::numeric_limits<std::int32_t>::max());
            CheckNumber(value, -32768, 32767);
        }
    }
    // The whole input as one value, too: most of it is not a settings file at all.
    CheckNumber(std::string(text), -32768, 32767);
    return 0;
}
