// The writer's pictures rendered by an independent converter (emf2svg-conv):
// the texts, shapes and colours must come out in the SVG.

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <unistd.h>

#include "EmfTestSupport.h"
#include "emf/EmfWriter.h"

namespace korvanes {
namespace {

namespace fs = std::filesystem;

// A folder of this test process's own, removed at the end.
class EmfRender : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_dir = fs::path(::testing::TempDir()) /
                ("korvanes-emf-" + std::to_string(::getpid()) + "-" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(m_dir);
    }
    void TearDown() override
    {
        std::error_code ignored;
        fs::remove_all(m_dir, ignored);
    }

    // Writes the picture, converts it and returns the SVG text.
    std::string RenderToSvg(const std::vector<std::uint8_t>& bytes)
    {
        const fs::path emf = m_dir / "picture.emf";
        const fs::path svg = m_dir / "picture.svg";
        std::string error;
        EXPECT_TRUE(WriteFileReplacing(emf.string(), bytes, error)) << error;
        const std::string command =
            std::string("'") + KORVANES_EMF2SVG_CONV + "' -i '" + emf.string() + "' -o '" + svg.string() + "'";
        EXPECT_EQ(std::system(command.c_str()), 0) << command;
        std::ifstream in(svg);
        std::stringstream content;
        content << in.rdbuf();
        return content.str();
    }

    fs::path m_dir;
};

// Something like a diagram: axes with ticks, a dashed fit line, data
// points as circles, a box, labels and a title.
std::vector<std::uint8_t> SampleDiagram(const TextMeasurer& measurer)
{
    EmfSurface s(measurer);
    s.SelectFontHeight(16);
    const int left = 100, right = 500, top = 100, bottom = 400;
    s.MoveTo(right, bottom);
    s.LineTo(left, bottom);
    s.LineTo(left, top);
    for (int i = 0; i <= 4; ++i) {
        const int x = left + i * (right - left) / 4;
        s.MoveTo(x, bottom);
        s.LineTo(x, bottom + 4);
        const int y = bottom - i * (bottom - top) / 4;
        s.MoveTo(left, y);
        s.LineTo(left - 4, y);
    }
    s.Text(left - 20, top + 5, "1.0");
    s.Text(left - 20, (top + bottom) / 2 + 5, "0.5");
    s.Text(left - 20, bottom + 5, "0.0");
    s.SelectPen(PenStyle::kDashed, kBlue, 1);
    s.MoveTo(left, top + 20);
    s.LineTo(right - 30, bottom);
    s.SelectPen(PenStyle::kSolid, kRed, 1);
    s.SelectFill(kRed);
    const int temperatures[] = {20, 100, 200, 250, 300, 350, 400, 450};
    for (int i = 0; i < 8; ++i) {
        const int x = left + i * 50;
        const int y = top + 20 + i * 34;
        s.Ellipse(x - 3, y - 3, x + 3, y + 3);
        if (i % 3 == 1) {
            s.Text(x + 25, y - 5, StringPrintf("%d\xB0" "C", temperatures[i]));
        }
    }
    s.SelectPen(PenStyle::kSolid, kGreen, 2);
    s.SelectFill(kWhite);
    s.Rectangle(320, 130, 480, 200);
    s.SelectPen(PenStyle::kSolid, kBlack, 1);
    s.SetTextAnchor(TextAnchor::kLeftTop);
    s.Text(330, 140, "Class A");
    s.SetTextAnchor(TextAnchor::kCentreBaseline);
    s.Text(140, 80, "NRM (* 123.46 mA/m)");
    s.Text(300, 440, "pTRM gained");
    s.Text(420, 380, "350\xB0" "C");
    s.ReleaseFont();
    return s.Finish();
}

TEST_F(EmfRender, TextsShapesAndColoursComeOut)
{
    emftest::HalfEmMeasurer m;
    const std::string svg = RenderToSvg(SampleDiagram(m));
    ASSERT_NE(svg.find("</svg>"), std::string::npos) << svg;
    // The degree sign arrives as a real U+00B0 (UTF-8 C2 B0 in the SVG).
    EXPECT_NE(svg.find("350\xC2\xB0" "C"), std::string::npos);
    EXPECT_NE(svg.find("100\xC2\xB0" "C"), std::string::npos);
    EXPECT_NE(svg.find("NRM (* 123.46 mA/m)"), std::string::npos);
    EXPECT_NE(svg.find("Class A"), std::string::npos);
    EXPECT_NE(svg.find("font-family=\"Arial\""), std::string::npos);
    // The em, not the cell: a cell of 16 is Arial at 14.
    EXPECT_NE(svg.find("font-size=\"14.0"), std::string::npos);
    EXPECT_NE(svg.find("text-anchor=\"middle\""), std::string::npos);
    // The axes, the circles, the box, the dashed line, the colours.
    EXPECT_NE(svg.find("M 500.0000,400.0000 L 100.0000,400.0000"), std::string::npos);
    EXPECT_NE(svg.find("<ellipse cx=\"100.0000\" cy=\"120.0000\" rx=\"3.0000\""), std::string::npos);
    EXPECT_NE(svg.find("<rect x=\"320.0000\" y=\"130.0000\" width=\"160.0000\" height=\"70.0000\""),
              std::string::npos);
    EXPECT_NE(svg.find("stroke-dasharray"), std::string::npos);
    EXPECT_NE(svg.find("stroke=\"#0000FF\""), std::string::npos);
    EXPECT_NE(svg.find("fill=\"#FF0000\" stroke=\"#FF0000\""), std::string::npos);
    // The converter draws every EMR_CREATEPEN pen one unit wide; the width
    // itself is checked in the records.
    EXPECT_NE(svg.find("stroke=\"#00FF00\""), std::string::npos);
    EXPECT_NE(svg.find("fill=\"#FFFFFF\""), std::string::npos);
}

TEST_F(EmfRender, ALongTextAndManyPrimitivesConvert)
{
    emftest::HalfEmMeasurer m;
    EmfSurface s(m);
    s.SelectFontHeight(12);
    const std::string longText = std::string(3000, 'k') + "\xB0" "C";
    s.Text(10, 30, longText);
    for (int i = 0; i < 2000; ++i) {
        s.MoveTo(i, 100);
        s.LineTo(i, 200);
        s.Ellipse(i, 300, i + 5, 305);
    }
    const std::string svg = RenderToSvg(s.Finish());
    EXPECT_NE(svg.find(std::string(3000, 'k') + "\xC2\xB0" "C"), std::string::npos);
    std::size_t ellipses = 0;
    for (std::size_t at = svg.find("<ellipse"); at != std::string::npos; at = svg.find("<ellipse", at + 1)) {
        ++ellipses;
    }
    EXPECT_EQ(ellipses, 2000u);
}

TEST_F(EmfRender, AnEmptyPictureConverts)
{
    emftest::HalfEmMeasurer m;
    EmfSurface s(m);
    const std::string svg = RenderToSvg(s.Finish());
    EXPECT_NE(svg.find("</svg>"), std::string::npos);
    EXPECT_EQ(svg.find("<text"), std::string::npos);
}

}  // namespace
}  // namespace korvanes
