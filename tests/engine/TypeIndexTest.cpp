// The extension index behind the type sums: every extension finds its own number, whether
// packed into a key or kept as text, and the table keeps them through growth.
#include "uTypeIndex.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace quorvex;

TEST(TypeIndex, EveryExtensionFindsItsOwnNumberThroughGrowth) {
    // Near neighbours: case, length 7 against 8, a prefix, the empty one, bytes above 0x7F.
    std::vector<std::string> exts = {
        "", "txt", "TXT", "tx", "txt2", "abcdefg", "abcdefgh", "abcdefgi", "\xc3\xa9t\xff", "a.b"};
    for (int i = 0; i < 2000; ++i) // far beyond the first table size
        exts.push_back("e" + std::to_string(i));
    TTypeIndex index;
    for (std::size_t i = 0; i < exts.size(); ++i) {
        ASSERT_EQ(index.Find(exts[i]), TTypeIndex::None) << exts[i];
        index.Add(exts[i], i);
    }
    for (std::size_t i = 0; i < exts.size(); ++i)
        EXPECT_EQ(index.Find(exts[i]), i) << exts[i];
    for (const char* unknown : {"Txt", "abcdef", "abcdefghi", "e2000", "t"})
        EXPECT_EQ(index.Find(unknown), TTypeIndex::None) << unknown;
    EXPECT_EQ(index.Find(std::string_view()), 0u); // a default view: no data pointer at all
}
