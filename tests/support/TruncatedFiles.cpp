#include "TruncatedFiles.h"

#include <memory>

#include "PageChain.h"

namespace plexifold::test {
namespace {

constexpr int kPages = 6;
constexpr std::uint32_t kSide = 48;
constexpr std::size_t kStripBytes = kSide * kSide;

struct PagePlace {
    std::uint64_t directory = 0;
    std::uint64_t directoryEnd = 0;
    std::uint64_t dataEnd = 0;
};

struct Built {
    std::vector<std::uint8_t> bytes;
    std::vector<PagePlace> pages;
};

std::vector<RawTiff::Entry> pageEntries(const RawTiff& tiff, std::uint64_t data) {
    return tiff.greyPage(kSide, kSide, {data}, {kStripBytes});
}

// Where its entries end: a directory whose link is cut off is still read, as the last.
std::uint64_t directoryEnd(std::uint64_t directory, std::size_t entries) {
    return directory + 2 + entries * 12;
}

Built dataFirst() {
    RawTiff tiff;
    Built built;
    for (int page = 1; page <= kPages; ++page) {
        const std::uint64_t data = tiff.append(pagePixels(page, kStripBytes));
        const auto entries = pageEntries(tiff, data);
        const std::uint64_t ifd = tiff.addDirectory(entries);
        built.pages.push_back({ifd, directoryEnd(ifd, entries.size()), data + kStripBytes});
        page == 1 ? tiff.setFirstDirectory(ifd)
                  : tiff.setNext(built.pages[page - 2].directory, ifd);
    }
    built.bytes = tiff.data();
    return built;
}

Built directoriesFirst() {
    RawTiff tiff;
    Built built;
    for (int page = 1; page <= kPages; ++page) {
        const auto entries = pageEntries(tiff, 0);
        const std::uint64_t ifd = tiff.addDirectory(entries);
        built.pages.push_back({ifd, directoryEnd(ifd, entries.size()), 0});
        page == 1 ? tiff.setFirstDirectory(ifd)
                  : tiff.setNext(built.pages[page - 2].directory, ifd);
    }
    for (int page = 1; page <= kPages; ++page) {
        PagePlace& place = built.pages[page - 1];
        const std::uint64_t data = tiff.append(pagePixels(page, kStripBytes));
        tiff.patch(tiff.fieldOffset(place.directory, 5), data, 4);
        place.dataEnd = data + kStripBytes;
    }
    built.bytes = tiff.data();
    return built;
}

// What a file cut at `cut` bytes gives: the chain runs while directories are whole;
// every page of the chain from the first whose strip is cut fails.
HostileFile verdictOf(const Built& built, std::uint64_t cut) {
    int chain = 0;
    while (chain < kPages && built.pages[chain].directoryEnd <= cut)
        ++chain;
    HostileFile file;
    file.pages = chain;
    for (int page = 1; page <= chain; ++page)
        if (built.pages[page - 1].dataEnd > cut) {
            file.failing = page;
            file.lastFailing = chain;
            break;
        }
    return file;
}

// Cut at `cut` bytes: a row named `name`.
HostileFile cutAt(const std::shared_ptr<const Built>& built, std::uint64_t cut, std::string name) {
    HostileFile file = verdictOf(*built, cut);
    file.name = std::move(name);
    file.bytes = [built, cut] {
        return std::vector<std::uint8_t>(built->bytes.begin(),
                                         built->bytes.begin() + static_cast<long>(cut));
    };
    file.stripBytes = kStripBytes;
    return file;
}

} // namespace

std::vector<HostileFile> truncatedFiles() {
    std::vector<HostileFile> files;
    for (const bool libtiffLayout : {true, false}) {
        const auto built =
            std::make_shared<const Built>(libtiffLayout ? dataFirst() : directoriesFirst());
        const std::string layout = libtiffLayout ? "DataFirst" : "DirectoriesFirst";
        for (const int percent : {10, 50, 90})
            files.push_back(cutAt(built, built->bytes.size() * percent / 100,
                                  layout + "CutAt" + std::to_string(percent) + "Percent"));
    }
    // The file ends where the last directory's link would be: that directory is the last page.
    const auto built = std::make_shared<const Built>(dataFirst());
    files.push_back(cutAt(built, built->bytes.size() - 4, "DataFirstWithoutItsLastLink"));
    return files;
}

} // namespace plexifold::test
