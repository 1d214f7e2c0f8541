#pragma once
#include <cstdint>
#include <string>
#include <vector>

inline constexpr int kSampleRate = 44100;
// Every effect and tune peaks here, so none is louder than another.
inline constexpr double kPeakDbfs = -3.0;

struct Sound {
    std::string fileName;
    std::vector<std::int16_t> samples;
};

std::vector<Sound> makeSounds();
