#pragma once
#include <cstdint>
#include <span>
#include <string>

// Writes 16-bit PCM mono; false if the file could not be written completely.
bool writeWav(const std::string& path, std::span<const std::int16_t> samples, int sampleRate);
