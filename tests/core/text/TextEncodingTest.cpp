#include "text/TextEncoding.h"

#include <gtest/gtest.h>

namespace korvanes {
namespace {

TEST(TextEncoding, ValidUtf8StaysAsItIs)
{
    EXPECT_EQ(ToUtf8("Gr\xC3\xBCn 12"), "Gr\xC3\xBCn 12");
    EXPECT_EQ(ToUtf16("\xE2\x82\xAC"), u"\u20AC");
}

TEST(TextEncoding, OtherBytesAreWindows1252)
{
    // The program's degree sign, a lone Latin-1 byte and the euro sign of the code page.
    EXPECT_EQ(ToUtf8("350\xB0" "C"), "350\xC2\xB0" "C");
    EXPECT_EQ(ToUtf16("\x80\xE9"), u"\u20AC\u00E9");
    // A truncated multi-byte sequence is not UTF-8.
    EXPECT_EQ(ToUtf8("a\xC3"), "a\xC3\x83");
}

TEST(TextEncoding, StringPrintfUsesTheWholeOutput)
{
    EXPECT_EQ(StringPrintf("%d%7d%10.2f", 0, 400, 532.1), "0    400    532.10");
    EXPECT_EQ(StringPrintf("%s", std::string(5000, 'x').c_str()).size(), 5000u);
}

}  // namespace
}  // namespace korvanes
