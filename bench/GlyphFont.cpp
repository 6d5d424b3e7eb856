#include "GlyphFont.h"

#include <algorithm>
#include <cstdlib>

namespace plexifold::bench {
namespace {

constexpr int glyphCount = 80;

} // namespace

GlyphFont::GlyphFont(std::uint64_t seed, int height)
    : m_height(height), m_stroke(std::max(2, height / 10)) {
    Rng rng(seed);
    for (int i = 0; i < glyphCount; ++i)
        m_glyphs.push_back(makeGlyph(rng));
}

GlyphFont::Glyph GlyphFont::makeGlyph(Rng& rng) const {
    Glyph glyph;
    glyph.width = m_height * rng.between(45, 75) / 100;
    glyph.ink.assign(static_cast<std::size_t>(glyph.width * m_height), 0);
    // Most glyphs are lower case: they sit on the x-height, a few rise or descend.
    const bool tall = rng.below(10) < 3;
    const int top = tall ? 0 : m_height * 30 / 100;
    const int bottom = rng.below(10) == 0 ? m_height - 1 : m_height * 78 / 100;
    const int xs[] = {0, glyph.width / 2, glyph.width - m_stroke};
    const int ys[] = {top, (top + bottom) / 2, bottom - m_stroke};
    const int strokes = rng.between(2, 4);
    for (int s = 0; s < strokes; ++s)
        stroke(glyph, xs[rng.below(3)], ys[rng.below(3)], xs[rng.below(3)], ys[rng.below(3)]);
    return glyph;
}

void GlyphFont::stroke(Glyph& glyph, int x0, int y0, int x1, int y1) const {
    const int steps = std::max({std::abs(x1 - x0), std::abs(y1 - y0), 1});
    for (int i = 0; i <= steps; ++i) {
        const int x = x0 + (x1 - x0) * i / steps;
        const int y = y0 + (y1 - y0) * i / steps;
        for (int dy = 0; dy < m_stroke && y + dy < m_height; ++dy)
            for (int dx = 0; dx < m_stroke && x + dx < glyph.width; ++dx)
                glyph.ink[static_cast<std::size_t>((y + dy) * glyph.width + x + dx)] = 1;
    }
}

void GlyphFont::drawGlyph(InkMask& mask, const Glyph& glyph, int x, int y) const {
    for (int j = 0; j < m_height; ++j)
        for (int i = 0; i < glyph.width; ++i)
            if (glyph.ink[static_cast<std::size_t>(j * glyph.width + i)])
                mask.set(x + i, y + j);
}

int GlyphFont::drawWord(InkMask& mask, Rng& rng, int x, int top) const {
    const int letters = rng.between(1, 9);
    for (int i = 0; i < letters; ++i) {
        const Glyph& glyph = m_glyphs[rng.below(glyphCount)];
        drawGlyph(mask, glyph, x, top);
        x += glyph.width + m_stroke;
    }
    return x;
}

void GlyphFont::drawText(InkMask& mask, Rng& rng, int left, int top, int right, int bottom) const {
    const int pitch = m_height * 3 / 2;
    const int space = m_height / 2;
    int y = top;
    while (y + m_height <= bottom) {
        if (rng.below(40) == 0) { // a rule under a heading or around a table
            mask.fill(left, y + m_height / 2, right - left, m_stroke);
            y += pitch;
            continue;
        }
        const int lines = rng.between(2, 9);
        for (int line = 0; line < lines && y + m_height <= bottom; ++line, y += pitch) {
            // The last line of a paragraph stops short; the others run to the margin.
            const int end = line + 1 == lines ? left + (right - left) * rng.between(20, 90) / 100
                                              : right - m_height * 5;
            int x = line == 0 ? left + m_height * 2 : left;
            while (x < end)
                x = drawWord(mask, rng, x, y) + space;
        }
        y += pitch / 2;
    }
}

} // namespace plexifold::bench
