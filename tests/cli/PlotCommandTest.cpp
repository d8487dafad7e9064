// `korvanes plot`: every diagram into every picture format, checked by the
// formats' own signatures, and the refusals.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "CliTestSupport.h"

namespace {

using namespace clitest;

const char* const kTypes[] = {"arai", "zijderveld", "decay", "additional", "all", "rangemap"};
const char* const kExtensions[] = {".png", ".svg", ".pdf", ".emf"};

// Skips the calling test when the program was built without picture export.
bool PictureExportBuilt()
{
    const RunResult probe = RunProgram({"plot", Example("basalt-mt1.kvd"), "--type", "arai", "--out",
                                        (TempDir() / "probe.png").string()});
    return probe.err.find("built without Qt") == std::string::npos;
}

std::uint32_t U32(const std::string& bytes, std::size_t offset)
{
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i) {
        value = (value << 8) | static_cast<unsigned char>(bytes[offset + static_cast<std::size_t>(i)]);
    }
    return value;
}

// Whether `bytes` carry the signature of the format of `extension`.
void ExpectSignature(const std::string& bytes, const std::string& extension, const std::string& what)
{
    ASSERT_FALSE(bytes.empty()) << what;
    if (extension == ".png") {
        EXPECT_EQ(bytes.substr(0, 8), std::string("\x89PNG\r\n\x1A\n", 8)) << what;
    } else if (extension == ".svg") {
        EXPECT_TRUE(bytes.rfind("<?xml", 0) == 0 || bytes.rfind("<svg", 0) == 0) << what;
        EXPECT_NE(bytes.find("<svg"), std::string::npos) << what;
        EXPECT_NE(bytes.find("</svg>"), std::string::npos) << what;
    } else if (extension == ".pdf") {
        EXPECT_EQ(bytes.substr(0, 5), "%PDF-") << what;
        EXPECT_NE(bytes.find("%%EOF"), std::string::npos) << what;
    } else {
        ASSERT_GE(bytes.size(), 108u) << what;
        EXPECT_EQ(U32(bytes, 0), 1u) << what;             // EMR_HEADER
        EXPECT_EQ(bytes.substr(40, 4), " EMF") << what;    // signature
        EXPECT_EQ(U32(bytes, 48), bytes.size()) << what;   // nBytes: the whole file
        // The last record is EMR_EOF (type 14, 20 bytes).
        EXPECT_EQ(U32(bytes, bytes.size() - 20), 14u) << what;
        EXPECT_EQ(U32(bytes, bytes.size() - 16), 20u) << what;
    }
}

TEST(Plot, EveryTypeToEveryFormat)
{
    if (!PictureExportBuilt()) {
        GTEST_SKIP() << "built without picture export";
    }
    const fs::path dir = TestDir();
    for (const char* type : kTypes) {
        for (const char* extension : kExtensions) {
            const std::string out = (dir / (std::string(type) + extension)).string();
            const RunResult r = RunProgram({"plot", Example("tuff-mt3.kvd"), "--type", type, "--out", out});
            EXPECT_EQ(r.status, 0) << out << ": " << r.err;
            EXPECT_EQ(r.out, "");
            ExpectSignature(ReadAll(out), extension, out);
        }
    }
    // The other examples, all diagrams, with analysis options on the way.
    for (const char* file : {"basalt-mt1.kvd", "andesite-mt4.kvd"}) {
        for (const char* extension : kExtensions) {
            const std::string out = (dir / (std::string(file) + extension)).string();
            const RunResult r = RunProgram({"plot", Example(file), "--type", "all", "--out", out, "--check-corrected",
                                            "--coords", "geo", "--range", "100", "500"});
            EXPECT_EQ(r.status, 0) << out << ": " << r.err;
            ExpectSignature(ReadAll(out), extension, out);
        }
    }
}

TEST(Plot, SizeOptionSetsThePngSize)
{
    if (!PictureExportBuilt()) {
        GTEST_SKIP() << "built without picture export";
    }
    const std::string out = (TestDir() / "sized.png").string();
    ASSERT_EQ(RunProgram({"plot", Example("basalt-mt1.kvd"), "--type", "arai", "--out", out, "--size", "300x200"})
                  .status,
              0);
    const std::string png = ReadAll(out);
    ASSERT_GE(png.size(), 24u);
    // IHDR: width and height, big-endian, at offsets 16 and 20.
    const auto be32 = [&png](std::size_t at) {
        std::uint32_t v = 0;
        for (std::size_t i = 0; i < 4; ++i) {
            v = (v << 8) | static_cast<unsigned char>(png[at + i]);
        }
        return v;
    };
    EXPECT_EQ(png.substr(12, 4), "IHDR");
    EXPECT_EQ(be32(16), 300u);
    EXPECT_EQ(be32(20), 200u);
    for (const char* bad : {"300", "0x200", "300x", "x", "123456x10", "-3x4"}) {
        EXPECT_EQ(RunProgram({"plot", Example("basalt-mt1.kvd"), "--type", "arai", "--out", out, "--size", bad}).status,
                  1)
            << bad;
    }
}

TEST(Plot, RefusalsAndTheirStatuses)
{
    const fs::path dir = TestDir();
    const std::string basalt = Example("basalt-mt1.kvd");

    const RunResult type = RunProgram({"plot", basalt, "--type", "hodogram", "--out", (dir / "x.png").string()});
    EXPECT_EQ(type.status, 1);
    EXPECT_NE(type.err.find("unknown plot type 'hodogram'"), std::string::npos) << type.err;
    EXPECT_FALSE(fs::exists(dir / "x.png"));

    if (!PictureExportBuilt()) {
        GTEST_SKIP() << "built without picture export";
    }
    for (const char* name : {"x.gif", "x", "x.png.txt"}) {
        const RunResult ext = RunProgram({"plot", basalt, "--type", "arai", "--out", (dir / name).string()});
        EXPECT_EQ(ext.status, 1) << name;
        EXPECT_NE(ext.err.find("unknown picture type"), std::string::npos) << ext.err;
        EXPECT_FALSE(fs::exists(dir / name));
    }
    for (const char* extension : kExtensions) {
        const std::string out = (dir / "no" / "such" / (std::string("x") + extension)).string();
        const RunResult unwritable = RunProgram({"plot", basalt, "--type", "all", "--out", out});
        EXPECT_EQ(unwritable.status, 2) << out;
        // "cannot write" or, from the metafile writer, "Cannot write".
        EXPECT_NE(unwritable.err.find("annot write"), std::string::npos) << unwritable.err;
    }
    const RunResult missing =
        RunProgram({"plot", (dir / "missing.kvd").string(), "--type", "arai", "--out", (dir / "y.png").string()});
    EXPECT_EQ(missing.status, 2);
    EXPECT_FALSE(fs::exists(dir / "y.png"));
    EXPECT_EQ(RunProgram({"plot", basalt, "--out", (dir / "z.png").string()}).status, 1);  // --type missing
}

}  // namespace
