// Fuzz target: the layout-data parser and every typed read of what it finds.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "widgets/propertybag.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const Layout layout = ParseLayout(text);
    for (const auto& [name, bag] : layout) {
        for (const auto& [key, value] : bag.Entries()) {
            bag.ReadInt16(key, 0);
            bag.ReadColour(key, 0);
            bag.ReadBool(key, false);
            bag.ReadFont(key, {});
        }
        LayoutBlock(layout, name);
        // What is written must read back the same.
        const PropertyBag again = LayoutBlock(ParseLayout("[x]\n" + bag.Text()), "x");
        if (again.Entries() != bag.Entries()) std::abort();
    }
    return 0;
}
