#include "distancefield.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr float kFar = 1e12f;

// Lower envelope of parabolas (Felzenszwalb & Huttenlocher): squared distances along one line.
void transform1d(const float* f, float* d, int n, std::vector<int>& v, std::vector<float>& z) {
    const auto meet = [f](int q, int p) {
        return ((f[q] + float(q) * q) - (f[p] + float(p) * p)) / (2.0f * float(q - p));
    };
    int k = 0;
    v[0] = 0;
    z[0] = -std::numeric_limits<float>::infinity();
    z[1] = std::numeric_limits<float>::infinity();
    for (int q = 1; q < n; ++q) {
        float s = meet(q, v[k]);
        while (s <= z[k]) s = meet(q, v[--k]);  // z[0] is -inf, so k never drops below 0
        ++k;
        v[k] = q;
        z[k] = s;
        z[k + 1] = std::numeric_limits<float>::infinity();
    }
    k = 0;
    for (int q = 0; q < n; ++q) {
        while (z[k + 1] < float(q)) ++k;
        const float dq = float(q - v[k]);
        d[q] = dq * dq + f[v[k]];
    }
}

}  // namespace

std::vector<float> distanceToFeature(const std::vector<bool>& feature, int w, int h) {
    std::vector<float> grid(static_cast<std::size_t>(w) * h);
    for (std::size_t i = 0; i < grid.size(); ++i) grid[i] = feature[i] ? 0.0f : kFar;

    const int n = std::max(w, h);
    std::vector<float> in(n), out(n), z(n + 1);
    std::vector<int> v(n);
    for (int x = 0; x < w; ++x) {
        for (int y = 0; y < h; ++y) in[y] = grid[static_cast<std::size_t>(y) * w + x];
        transform1d(in.data(), out.data(), h, v, z);
        for (int y = 0; y < h; ++y) grid[static_cast<std::size_t>(y) * w + x] = out[y];
    }
    for (int y = 0; y < h; ++y) {
        float* row = grid.data() + static_cast<std::size_t>(y) * w;
        transform1d(row, out.data(), w, v, z);
        for (int x = 0; x < w; ++x) row[x] = std::sqrt(out[x]);
    }
    return grid;
}
