#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace plat {

// The samples of a wave file as signed 16-bit native-endian PCM at the given rate and channel
// count (file names match case-insensitively). Empty, with one line on standard error, when the
// file is missing or not a wave file SDL can read.
std::vector<std::uint8_t> LoadWave(const std::string& path, int frequency, int channels);

}  // namespace plat
