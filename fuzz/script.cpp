// Simulator scripts: every line handed over is one the simulator can act on.
#include <cstdint>
#include <sstream>
#include <string>

#include "flow/script.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    replay::ScriptReader reader(in);
    replay::ScriptLine line;
    std::int64_t last = 0;
    while (reader.Next(line)) {
        // The simulator takes a tap's key and a click's control from the argument's letters.
        const bool needsArgument =
            line.command != replay::Command::End && line.command != replay::Command::Blur;
        if (line.time < last || line.text.empty() || line.number <= 0 ||
            needsArgument == line.argument.empty() ||
            (line.command == replay::Command::Tap && line.argument.size() != 1))
            __builtin_trap();
        last = line.time;
    }
    return 0;
}
