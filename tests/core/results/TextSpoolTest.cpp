// Texts spooled beyond the memory limit come back whole and in order, from
// the temporary file or, where none can be made, from memory.

#include "results/TextSpool.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "TempDir.h"

namespace korvanes {
namespace {

TEST(TextSpool, TextsComeBackInOrderWhereverTheyWaited)
{
    std::vector<std::string> texts;
    for (int k = 0; k < 3000; ++k) {
        // Empty ones, line ends and NUL bytes among them, some longer than a write piece.
        std::string text(static_cast<std::size_t>(k % 7 == 0 ? 0 : (k * 37) % 300), static_cast<char>('a' + k % 26));
        text += k % 5 == 0 ? std::string("\n\0\t", 3) : std::to_string(k);
        texts.push_back(k % 1000 == 999 ? std::string(100000, 'x') + text : text);
    }
    const testing::TempDir dir;
    struct Case {
        std::string folder;
        std::size_t memoryLimit;
    };
    const Case cases[] = {{dir.Path().string(), 1000}, {dir.Path().string(), std::size_t{1} << 30},
                          {dir.File("absent"), 1000}};
    for (const Case& c : cases) {
        TextSpool spool(c.folder, c.memoryLimit);
        for (const std::string& text : texts) {
            spool.Add(text);
        }
        EXPECT_EQ(spool.Count(), texts.size());
        for (int pass = 0; pass < 2; ++pass) {  // read twice
            spool.Rewind();
            for (const std::string& text : texts) {
                const std::optional<std::string> got = spool.Next();
                ASSERT_TRUE(got.has_value());
                ASSERT_EQ(*got, text);
            }
            EXPECT_FALSE(spool.Next().has_value());
        }
    }
    // The file has no name: nothing is left in the folder.
    EXPECT_TRUE(std::filesystem::is_empty(dir.Path()));
}

}  // namespace
}  // namespace korvanes
