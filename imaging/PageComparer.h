#pragma once

#include <cstddef>
#include <filesystem>
#include <string>

#include "FileHandle.h"
#include "PagePlan.h"

namespace plexifold::imaging {

class TiffSource;
struct PageFileCheck;

/// Reads the page file `written` back as any TIFF file is read and compares it with the
/// page of `source` that `plan` was made for: the directories the plan holds entry by
/// entry (tag, type, count and value; an offset by the bytes it points at, a length by its
/// number), then the bytes of every strip, tile, JPEG stream and table. What the plan
/// leaves out or mends is expected as the plan has it. Returns "" when the page file holds
/// the page, else its first difference, starting as the plan's messages do: "page 3:
/// strip 7 differs from the source at byte 4,096". Throws TiffError when the source
/// cannot be read as planned.
std::string comparePageFile(const TiffSource& source, const PagePlan& plan,
                            const TiffSource& written);

/// comparePageFile for the page file open in `file`, not yet under its name; one that
/// cannot be read as TIFF differs too.
std::string compareWritten(const TiffSource& source, const PagePlan& plan,
                           const files::FileHandle& file);

/// Plans page `page` of `source` and compares the page file at `path` with it; `digest`
/// adds the page file's SHA-256. Throws TiffError when the page cannot be planned.
PageFileCheck checkPageFile(const TiffSource& source, std::size_t page,
                            const std::filesystem::path& path, bool digest);

} // namespace plexifold::imaging
