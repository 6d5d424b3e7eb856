// Which pages of a file, and which files of a list, a run takes.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "PageNaming.h"
#include "PageSelection.h"
#include "PathText.h"
#include "Shard.h"

using namespace plexifold;

namespace {

TEST(PageSelection, ReadsListsAndResolvesThemPerFile) {
    struct Case {
        const char* text;
        std::int32_t total;
        std::vector<std::int32_t> pages; // empty: the file fails
        bool readable = true;
    };
    for (const Case& c : {
             Case{"1-3,7,-1", 12, {1, 2, 3, 7, 12}},
             Case{"-1", 1, {1}},
             Case{"-3--1", 5, {3, 4, 5}},
             Case{"2--1", 4, {2, 3, 4}},
             Case{"3,1,3,1-2", 4, {1, 2, 3}},
             Case{"5", 4, {}},
             Case{"-5", 4, {}},
             Case{"3--3", 4, {}},
             Case{"0", 4, {}, false},
             Case{"3-1", 4, {}, false},
             Case{"-1--3", 4, {}, false},
             Case{"1,,2", 4, {}, false},
             Case{"1-", 4, {}, false},
             Case{"a", 4, {}, false},
             Case{"99999999999", 4, {}, false},
         }) {
        PageSelection selection;
        std::string error;
        ASSERT_EQ(selection.parse(c.text, error), c.readable) << c.text;
        if (!c.readable) {
            EXPECT_FALSE(error.empty());
            continue;
        }
        std::vector<std::int32_t> pages;
        std::string reason;
        EXPECT_EQ(selection.resolve(c.total, pages, reason), !c.pages.empty()) << c.text;
        if (c.pages.empty())
            EXPECT_TRUE(reason.find("not among the file's 4 pages") != std::string::npos) << reason;
        else
            EXPECT_EQ(pages, c.pages) << c.text;
    }
}

TEST(Shard, HashIsFnv1a64OfTheUtf8Text) {
    EXPECT_EQ(Fnv1a64(""), 0xcbf29ce484222325ull);
    EXPECT_EQ(Fnv1a64("a"), 0xaf63dc4c8601ec8cull);
    EXPECT_EQ(Fnv1a64("foobar"), 0x85944171f73967e8ull);
    for (const char* text : {"1/0", "2/2", "-1/3", "1", "a/b", "0/"}) {
        Shard shard;
        std::string error;
        EXPECT_FALSE(shard.parse(text, error)) << text;
    }
}

// Every path falls in exactly one of the N shards, whatever the order of the list.
TEST(Shard, PartsAreTheWholeListInAnyOrder) {
    std::vector<std::string> list;
    for (int i = 0; i < 500; ++i)
        list.push_back("archive/" + std::to_string(i % 7) + "/日本 " + std::to_string(i) + ".tif");
    auto partition = [](const std::vector<std::string>& paths) {
        std::vector<std::vector<std::string>> parts(4);
        for (std::uint64_t k = 0; k < 4; ++k) {
            Shard shard;
            std::string error;
            EXPECT_TRUE(shard.parse(std::to_string(k) + "/4", error));
            for (const std::string& path : paths)
                if (shard.holds(files::PathFromUtf8(path)))
                    parts[k].push_back(path);
            std::ranges::sort(parts[k]);
        }
        return parts;
    };
    const auto parts = partition(list);
    std::vector<std::string> shuffled = list;
    std::shuffle(shuffled.begin(), shuffled.end(), std::mt19937(20));
    EXPECT_EQ(partition(shuffled), parts);
    std::vector<std::string> together;
    for (const auto& part : parts) {
        EXPECT_FALSE(part.empty());
        together.insert(together.end(), part.begin(), part.end());
    }
    std::ranges::sort(together);
    std::ranges::sort(list);
    EXPECT_EQ(together, list);
}

} // namespace
