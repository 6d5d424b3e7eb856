#pragma once

#include <cstdint>
#include <vector>

#include "InkMask.h"
#include "Rng.h"

namespace plexifold::bench {

// A made-up typeface of stroke glyphs. Set in lines and paragraphs, it gives
// pages the runs and edges of printed text, which is what fax and LZW coders
// see in real documents.
class GlyphFont {
public:
    /// `height` is the body size in pixels (about 24 for 10 pt at 200 dpi).
    GlyphFont(std::uint64_t seed, int height);

    /// Fills the box with paragraphs of ragged-right text and now and then a rule.
    void drawText(InkMask& mask, Rng& rng, int left, int top, int right, int bottom) const;

private:
    struct Glyph {
        int width = 0;
        std::vector<std::uint8_t> ink; // width x m_height, row by row
    };

    Glyph makeGlyph(Rng& rng) const;
    void stroke(Glyph& glyph, int x0, int y0, int x1, int y1) const;
    int drawWord(InkMask& mask, Rng& rng, int x, int baselineTop) const;
    void drawGlyph(InkMask& mask, const Glyph& glyph, int x, int y) const;

    int m_height;
    int m_stroke;
    std::vector<Glyph> m_glyphs;
};

} // namespace plexifold::bench
