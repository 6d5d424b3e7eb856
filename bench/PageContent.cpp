#include "PageContent.h"

#include <algorithm>
#include <array>

#include "ValueNoise.h"

namespace plexifold::bench {
namespace {

struct Area {
    int x, y, width, height;
};

std::uint8_t clampByte(int value) {
    return static_cast<std::uint8_t>(std::clamp(value, 0, 255));
}

// Value noise in one dimension: random levels every `span` pixels, eased between.
std::vector<int> smoothTable(Rng& rng, int length, int span, int amplitude) {
    std::vector<int> knots(static_cast<std::size_t>(length / span + 2));
    for (int& knot : knots)
        knot = rng.between(-amplitude, amplitude);
    std::vector<int> table(static_cast<std::size_t>(length));
    for (int x = 0; x < length; ++x) {
        const int k = x / span;
        const std::int64_t t = (x % span) * 1024 / span;            // 0..1023
        const std::int64_t ease = t * t * (3 * 1024 - 2 * t) >> 20; // smoothstep, 0..1023
        const int a = knots[static_cast<std::size_t>(k)];
        const int b = knots[static_cast<std::size_t>(k + 1)];
        table[static_cast<std::size_t>(x)] = a + static_cast<int>((b - a) * ease / 1024);
    }
    return table;
}

// Sensor noise of a scanner: mostly nothing, now and then a step or two either way.
void addScannerNoise(std::uint8_t* bytes, std::size_t count, Rng& rng) {
    static constexpr std::array<int, 16> steps = {0, 0,  0, 0,  0, 0, 1, -1,
                                                  1, -1, 2, -2, 0, 0, 1, -1};
    for (std::size_t i = 0; i < count;) {
        std::uint64_t bits = rng.next();
        for (int n = 0; n < 16 && i < count; ++n, ++i, bits >>= 4)
            bytes[i] = clampByte(bytes[i] + steps[bits & 15u]);
    }
}

// Sensor noise of a camera: within +-7, most often near 0.
void addCameraNoise(std::uint8_t* bytes, std::size_t count, Rng& rng) {
    for (std::size_t i = 0; i < count;) {
        std::uint64_t bits = rng.next();
        for (int n = 0; n < 10 && i < count; ++n, ++i, bits >>= 6)
            bytes[i] = clampByte(bytes[i] + int(bits & 7u) + int((bits >> 3) & 7u) - 7);
    }
}

// The detail of a photo at three scales, strong in some regions and absent in
// others, as foliage and fabric beside sky and walls.
class PhotoTexture {
public:
    PhotoTexture(Rng& rng, int width, int height)
        : m_coarse(rng, width, height, 40, 30), m_medium(rng, width, height, 9, 24),
          m_fine(rng, width, height, 3, 20), m_strength(rng, width, height, 300, 320) {}

    int at(int x, int y) const {
        const int strength = std::clamp(m_strength.at(x, y) + 160, 0, 256);
        return (m_coarse.at(x, y) + m_medium.at(x, y) + m_fine.at(x, y)) * strength / 256;
    }

private:
    ValueNoise m_coarse, m_medium, m_fine, m_strength;
};

// Shaded background and a few shaded objects with hard edges, all textured.
void paintBackground(std::uint8_t* pixels, std::size_t stride, int channels, Area area, Rng& rng,
                     const PhotoTexture& texture) {
    std::array<int, 3> base{};
    std::array<std::vector<int>, 3> columns, rows;
    for (int c = 0; c < channels; ++c) {
        base[std::size_t(c)] = rng.between(60, 190);
        columns[std::size_t(c)] = smoothTable(rng, area.width, std::max(8, area.width / 5), 45);
        rows[std::size_t(c)] = smoothTable(rng, area.height, std::max(8, area.height / 4), 45);
    }
    for (int y = 0; y < area.height; ++y) {
        std::uint8_t* row =
            pixels + std::size_t(area.y + y) * stride + std::size_t(area.x) * channels;
        for (int x = 0; x < area.width; ++x) {
            const int detail = texture.at(x, y);
            for (std::size_t c = 0; c < std::size_t(channels); ++c)
                row[x * channels + int(c)] = clampByte(base[c] + columns[c][std::size_t(x)] +
                                                       rows[c][std::size_t(y)] + detail);
        }
    }
}

void paintObject(std::uint8_t* pixels, std::size_t stride, int channels, Area area, Rng& rng,
                 const PhotoTexture& texture) {
    const std::int64_t rx = rng.between(area.width / 20, area.width / 5);
    const std::int64_t ry = rng.between(area.height / 20, area.height / 5);
    const int cx = rng.between(0, area.width - 1);
    const int cy = rng.between(0, area.height - 1);
    std::array<int, 3> colour{};
    for (int& level : colour)
        level = rng.between(20, 235);
    const int slope = rng.between(-40, 40);
    for (int y = std::max(0, int(cy - ry)); y < std::min(area.height, int(cy + ry)); ++y) {
        std::uint8_t* row =
            pixels + std::size_t(area.y + y) * stride + std::size_t(area.x) * channels;
        const std::int64_t dy = y - cy;
        for (int x = std::max(0, int(cx - rx)); x < std::min(area.width, int(cx + rx)); ++x) {
            const std::int64_t dx = x - cx;
            if (dx * dx * ry * ry + dy * dy * rx * rx > rx * rx * ry * ry)
                continue;
            const int shade =
                static_cast<int>(slope * (dx + dy) / (rx + ry)) + texture.at(x, y) / 2;
            for (int c = 0; c < channels; ++c)
                row[x * channels + c] = clampByte(colour[std::size_t(c)] + shade);
        }
    }
}

void paintPhoto(std::uint8_t* pixels, std::size_t stride, int channels, Area area, Rng& rng) {
    const PhotoTexture texture(rng, area.width, area.height);
    paintBackground(pixels, stride, channels, area, rng, texture);
    for (int objects = rng.between(4, 10); objects > 0; --objects)
        paintObject(pixels, stride, channels, area, rng, texture);
}

// Lays text over paper: ink where the mask has it, softened at the edges as a
// scanner's optics do.
void paintText(std::uint8_t* pixels, int channels, const InkMask& mask,
               const std::array<int, 3>& paper, const std::array<int, 3>& ink) {
    const int width = static_cast<int>(mask.width());
    for (std::uint32_t y = 0; y < mask.height(); ++y) {
        const std::uint8_t* m = mask.row(y);
        std::uint8_t* row = pixels + std::size_t(y) * std::size_t(width) * channels;
        for (int x = 0; x < width; ++x) {
            const int left = x > 0 ? m[x - 1] : 0;
            const int right = x + 1 < width ? m[x + 1] : 0;
            const int cover = left + 2 * m[x] + right; // 0..4
            for (int c = 0; c < channels; ++c)
                row[x * channels + c] =
                    clampByte(paper[std::size_t(c)] +
                              (ink[std::size_t(c)] - paper[std::size_t(c)]) * cover / 4);
        }
    }
}

InkMask textMask(Rng& rng, std::uint32_t width, std::uint32_t height, const GlyphFont& font) {
    InkMask mask(width, height);
    const int margin = static_cast<int>(width) * 3 / 32;
    font.drawText(mask, rng, margin, margin * 4 / 3, static_cast<int>(width) - margin,
                  static_cast<int>(height) - margin * 4 / 3);
    return mask;
}

Area pictureArea(Rng& rng, std::uint32_t width, std::uint32_t height) {
    const int w = static_cast<int>(width) * rng.between(30, 70) / 100;
    const int h = static_cast<int>(height) * rng.between(15, 35) / 100;
    return {rng.between(int(width) / 10, int(width) * 9 / 10 - w),
            rng.between(int(height) / 10, int(height) * 9 / 10 - h), w, h};
}

} // namespace

std::vector<std::uint8_t> faxPage(std::uint64_t seed, std::uint32_t width, std::uint32_t height,
                                  const GlyphFont& font) {
    Rng rng(seed);
    InkMask mask = textMask(rng, width, height, font);
    for (int speck = rng.between(50, 300); speck > 0; --speck) // dust on the glass
        mask.fill(rng.between(0, int(width) - 1), rng.between(0, int(height) - 1), 2, 2);
    const std::size_t rowBytes = (width + 7) / 8;
    std::vector<std::uint8_t> bits(rowBytes * height, 0);
    for (std::uint32_t y = 0; y < height; ++y)
        for (std::uint32_t x = 0; x < width; ++x)
            if (mask.row(y)[x])
                bits[y * rowBytes + x / 8] |= static_cast<std::uint8_t>(0x80u >> (x % 8));
    return bits;
}

std::vector<std::uint8_t> greyDocumentPage(std::uint64_t seed, std::uint32_t width,
                                           std::uint32_t height, const GlyphFont& font) {
    Rng rng(seed);
    std::vector<std::uint8_t> pixels(std::size_t{width} * height);
    paintText(pixels.data(), 1, textMask(rng, width, height, font), {236, 0, 0}, {38, 0, 0});
    if (rng.below(2) == 0)
        paintPhoto(pixels.data(), width, 1, pictureArea(rng, width, height), rng);
    addScannerNoise(pixels.data(), pixels.size(), rng);
    return pixels;
}

std::vector<std::uint8_t> colourScanPage(std::uint64_t seed, std::uint32_t width,
                                         std::uint32_t height, const GlyphFont& font) {
    Rng rng(seed);
    std::vector<std::uint8_t> pixels(std::size_t{width} * height * 3);
    paintText(pixels.data(), 3, textMask(rng, width, height, font), {246, 243, 236}, {30, 32, 40});
    paintPhoto(pixels.data(), std::size_t{width} * 3, 3, pictureArea(rng, width, height), rng);
    addScannerNoise(pixels.data(), pixels.size(), rng);
    return pixels;
}

std::vector<std::uint8_t> photoPage(std::uint64_t seed, std::uint32_t width, std::uint32_t height) {
    Rng rng(seed);
    std::vector<std::uint8_t> pixels(std::size_t{width} * height * 3);
    paintPhoto(pixels.data(), std::size_t{width} * 3, 3,
               {0, 0, static_cast<int>(width), static_cast<int>(height)}, rng);
    addCameraNoise(pixels.data(), pixels.size(), rng);
    return pixels;
}

} // namespace plexifold::bench
