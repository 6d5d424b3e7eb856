// libFuzzer target: any bytes, loaded as a TIFF file, then each page saved. Built
// twice; with PLEXIFOLD_FUZZ_RELOAD each saved page must also load back as one
// page and save again.
#include <cstdio>
#include <cstdlib>

#include "FuzzCheck.h"
#include "TempFolder.h"

namespace {

#ifdef PLEXIFOLD_FUZZ_RELOAD
constexpr auto kMode = plexifold::fuzz::CheckMode::SaveReload;
#else
constexpr auto kMode = plexifold::fuzz::CheckMode::Save;
#endif

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const plexifold::test::TempFolder folder;
    const std::string broken = plexifold::fuzz::checkInput(data, size, folder.path(), kMode);
    if (!broken.empty()) {
        std::fprintf(stderr, "broken guarantee: %s\n", broken.c_str());
        std::abort();
    }
    return 0;
}
