#pragma once

#include <cstdint>
#include <vector>

#include "Rng.h"

namespace plexifold::bench {

// Two-dimensional value noise: random levels on a grid `span` pixels apart,
// blended between. Summed at a few spans it gives the texture of a photo.
class ValueNoise {
public:
    ValueNoise(Rng& rng, int width, int height, int span, int amplitude);

    /// The level at (x, y), within +-amplitude.
    int at(int x, int y) const {
        const int gx = x / m_span, gy = y / m_span;
        const int fx = (x - gx * m_span) * 256 / m_span;
        const int fy = (y - gy * m_span) * 256 / m_span;
        const int* top = &m_levels[static_cast<std::size_t>(gy * m_columns + gx)];
        const int* bottom = top + m_columns;
        const int upper = top[0] * (256 - fx) + top[1] * fx;
        const int lower = bottom[0] * (256 - fx) + bottom[1] * fx;
        return (upper * (256 - fy) + lower * fy) >> 16;
    }

private:
    int m_span;
    int m_columns;
    std::vector<int> m_levels;
};

} // namespace plexifold::bench
