#pragma once

#include <cstdint>
#include <vector>

#include "GlyphFont.h"

// Page images for the benchmark corpus, built from integers only so every
// machine makes the same bytes. Each page is drawn from its own seed.
namespace plexifold::bench {

/// A fax page of text: 1 bit per pixel, 1 is black (MinIsWhite), rows packed
/// from the high bit and padded to whole bytes.
std::vector<std::uint8_t> faxPage(std::uint64_t seed, std::uint32_t width, std::uint32_t height,
                                  const GlyphFont& font);

/// A grey scan of a printed page: paper with sensor noise, soft-edged text and
/// on some pages a halftone picture. 8 bits per pixel.
std::vector<std::uint8_t> greyDocumentPage(std::uint64_t seed, std::uint32_t width,
                                           std::uint32_t height, const GlyphFont& font);

/// A colour scan of a printed page with a photo on it. RGB, 8 bits per sample.
std::vector<std::uint8_t> colourScanPage(std::uint64_t seed, std::uint32_t width,
                                         std::uint32_t height, const GlyphFont& font);

/// A photo: smooth shades, objects with hard edges and sensor noise. RGB, 8 bits per sample.
std::vector<std::uint8_t> photoPage(std::uint64_t seed, std::uint32_t width, std::uint32_t height);

} // namespace plexifold::bench
