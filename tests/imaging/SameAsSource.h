#pragma once

#include <gtest/gtest.h>

#include "TiffInspector.h"

namespace plexifold::test {

/// Expects libtiff to see the same tags, data and pixels in both, owned directories included.
inline void expectSame(const DirectorySnapshot& source, const DirectorySnapshot& page) {
    EXPECT_EQ(source.printed, page.printed);
    EXPECT_EQ(source.values, page.values);
    EXPECT_EQ(source.rawData, page.rawData);
    EXPECT_EQ(source.pixels, page.pixels);
    ASSERT_EQ(source.children.size(), page.children.size());
    for (std::size_t i = 0; i < source.children.size(); ++i) {
        SCOPED_TRACE("owned directory " + std::to_string(i + 1));
        expectSame(source.children[i], page.children[i]);
    }
}

} // namespace plexifold::test
