#include "text/TextEncoding.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>

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

// A locale with a decimal comma, compiled into a temporary folder; empty when
// the system has no locale sources or no localedef.
std::string CommaLocale()
{
    const std::string folder = ::testing::TempDir() + "korvanes-locales";
    const std::string command = "mkdir -p '" + folder + "' && localedef -c -i de_DE -f UTF-8 '" + folder +
                                "/de_DE.UTF-8' >/dev/null 2>&1";
    if (std::system(command.c_str()) != 0) {
        return {};
    }
    setenv("LOCPATH", folder.c_str(), 1);
    const char* name = std::setlocale(LC_NUMERIC, "de_DE.UTF-8");
    return name != nullptr ? name : std::string();
}

TEST(TextEncoding, StringPrintfWritesADecimalPointInAnyLocale)
{
    if (CommaLocale().empty()) {
        GTEST_SKIP() << "no locale with a decimal comma can be made here (needs the locales package)";
    }
    char native[32];
    std::snprintf(native, sizeof native, "%.2f", 28.456);
    EXPECT_STREQ(native, "28,46");  // the process really uses a comma now
    EXPECT_EQ(StringPrintf("%.2f\t%.15g", 28.456, 0.5), "28.46\t0.5");
    std::setlocale(LC_NUMERIC, "C");
}

}  // namespace
}  // namespace korvanes
