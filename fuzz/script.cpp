// Scripts: every line handed over is one the window and the simulator can act on, in the words
// the delivery knows.
#include <algorithm>
#include <cstdint>
#include <sstream>
#include <string>

#include "flow/script.h"
#include "flow/scriptwords.h"

namespace {

bool Known(const replay::ScriptLine& line) {
    const std::string& a = line.argument;
    const auto arrow = [](char c) {
        return std::any_of(replay::kArrows.begin(), replay::kArrows.end(),
                           [c](const replay::Arrow& known) { return known.letter == c; });
    };
    switch (line.command) {
        case replay::Command::Hold:
            return a == "-" || (!a.empty() && std::all_of(a.begin(), a.end(), arrow));
        case replay::Command::Tap:
            return a.size() == 1 && arrow(a[0]);
        case replay::Command::Key:
            return replay::FindKey(a) != nullptr;
        case replay::Command::Click:
            return replay::FindControl(a) != nullptr;
        case replay::Command::Answer:
            return replay::FindAnswer(a) != nullptr;
        case replay::Command::Blur:
        case replay::Command::End:
            return a.empty();
    }
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    replay::ScriptReader reader(in);
    replay::ScriptLine line;
    std::int64_t last = 0;
    while (reader.Next(line)) {
        if (line.time < last || line.text.empty() || line.number <= 0 || !Known(line))
            __builtin_trap();
        last = line.time;
    }
    // Whatever the header held, it is one the window can put back.
    for (const auto& [name, values] : reader.Header().state) {
        const replay::StateWord* word = replay::FindState(name);
        if (!word || word->fields != values.size()) __builtin_trap();
    }
    return 0;
}
