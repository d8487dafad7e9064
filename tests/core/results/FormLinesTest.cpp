#include "results/FormLines.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace korvanes {
namespace {

TEST(FormLines, StepLineOfAZeroFieldStepAt400)
{
    CKorvanesToolDoc doc;
    CStepVector s;
    s.x = 3.0;
    s.y = 3.0;  // declination 45
    s.z = 0.0;  // inclination 0
    s.magnitude = 4.242640687;
    s.stepType = kZeroField;
    s.temperature = 400;
    s.stepTemperature = 400;
    doc.m_steps.push_back(s);
    s.x = 0.0;
    s.y = 0.0;
    s.z = -2.0;  // straight up
    s.magnitude = 2.0;
    s.stepType = kInField;
    s.temperature = 20;
    doc.m_steps.push_back(s);

    const std::vector<std::string> lines = StepLines(doc);
    ASSERT_EQ(lines.size(), 2u);
    // 0, then 400 in seven characters, then three numbers in ten characters each.
    EXPECT_EQ(lines[0], std::string("0") + "    400" + "      4.24" + "     45.00" + "      0.00");
    EXPECT_EQ(lines[1], std::string("1") + "     20" + "      2.00" + "    270.00" + "    -90.00");
}

TEST(FormLines, TailLinesUseTheSingleByteDegreeSign)
{
    CKorvanesToolDoc doc;
    CStepVector t;
    t.temperature = 350;
    t.x = 2.5;     // d(theta)
    t.y = -1.26;   // d(Inc)
    t.z = 3.0;     // d(t*)
    t.magnitude = 12.34;  // d(TR)
    doc.m_tailCheckStats.push_back(t);

    const std::vector<std::string> lines = TailLines(doc);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], "350\xB0" "C" "     2.5" "\xB0" "     -1.3" "\xB0" "      3.0" "     12.3");
    EXPECT_EQ(std::count(lines[0].begin(), lines[0].end(), '\xB0'), 3);
    EXPECT_EQ(lines[0].find('\xC2'), std::string::npos);  // not UTF-8
    EXPECT_TRUE(TailLines(CKorvanesToolDoc()).empty());
}

}  // namespace
}  // namespace korvanes
