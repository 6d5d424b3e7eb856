#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "TiffTypes.h"

namespace plexifold::imaging {

class TiffSource;

// Reads an entry's array of unsigned integers (SHORT, LONG, IFD, LONG8, IFD8) a chunk at a
// time, so that an array of millions of strip offsets is never held whole.
class ArrayReader {
public:
    static constexpr std::size_t ChunkSize = 64 * 1024;

    /// `entry` must have an offset type and a value inside the file. `context` ("page 5")
    /// starts the message of a failure.
    ArrayReader(const TiffSource& source, const TiffEntry& entry, std::string context);

    std::uint64_t size() const { return m_entry.count; }

    /// Reads up to `max` next values into `out` and returns how many (0 at the end).
    /// Throws TiffError when the file ends first.
    std::size_t read(std::uint64_t* out, std::size_t max);

private:
    const TiffSource& m_source;
    TiffEntry m_entry;
    std::string m_context;
    unsigned m_width;
    std::uint64_t m_next = 0;
    std::vector<std::uint8_t> m_raw;
};

} // namespace plexifold::imaging
