#include "ArrayReader.h"

#include <algorithm>

#include "TiffError.h"
#include "TiffSource.h"

namespace plexifold::imaging {

ArrayReader::ArrayReader(const TiffSource& source, const TiffEntry& entry, std::string context)
    : m_source(source), m_entry(entry), m_context(std::move(context)),
      m_width(typeSize(entry.type)) {}

std::size_t ArrayReader::read(std::uint64_t* out, std::size_t max) {
    const auto n = static_cast<std::size_t>(std::min<std::uint64_t>(max, m_entry.count - m_next));
    if (n == 0)
        return 0;
    m_raw.resize(n * m_width);
    if (!m_source.readValue(m_entry, m_next * m_width, m_raw.data(), m_raw.size()))
        throw TiffError(m_context + ": the file ended while reading " + tagName(m_entry.tag));
    const ByteOrder order = m_source.order();
    for (std::size_t i = 0; i < n; ++i)
        out[i] = order.get(m_raw.data() + i * m_width, m_width);
    m_next += n;
    return n;
}

} // namespace plexifold::imaging
