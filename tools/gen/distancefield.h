#pragma once
#include <vector>

// Exact Euclidean distance (in samples) from every sample of a w x h grid to the nearest sample
// whose `feature` flag is set; huge where the grid has no feature at all.
std::vector<float> distanceToFeature(const std::vector<bool>& feature, int w, int h);
