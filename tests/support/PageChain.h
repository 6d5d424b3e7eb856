#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "RawTiff.h"

// Chains of small valid pages, written byte by byte, for files too odd or too big
// for libtiff to make.
namespace plexifold::test {

/// The pixels of page `page` (from 1) of a chain: `size` bytes that differ from page to page.
std::vector<std::uint8_t> pagePixels(int page, std::size_t size = 16);

/// Changes the entries of one page before its directory is written.
using EntryChange = std::function<void(RawTiff&, std::vector<RawTiff::Entry>&)>;

/// Appends `pages` grey pages of 4 x 4 pixels (pagePixels), their directories chained
/// in order from the header, and returns the directory offsets. `change`, when set,
/// is applied to the entries of page `changed` (from 1).
std::vector<std::uint64_t> appendPageChain(RawTiff& tiff, std::uint64_t pages, int changed = 0,
                                           const EntryChange& change = {});

/// An entry whose value field holds `field` as it stands, while it claims `count`
/// values of `type`: a pointer that may lead anywhere.
RawTiff::Entry pointingEntry(const RawTiff& tiff, bool bigTiff, std::uint16_t tag,
                             std::uint16_t type, std::uint64_t count, std::uint64_t field);

/// A LONG array entry for `count` values made by `value(i)`, encoded at once: for
/// arrays of millions.
RawTiff::Entry longArray(bool bigEndian, std::uint16_t tag, std::uint64_t count,
                         const std::function<std::uint32_t(std::uint64_t)>& value);

} // namespace plexifold::test
