// Criteria sets on the standard statistics: the published sets at and just
// beyond each threshold, and the refusal of a bad set file.

#include "criteria/StatisticCriteria.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace korvanes {
namespace {

// Statistics that sit exactly on every threshold of the set.
StandardStatistics AtThresholds(const StatisticCriteriaSet& set)
{
    StandardStatistics st;
    for (const StatisticThreshold& t : set.thresholds) {
        st[t.statistic] = t.threshold;
    }
    return st;
}

TEST(StatisticCriteria, EveryBuiltInSetPassesAtItsThresholdsAndFailsJustBeyond)
{
    ASSERT_EQ(BuiltInCriteriaSets().size(), 3u);
    for (const char* name : {"CCRIT", "picrit03", "SelCrit2"}) {
        const StatisticCriteriaSet* set = FindBuiltInCriteriaSet(name);
        ASSERT_NE(set, nullptr) << name;
        const StandardStatistics at = AtThresholds(*set);
        EXPECT_TRUE(EvaluateCriteria(*set, at).pass) << name;
        for (const StatisticThreshold& t : set->thresholds) {
            StandardStatistics beyond = at;
            const double outward = t.atMost ? std::numeric_limits<double>::infinity()
                                            : -std::numeric_limits<double>::infinity();
            // A flag has no "just beyond" but its opposite.
            beyond[t.statistic] = InfoOf(t.statistic).kind == StatisticKind::kFlag ? 1.0 - t.threshold
                                                                                   : std::nextafter(t.threshold, outward);
            const CriteriaVerdict verdict = EvaluateCriteria(*set, beyond);
            EXPECT_FALSE(verdict.pass) << name << ' ' << ThresholdText(t);
            ASSERT_EQ(verdict.Failed().size(), 1u) << name;
            EXPECT_EQ(verdict.Failed().front(), ThresholdStatisticName(t));
            // An absent statistic never passes.
            StandardStatistics absent = at;
            absent[t.statistic].reset();
            EXPECT_FALSE(EvaluateCriteria(*set, absent).pass) << name << ' ' << ThresholdText(t);
        }
    }
}

TEST(StatisticCriteria, AbsoluteValuesAndTheScatBox)
{
    const CriteriaSetRead read = ParseStatisticCriteria("|int_k_prime| <= 0.2\nint_b_beta<=0.05,\n", "mine");
    ASSERT_TRUE(read.set.has_value()) << read.error;
    StandardStatistics st;
    st[StandardStatistic::kKPrime] = -0.2;
    st[StandardStatistic::kBeta] = 0.05;
    EXPECT_TRUE(EvaluateCriteria(*read.set, st).pass);
    st[StandardStatistic::kKPrime] = -0.21;
    EXPECT_FALSE(EvaluateCriteria(*read.set, st).pass);
    EXPECT_EQ(ScatBetaOf(&*read.set), 0.05);
    EXPECT_EQ(ScatBetaOf(nullptr), kDefaultScatBeta);
    EXPECT_EQ(ScatBetaOf(FindBuiltInCriteriaSet("CCRIT")), 0.1);
}

TEST(StatisticCriteria, ABadLineIsRefusedWithItsNumber)
{
    struct Case {
        const char* text;
        int line;
    };
    for (const Case& c : {Case{"# my set\nint_frac >= 0.5\n\nno_such_statistic <= 1\n", 4},
                          Case{"int_frac => 0.5\n", 1},
                          Case{"int_frac >= 0.5\r\nint_dang <= ten\r\n", 2},
                          Case{"int_frac >= 0.5 1\n", 1},
                          Case{"# nothing but comments\n", 0}}) {
        const CriteriaSetRead read = ParseStatisticCriteria(c.text, "bad");
        EXPECT_FALSE(read.set.has_value()) << c.text;
        EXPECT_EQ(read.line, c.line) << c.text;
        if (c.line > 0) {
            EXPECT_EQ(read.error.rfind("line " + std::to_string(c.line) + ":", 0), 0u) << read.error;
        }
    }
    EXPECT_FALSE(LoadStatisticCriteria("/no/such/file.txt").set.has_value());
}

}  // namespace
}  // namespace korvanes
