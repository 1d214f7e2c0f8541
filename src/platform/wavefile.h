#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace plat {

// The samples of a wave file as signed 16-bit native-endian PCM at the given rate and channel
// count (file names match case-insensitively). Empty, with one line on standard error, when the
// file is missing, not a regular file or not a wave file SDL can read.
std::vector<std::uint8_t> LoadWave(const std::string& path, int frequency, int channels);

// The same for the bytes of a wave file; empty, with the reason in error, when they are not one.
std::vector<std::uint8_t> DecodeWave(const std::string& bytes, int frequency, int channels,
                                     std::string& error);

}  // namespace plat
