// Wave files, converted to what the sound device plays.
#include <cstdint>
#include <string>

#include "platform/wavefile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    std::string error;
    const std::vector<std::uint8_t> pcm = plat::DecodeWave(bytes, 44100, 1, error);
    // Whole 16-bit samples, or nothing and a reason.
    if (pcm.size() % 2 != 0 || (pcm.empty() && error.empty())) __builtin_trap();
    return 0;
}
