#include "PageChain.h"

namespace plexifold::test {

std::vector<std::uint8_t> pagePixels(int page, std::size_t size) {
    std::vector<std::uint8_t> pixels(size);
    for (std::size_t i = 0; i < size; ++i)
        pixels[i] = static_cast<std::uint8_t>(i * 16 + 3 + static_cast<std::size_t>(page) * 5);
    return pixels;
}

std::vector<std::uint64_t> appendPageChain(RawTiff& tiff, std::uint64_t pages, int changed,
                                           const EntryChange& change) {
    std::vector<std::uint64_t> ifds;
    ifds.reserve(pages);
    std::uint64_t shared = 0; // long chains share one strip: their size stays small
    for (std::uint64_t page = 1; page <= pages; ++page) {
        const bool own = pages <= 16;
        if (own || shared == 0)
            shared = tiff.append(pagePixels(static_cast<int>(own ? page : 1)));
        auto entries = tiff.greyPage(4, 4, {shared}, {16});
        if (change && page == static_cast<std::uint64_t>(changed))
            change(tiff, entries);
        ifds.push_back(tiff.addDirectory(entries));
        if (page == 1)
            tiff.setFirstDirectory(ifds.back());
        else
            tiff.setNext(ifds[ifds.size() - 2], ifds.back());
    }
    return ifds;
}

RawTiff::Entry pointingEntry(const RawTiff& tiff, bool bigTiff, std::uint16_t tag,
                             std::uint16_t type, std::uint64_t count, std::uint64_t field) {
    RawTiff::Entry entry = bigTiff ? tiff.long8s(tag, {field}) : tiff.longs(tag, {field});
    entry.type = type;
    entry.count = count;
    return entry;
}

RawTiff::Entry longArray(bool bigEndian, std::uint16_t tag, std::uint64_t count,
                         const std::function<std::uint32_t(std::uint64_t)>& value) {
    RawTiff::Entry entry{tag, 4, count, std::vector<std::uint8_t>(count * 4)};
    for (std::uint64_t i = 0; i < count; ++i) {
        const std::uint32_t v = value(i);
        for (unsigned b = 0; b < 4; ++b)
            entry.value[i * 4 + b] = static_cast<std::uint8_t>(v >> (8 * (bigEndian ? 3 - b : b)));
    }
    return entry;
}

} // namespace plexifold::test
