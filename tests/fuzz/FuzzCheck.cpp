#include "FuzzCheck.h"

#include <algorithm>
#include <exception>
#include <fstream>
#include <vector>

#include "PageImageDocument.h"

namespace plexifold::fuzz {
namespace {

namespace fs = std::filesystem;
using imaging::PageFileCheck;
using imaging::PageImageDocument;
using imaging::TiffError;

const std::string kSentinel = "left as it was";

void writeFile(const fs::path& path, const void* data, std::size_t size) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
}

// At most `limit` bytes of a file.
std::string readStart(const fs::path& path, std::size_t limit) {
    std::ifstream in(path, std::ios::binary);
    std::string bytes(limit, '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(limit));
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    return bytes;
}

// Compares two files a block at a time: a page file may be far larger than the memory
// a fuzz run may take.
bool sameBytes(const fs::path& a, const fs::path& b) {
    if (fs::file_size(a) != fs::file_size(b))
        return false;
    std::ifstream inA(a, std::ios::binary), inB(b, std::ios::binary);
    std::vector<char> blockA(64 * 1024), blockB(blockA.size());
    while (inA && inB) {
        inA.read(blockA.data(), static_cast<std::streamsize>(blockA.size()));
        inB.read(blockB.data(), static_cast<std::streamsize>(blockB.size()));
        if (inA.gcount() != inB.gcount() ||
            !std::equal(blockA.begin(), blockA.begin() + inA.gcount(), blockB.begin()))
            return false;
    }
    return inA.eof() && inB.eof();
}

fs::path pagePath(const fs::path& folder, std::int32_t index) {
    return folder / ("page_" + std::to_string(index) + ".tif");
}

// Anything but the input, the page files and the re-saved page is a leftover.
std::string leftovers(const fs::path& folder) {
    for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        if (name != "input.tif" && name != "again.tif" && name.rfind("page_", 0) != 0)
            return "a file was left behind: " + name;
    }
    return {};
}

std::string checkReload(const fs::path& page, const fs::path& folder) {
    PageImageDocument copy;
    if (!copy.LoadFile(page))
        return "a saved page does not load: " + copy.errorText();
    if (copy.PageCount() != 1)
        return "a saved page holds " + std::to_string(copy.PageCount()) + " pages";
    try {
        copy.GetPage(0).SaveFile(folder / "again.tif");
    } catch (const TiffError& error) {
        return std::string("a saved page does not save again: ") + error.what();
    }
    // Nothing is lost or changed on the way, and the layout does not depend on where the
    // data sat in the source: a page file copies to itself.
    if (!sameBytes(folder / "again.tif", page))
        return "a saved page saved again differs from itself";
    return {};
}

std::string checkFailedSave(const TiffError& error, const fs::path& target,
                            const fs::path& folder) {
    if (std::string(error.what()).empty())
        return "SaveFile failed without a reason";
    if (readStart(target, kSentinel.size() + 1) != kSentinel)
        return "a failed SaveFile changed its target";
    return leftovers(folder);
}

std::string checkPage(const PageImageDocument& document, std::int32_t index, const fs::path& folder,
                      CheckMode mode, std::uint64_t& total) {
    const PageImageDocument page = document.GetPage(index);
    if (page.PageCount() != 1)
        return "GetPage gave a document of " + std::to_string(page.PageCount()) + " pages";
    const fs::path target = pagePath(folder, index);
    writeFile(target, kSentinel.data(), kSentinel.size());
    std::uint64_t written = 0;
    try {
        written = page.SaveFile(target);
    } catch (const TiffError& error) {
        return checkFailedSave(error, target, folder);
    }
    if (fs::file_size(target) != written)
        return "SaveFile counted " + std::to_string(written) + " bytes, the file holds " +
               std::to_string(fs::file_size(target));
    total += written;
    // The read-back of --verify and --check agrees with the writer on every page it writes.
    const PageFileCheck check = page.CheckFile(target);
    if (check.state != PageFileCheck::Ok)
        return "a saved page does not compare equal to its source: " + check.difference;
    return mode == CheckMode::SaveReload ? checkReload(target, folder) : std::string();
}

std::string checkIndexBounds(const PageImageDocument& document) {
    for (const std::int32_t index : {-1, document.PageCount()}) {
        try {
            document.GetPage(index);
            return "GetPage(" + std::to_string(index) + ") did not throw";
        } catch (const TiffError&) {
        }
    }
    return {};
}

std::string checkDocument(const fs::path& input, const fs::path& folder, CheckMode mode) {
    PageImageDocument document;
    if (!document.LoadFile(input))
        return document.errorText().empty() ? "LoadFile failed without a reason" : "";
    if (document.PageCount() < 1)
        return "LoadFile succeeded with no page";
    const std::int32_t pages = std::min(document.PageCount(), kMaxPages);
    std::uint64_t total = 0;
    for (std::int32_t index = 0; index < pages; ++index) {
        const std::string broken = checkPage(document, index, folder, mode, total);
        if (!broken.empty())
            return "page " + std::to_string(index + 1) + ": " + broken;
    }
    // However the pages share their data, a file cannot fill the disk.
    if (total > 4 * fs::file_size(input) + (std::uint64_t{64} << 20))
        return "the pages add up to " + std::to_string(total) + " bytes";
    const std::string broken = checkIndexBounds(document);
    return broken.empty() ? leftovers(folder) : broken;
}

} // namespace

std::string checkInput(const std::uint8_t* data, std::size_t size, const fs::path& folder,
                       CheckMode mode) {
    const fs::path input = folder / "input.tif";
    writeFile(input, data, size);
    try {
        return checkDocument(input, folder, mode);
    } catch (const TiffError& error) {
        return std::string("TiffError where none is expected: ") + error.what();
    } catch (const std::exception& error) {
        return std::string("unexpected exception: ") + error.what();
    }
}

} // namespace plexifold::fuzz
