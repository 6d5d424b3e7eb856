#pragma once

#include <cstdint>
#include <vector>

namespace plexifold::bench {

// A page-sized mask: 1 where there is ink, 0 on paper.
class InkMask {
public:
    InkMask(std::uint32_t width, std::uint32_t height)
        : m_width(width), m_height(height), m_ink(std::size_t{width} * height, 0) {}

    std::uint32_t width() const { return m_width; }
    std::uint32_t height() const { return m_height; }
    const std::uint8_t* row(std::uint32_t y) const { return &m_ink[std::size_t{y} * m_width]; }

    /// Inks the pixel when it lies on the page.
    void set(int x, int y) {
        if (x >= 0 && y >= 0 && x < static_cast<int>(m_width) && y < static_cast<int>(m_height))
            m_ink[static_cast<std::size_t>(y) * m_width + static_cast<std::size_t>(x)] = 1;
    }

    /// Inks the part of the rectangle that lies on the page.
    void fill(int x, int y, int w, int h) {
        for (int j = y; j < y + h; ++j)
            for (int i = x; i < x + w; ++i)
                set(i, j);
    }

private:
    std::uint32_t m_width;
    std::uint32_t m_height;
    std::vector<std::uint8_t> m_ink;
};

} // namespace plexifold::bench
