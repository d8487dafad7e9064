// `korvanes analyze`: the determination of a range, the range actually used,
// the check correction, the criteria marks, the results line and the lines of
// the form's lists, in JSON and in the text for people.

#include <gtest/gtest.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "CliTestSupport.h"

namespace {

using namespace clitest;

std::vector<int> ZeroFieldTemperatures(const json& j)
{
    std::vector<int> temperatures;
    for (const auto& s : j["lists"]["zeroFieldSteps"]) {
        temperatures.push_back(s["temperature"].get<int>());
    }
    return temperatures;
}

double Get(const json& object, const char* key) { return object[key].get<double>(); }

// The line of the text output that starts with `start` (after the indent),
// or empty.
std::string LineStartingWith(const std::string& text, const std::string& start)
{
    for (const std::string& line : Split(text, "\n")) {
        const std::size_t first = line.find_first_not_of(' ');
        if (first != std::string::npos && line.compare(first, start.size(), start) == 0) {
            return line;
        }
    }
    return "";
}

bool EndsWith(const std::string& text, const std::string& end)
{
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

template <class... Args>
std::string StringFormat(const char* format, Args... args)
{
    char buffer[256];
    std::snprintf(buffer, sizeof buffer, format, args...);
    return buffer;
}

std::string Fixed(const char* format, double value)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, format, value);
    return buffer;
}

TEST(AnalyzeRange, ManualRangeOnEachExampleGivesACompleteResult)
{
    for (const ExampleCase& e : kExamples) {
        SCOPED_TRACE(e.file);
        const std::vector<int> t = ZeroFieldTemperatures(AnalyzeJson({}, Example(e.file)));
        ASSERT_GE(t.size(), 6u);
        const int lo = t[1];
        const int hi = t[t.size() - 2];
        const json j = AnalyzeJson({"--range", std::to_string(lo), std::to_string(hi)}, Example(e.file));
        const json& r = j["result"];

        EXPECT_EQ(j["range"]["mode"], "manual");
        EXPECT_EQ(j["range"]["requested"]["tMin"], lo);
        EXPECT_EQ(j["range"]["requested"]["tMax"], hi);
        EXPECT_EQ(j["range"]["used"]["tMin"], lo);
        EXPECT_EQ(j["range"]["used"]["tMax"], hi);
        EXPECT_EQ(r["tMin"], lo);
        EXPECT_EQ(r["tMax"], hi);
        EXPECT_EQ(j["options"]["rangeMode"], 1);
        EXPECT_EQ(r["n"].get<int>(), static_cast<int>(t.size()) - 2);

        const double b = Get(r, "paleointensity");
        const double slope = Get(r, "slope");
        const double rel = Get(r, "slopeRelStd");
        const double f = Get(r, "f");
        const double g = Get(r, "g");
        const double q = Get(r, "q");
        const double w = Get(r, "w");
        const int n = r["n"].get<int>();
        for (const char* key : {"paleointensity", "stdDev", "slopeRelStd", "f", "g", "q", "w", "trm", "nrmT"}) {
            EXPECT_TRUE(std::isfinite(Get(r, key))) << key;
            EXPECT_GT(Get(r, key), 0.0) << key;
        }
        EXPECT_LT(slope, 0.0);
        EXPECT_LE(f, 1.0);
        EXPECT_LT(g, 1.0);
        // The fit's own relations: B = |b|·lab field, σ_B = B·σ_b/|b|,
        // q = f·g/(σ_b/|b|), w = q/√(N−2), NRMt = −b·TRM.
        const double labField = Get(j["header"], "labField");
        EXPECT_NEAR(b, std::fabs(slope) * labField, 1e-9 * b);
        EXPECT_NEAR(Get(r, "stdDev"), b * rel, 1e-9 * b);
        EXPECT_NEAR(q, f * g / rel, 1e-9 * q);
        EXPECT_NEAR(w, q / std::sqrt(n - 2.0), 1e-9 * q);
        EXPECT_NEAR(Get(r, "nrmT"), -slope * Get(r, "trm"), 1e-9 * Get(r, "nrmT"));
        const std::string cls = r["resultClass"];
        EXPECT_TRUE(cls == "A" || cls == "B" || cls == "C") << cls;
        EXPECT_EQ(j["resultClass"], r["resultClass"]);
    }
}

TEST(AnalyzeRange, RangeBetweenStepsSnapsUpAndBeyondTheDataIsClamped)
{
    // Basalt zero-field steps: 20, 100, 150, 200, 250, 300, ..., 560, 575.
    const json snapped = AnalyzeJson({"--range", "105", "295"}, Example("basalt-mt1.kvd"));
    EXPECT_EQ(snapped["range"]["requested"]["tMin"], 105);
    EXPECT_EQ(snapped["range"]["requested"]["tMax"], 295);
    EXPECT_EQ(snapped["range"]["used"]["tMin"], 150);
    EXPECT_EQ(snapped["range"]["used"]["tMax"], 300);
    EXPECT_EQ(snapped["result"]["n"], 4);

    const json clamped = AnalyzeJson({"--range", "0", "1000"}, Example("basalt-mt1.kvd"));
    EXPECT_EQ(clamped["range"]["used"]["tMin"], 20);
    EXPECT_EQ(clamped["range"]["used"]["tMax"], 575);
    EXPECT_EQ(clamped["result"]["n"], 14);

    const RunResult text = RunProgram({"analyze", Example("basalt-mt1.kvd"), "--range", "105", "295"});
    EXPECT_EQ(text.status, 0);
    EXPECT_NE(text.out.find("Temperature range:         set with --range 105 295\n"), std::string::npos) << text.out;
    EXPECT_NE(text.out.find("150 to 300 \xC2\xB0" "C  (asked for 105 to 295 \xC2\xB0" "C; ends between steps moved up"),
              std::string::npos)
        << text.out;
    const RunResult exact = RunProgram({"analyze", Example("basalt-mt1.kvd"), "--range", "100", "300"});
    EXPECT_EQ(exact.out.find("asked for"), std::string::npos);
    const RunResult automatic = RunProgram({"analyze", Example("basalt-mt1.kvd")});
    EXPECT_NE(automatic.out.find("automatic search: the range of largest w"), std::string::npos);
}

TEST(AnalyzeRange, ReversedRangeIsRefusedAndAnEmptyOneHasNoResult)
{
    const RunResult reversed = RunProgram({"analyze", Example("basalt-mt1.kvd"), "--range", "300", "100"});
    EXPECT_EQ(reversed.status, 1);
    EXPECT_EQ(reversed.out, "");
    EXPECT_NE(reversed.err.find("Check your temperature range !"), std::string::npos) << reversed.err;

    for (const std::vector<std::string>& range :
         {std::vector<std::string>{"300", "300"}, {"600", "700"}, {"-50", "20"}}) {
        const json j = AnalyzeJson({"--range", range[0], range[1]}, Example("basalt-mt1.kvd"));
        EXPECT_EQ(j["resultClass"], "");
        EXPECT_EQ(j["result"]["paleointensity"], 0.0);
        EXPECT_EQ(j["result"]["n"], 0);
        EXPECT_FALSE(j["marks"]["shown"]);
    }
    const RunResult text = RunProgram({"analyze", Example("basalt-mt1.kvd"), "--range", "600", "700"});
    EXPECT_NE(text.out.find("none (asked for 600 to 700"), std::string::npos) << text.out;
    EXPECT_NE(text.out.find("no result"), std::string::npos);
}

TEST(AnalyzeRange, LabFieldMustBeAPositiveFiniteFloatAndScalesThePaleointensity)
{
    for (const char* bad : {"nan", "inf", "-inf", "1e39", "abc", "0", "-20", "1e-50"}) {
        const RunResult r = RunProgram({"analyze", Example("basalt-mt1.kvd"), "--labfield", bad});
        EXPECT_EQ(r.status, 1) << bad;
        EXPECT_EQ(r.out, "") << bad;
        EXPECT_NE(r.err.find("--labfield"), std::string::npos) << r.err;
    }
    const json at35 = AnalyzeJson({"--range", "100", "500"}, Example("basalt-mt1.kvd"));
    const json at70 = AnalyzeJson({"--range", "100", "500", "--labfield", "70"}, Example("basalt-mt1.kvd"));
    EXPECT_EQ(at70["header"]["labField"], 70.0);
    EXPECT_NEAR(Get(at70["result"], "paleointensity"), 2.0 * Get(at35["result"], "paleointensity"), 1e-9);
    EXPECT_EQ(at70["result"]["slope"], at35["result"]["slope"]);
    EXPECT_EQ(Split(at70["resultsLine"].get<std::string>(), "\t")[1], "70.0");
}

TEST(AnalyzeRange, HeaderLabFieldThatIsNotPositiveGivesNoGradedResultAndSaysWhy)
{
    // basalt-mt1 with its laboratory field replaced in the header.
    std::string bytes = ReadAll(Example("basalt-mt1.kvd"));
    const std::size_t line2 = bytes.find('\n') + 1;
    const std::string rest = bytes.substr(bytes.find_first_of(" \t", line2));
    const json at35 = AnalyzeJson({"--range", "100", "500"}, Example("basalt-mt1.kvd"));
    for (const char* field : {"0", "-20"}) {
        SCOPED_TRACE(field);
        const fs::path file = WriteFile(TestDir() / "field.kvd", bytes.substr(0, line2) + field + rest);
        const json automatic = AnalyzeJson({}, file.string());
        EXPECT_EQ(automatic["resultClass"], "");
        EXPECT_EQ(automatic["result"]["paleointensity"], 0.0);
        EXPECT_EQ(automatic["result"]["n"], 0);  // nothing searched: the whole range, no fit
        const std::string reason = automatic["result"]["noResultReason"];
        EXPECT_NE(reason.find("laboratory field is " + std::string(field) + " \xC2\xB5T"), std::string::npos) << reason;
        ASSERT_EQ(automatic["warnings"].size(), 1u);
        EXPECT_EQ(automatic["warnings"][0]["line"], 2);

        // A typed range keeps the statistics that do not depend on the field.
        const json typed = AnalyzeJson({"--range", "100", "500"}, file.string());
        EXPECT_EQ(typed["resultClass"], "");
        EXPECT_EQ(typed["result"]["paleointensity"], 0.0);
        EXPECT_EQ(typed["result"]["stdDev"], 0.0);
        EXPECT_EQ(typed["result"]["slope"], at35["result"]["slope"]);
        EXPECT_EQ(typed["result"]["q"], at35["result"]["q"]);
        EXPECT_EQ(typed["result"]["noResultReason"], reason);
        EXPECT_EQ(Split(typed["resultsLine"].get<std::string>(), "\t")[24], "");

        const RunResult text = RunProgram({"analyze", file.string()});
        EXPECT_EQ(text.status, 0);
        EXPECT_NE(text.err.find(file.string() + ":2: warning: the laboratory field is"), std::string::npos)
            << text.err;
        EXPECT_NE(text.out.find(reason), std::string::npos) << text.out;
        const RunResult map = RunProgram({"analyze", file.string(), "--range-map"});
        EXPECT_NE(map.out.find("not made: " + reason), std::string::npos) << map.out;
    }
}

TEST(AnalyzeRange, QualityWithoutScatterIsInfInTextAndNullInJson)
{
    // NRM and pTRM along z: Arai points (0, 10), (2, 8), (4, 6), (6, 4),
    // exactly on a line, so sigma_b = 0 and q and w are infinite.
    std::string bytes = "Korvanes-kvd\n35 0 0 0 0\nS1\t20.00\t10\t0\t90\n";
    for (const char* step : {"100", "200", "300"}) {
        const int t = std::stoi(step);
        bytes += StringFormat("S1\t%s.00\t%d\t0\t90\nS1\t%s.11\t10\t0\t90\n", step, 10 - t / 50, step);
    }
    const fs::path file = WriteFile(TestDir() / "exact.kvd", bytes);
    const json j = AnalyzeJson({"--range", "20", "300"}, file.string());
    const json& r = j["result"];
    ASSERT_EQ(r["n"], 4);
    EXPECT_TRUE(r["q"].is_null());
    EXPECT_TRUE(r["w"].is_null());
    EXPECT_NE(r["qNullReason"].get<std::string>().find("sigma_b = 0"), std::string::npos);
    EXPECT_EQ(r["wNullReason"], r["qNullReason"]);
    EXPECT_EQ(Get(r, "f"), 0.6);
    const std::vector<std::string> fields = Split(j["resultsLine"].get<std::string>(), "\t");
    EXPECT_EQ(fields[11], "inf");
    EXPECT_EQ(fields[12], "inf");
    for (const json& mark : j["marks"]["statistics"]) {
        if (mark["name"] == "q") {
            EXPECT_TRUE(mark["value"].is_null());
        }
    }

    const RunResult text = RunProgram({"analyze", file.string(), "--range", "20", "300"});
    EXPECT_NE(LineStartingWith(text.out, "q (quality factor)").find(" inf "), std::string::npos) << text.out;
    EXPECT_NE(LineStartingWith(text.out, "w (weighting factor)").find(" inf"), std::string::npos) << text.out;
    EXPECT_EQ(text.out.find("e+308"), std::string::npos);
    EXPECT_EQ(text.out.find("17976931348623157"), std::string::npos);
}

TEST(AnalyzeChecks, CheckCorrectedZeroesTheCheckStatisticsAndStarsTheClass)
{
    for (const ExampleCase& e : kExamples) {
        SCOPED_TRACE(e.file);
        for (const std::vector<std::string>& extra :
             {std::vector<std::string>{"--check-corrected"}, {"--check-corrected", "--range", "100", "500"}}) {
            const json j = AnalyzeJson(extra, Example(e.file));
            const json& r = j["result"];
            EXPECT_EQ(j["options"]["checkCorrected"], 1);
            EXPECT_EQ(r["ckError"], 0.0);
            EXPECT_EQ(r["ckDiff"], 0.0);
            EXPECT_EQ(r["drat"], 0.0);
            const std::string cls = j["resultClass"];
            ASSERT_FALSE(cls.empty());
            EXPECT_EQ(cls.back(), '*');
            EXPECT_GT(Get(r, "paleointensity"), 0.0);
            // The first check of each temperature became part of the correction.
            EXPECT_EQ(j["lists"]["ptrmChecks"].size(), j["lists"]["correctedChecks"].size());
        }
        const json plain = AnalyzeJson({}, Example(e.file));
        EXPECT_GT(Get(plain["result"], "ckError"), 0.0);
        EXPECT_GT(Get(plain["result"], "ckDiff"), 0.0);
        EXPECT_GT(Get(plain["result"], "drat"), 0.0);
    }
    const RunResult text = RunProgram({"analyze", Example("tuff-mt3.kvd"), "--check-corrected"});
    EXPECT_NE(text.out.find("Check correction:          applied (--check-corrected)"), std::string::npos);
    for (const char* statistic : {"d(CK)", "d(pal)", "DRAT"}) {
        EXPECT_TRUE(EndsWith(LineStartingWith(text.out, statistic), "A  (0 with the check correction)")) << statistic;
    }
    EXPECT_NE(text.out.find("computed with the check correction"), std::string::npos);
    EXPECT_NE(text.out.find("Check-corrected pTRM (used by the fit)"), std::string::npos);
}

TEST(AnalyzeChecks, AutomaticMt4CorrectionIsReportedAsTheRunLeftIt)
{
    const json corrected = AnalyzeJson({"--include-check-correction"}, Example("andesite-mt4.kvd"));
    EXPECT_EQ(corrected["options"]["includeCheckCorrection"], 1);
    EXPECT_EQ(corrected["options"]["checkCorrected"], 1);  // set by the run, not by the user
    EXPECT_EQ(corrected["resultClass"], "A*");
    const json plain = AnalyzeJson({}, Example("andesite-mt4.kvd"));
    // The corrected data are kept only for a quality at least as good.
    EXPECT_GE(Get(corrected["result"], "w"), Get(plain["result"], "w"));
    const RunResult text = RunProgram({"analyze", Example("andesite-mt4.kvd"), "--include-check-correction"});
    EXPECT_NE(text.out.find("applied by the automatic MT4 search"), std::string::npos) << text.out;
    const RunResult offered = RunProgram({"analyze", Example("andesite-mt4.kvd")});
    EXPECT_NE(offered.out.find("not applied (--include-check-correction lets the automatic search try it)"),
              std::string::npos);

    // Not MT4, or a manual range: the run leaves the flag alone.
    EXPECT_EQ(AnalyzeJson({"--include-check-correction"}, Example("basalt-mt1.kvd"))["options"]["checkCorrected"], 0);
    EXPECT_EQ(AnalyzeJson({"--include-check-correction", "--range", "20", "555"},
                          Example("andesite-mt4.kvd"))["options"]["checkCorrected"],
              0);
}

TEST(AnalyzeGrading, AutomaticAnalysisOfEachExampleGradesA)
{
    for (const ExampleCase& e : kExamples) {
        SCOPED_TRACE(e.file);
        const json j = AnalyzeJson({}, Example(e.file));
        EXPECT_EQ(j["resultClass"], "A");
        EXPECT_EQ(j["result"]["resultClass"], "A");
        EXPECT_EQ(j["range"]["mode"], "automatic");
        EXPECT_FALSE(j["range"].contains("requested"));
        EXPECT_GE(j["result"]["n"].get<int>(), 5);
        EXPECT_TRUE(j["marks"]["shown"]);
        // Class A: every graded statistic passes its class A limit.
        for (const auto& m : j["marks"]["statistics"]) {
            if (m["graded"].get<bool>()) {
                EXPECT_EQ(m["mark"], "none") << m["name"];
            }
        }
        const RunResult text = RunProgram({"analyze", Example(e.file)});
        EXPECT_NE(text.out.find("  Class                    A  (meets class A)\n"), std::string::npos) << text.out;
    }
}

TEST(AnalyzeGrading, MarksSayWhichLimitsARangeMisses)
{
    // 150..300 °C of the basalt: N = 4 (limits 5, 5), f ≈ 0.047 (0.3, 0.3),
    // q ≈ 0.62 (1, 0), Std/slope ≈ 0.045 (0.1, 0.15).
    const json j = AnalyzeJson({"--range", "105", "295"}, Example("basalt-mt1.kvd"));
    EXPECT_EQ(j["resultClass"], "C");
    EXPECT_TRUE(j["marks"]["shown"]);
    const json& s = j["marks"]["statistics"];
    const std::vector<std::string> names{"N",     "Std/slope", "f",    "q",     "MAD",   "MAD'", "Alpha",
                                         "d(CK)", "d(pal)",    "Drat", "d(AC)", "d(TR)", "d(t*)"};
    ASSERT_EQ(s.size(), names.size());
    for (std::size_t i = 0; i < names.size(); ++i) {
        EXPECT_EQ(s[i]["name"], names[i]);
        EXPECT_EQ(s[i]["graded"].get<bool>(), names[i] != "MAD'");
    }
    EXPECT_EQ(s[0]["mark"], "red");
    EXPECT_EQ(s[0]["value"], 4.0);
    EXPECT_EQ(s[1]["mark"], "none");
    EXPECT_EQ(s[2]["mark"], "red");
    EXPECT_EQ(s[3]["mark"], "yellow");
    EXPECT_EQ(s[3]["value"], j["result"]["q"]);

    const RunResult text = RunProgram({"analyze", Example("basalt-mt1.kvd"), "--range", "105", "295"});
    EXPECT_TRUE(EndsWith(LineStartingWith(text.out, "N (points)"), "fails B")) << text.out;
    EXPECT_TRUE(EndsWith(LineStartingWith(text.out, "f (NRM fraction)"), "fails B"));
    EXPECT_TRUE(EndsWith(LineStartingWith(text.out, "q (quality factor)"), "B only"));
    EXPECT_TRUE(EndsWith(LineStartingWith(text.out, "Std/slope"), "A"));
    EXPECT_TRUE(EndsWith(LineStartingWith(text.out, "MAD' free"), "(not graded)"));
    // Absent checks count as 0 and pass; the text says why.
    EXPECT_TRUE(EndsWith(LineStartingWith(text.out, "d(TR)"), "A  (no tail checks)"));
    EXPECT_TRUE(EndsWith(LineStartingWith(text.out, "d(AC)"), "A  (no additivity checks)"));
    EXPECT_TRUE(EndsWith(LineStartingWith(text.out, "d(CK)"), "A"));
    EXPECT_NE(LineStartingWith(text.out, "q (quality factor)").find("\xE2\x89\xA5 1      \xE2\x89\xA5 0"),
              std::string::npos);
    EXPECT_EQ(text.out.find('\033'), std::string::npos);  // not a terminal: no colour
    EXPECT_NE(text.out.find("  Class                    C  (meets neither class A nor class B)\n"), std::string::npos);
    EXPECT_NE(text.out.find("Paleointensity           27.0624 \xC2\xB1 1.22354 \xC2\xB5T"), std::string::npos);
}

// Runs the program on a pseudo terminal; returns what it wrote there, or
// nothing when no pseudo terminal can be opened (`why` then says why).
std::optional<std::string> RunOnTerminal(const std::vector<std::string>& args, bool noColour, std::string& why)
{
    int master = -1;
    const pid_t pid = ::forkpty(&master, nullptr, nullptr, nullptr);
    if (pid < 0) {
        why = std::strerror(errno);
        return std::nullopt;
    }
    if (pid == 0) {
        ::setenv("TERM", "xterm", 1);
        if (noColour) {
            ::setenv("NO_COLOR", "1", 1);
        } else {
            ::unsetenv("NO_COLOR");
        }
        std::vector<char*> argv;
        std::string program = KORVANES_PROGRAM;
        argv.push_back(program.data());
        std::vector<std::string> copies = args;
        for (std::string& a : copies) {
            argv.push_back(a.data());
        }
        argv.push_back(nullptr);
        ::execv(program.c_str(), argv.data());
        ::_exit(127);
    }
    std::string out;
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(master, buffer, sizeof buffer);
        if (n > 0) {
            out.append(buffer, static_cast<std::size_t>(n));
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else {
            break;  // EIO once the child has closed the terminal
        }
    }
    ::close(master);
    int status = 0;
    ::waitpid(pid, &status, 0);
    return out;
}

TEST(AnalyzeRange, StepsLeftOutOfTheFitAreNamedWithTheirReason)
{
    // The example without its 300 °C in-field line: that zero-field step is
    // no Arai point, in text and JSON; the complete example has none.
    std::string bytes = ReadAll(Example("basalt-mt1.kvd"));
    const std::size_t at = bytes.find("BV12a\t300.11");
    ASSERT_NE(at, std::string::npos);
    bytes.erase(at, bytes.find('\n', at) + 1 - at);
    const std::string file = WriteFile("lost-300.kvd", bytes).string();

    const json j = AnalyzeJson({"--range", "100", "560"}, file);
    ASSERT_EQ(j["leftOutSteps"].size(), 1u);
    EXPECT_EQ(j["leftOutSteps"][0]["temperature"], 300);
    EXPECT_EQ(j["leftOutSteps"][0]["inFittedRange"], true);
    EXPECT_EQ(j["result"]["n"], AnalyzeJson({"--range", "100", "560"}, Example("basalt-mt1.kvd"))["result"]["n"].get<int>() - 1);
    const RunResult text = RunProgram({"analyze", file});
    EXPECT_NE(LineStartingWith(text.out, "Left out of the fit").find("300 \xC2\xB0" "C (in the range): no in-field step"),
              std::string::npos)
        << text.out.substr(0, 1500);

    EXPECT_TRUE(AnalyzeJson({}, Example("basalt-mt1.kvd"))["leftOutSteps"].empty());
    EXPECT_EQ(RunProgram({"analyze", Example("basalt-mt1.kvd")}).out.find("Left out"), std::string::npos);
}

TEST(AnalyzeGrading, VerdictsAreColouredOnATerminalOnly)
{
    const std::vector<std::string> args{"analyze", Example("basalt-mt1.kvd"), "--range", "105", "295"};
    std::string why;
    const std::optional<std::string> coloured = RunOnTerminal(args, false, why);
    if (!coloured) {
        GTEST_SKIP() << "no pseudo terminal can be opened here (" << why << ")";
    }
    EXPECT_NE(coloured->find("\033[1;31mfails B\033[0m"), std::string::npos) << coloured->substr(0, 3000);
    EXPECT_NE(coloured->find("\033[1;33mB only\033[0m"), std::string::npos);
    const std::optional<std::string> plain = RunOnTerminal(args, true, why);
    ASSERT_TRUE(plain.has_value()) << why;
    EXPECT_NE(plain->find("fails B"), std::string::npos);
    EXPECT_EQ(plain->find('\033'), std::string::npos);
}

TEST(AnalyzeJsonLines, ResultsLineHoldsTheFormValuesInFileOrder)
{
    const char* const coords[][2] = {{"core", "CC"}, {"geo", "IS"}, {"bedding", "BC"}};
    for (const auto& [option, code] : coords) {
        for (const ExampleCase& e : kExamples) {
            SCOPED_TRACE(std::string(e.file) + " " + option);
            const json j = AnalyzeJson({"--coords", option}, Example(e.file));
            const json& r = j["result"];
            const std::vector<std::string> f = Split(j["resultsLine"].get<std::string>(), "\t");
            ASSERT_EQ(f.size(), 31u);
            const std::vector<std::string> expected{
                e.name,
                Fixed("%.1f", Get(j["header"], "labField")),
                Fixed("%.2f", Get(r, "paleointensity")),
                Fixed("%.2f", Get(r, "stdDev")),
                std::to_string(r["tMin"].get<int>()),
                std::to_string(r["tMax"].get<int>()),
                std::to_string(r["n"].get<int>()),
                Fixed("%.2f", Get(r, "slope")),
                Fixed("%.2f", Get(r, "slopeRelStd")),
                Fixed("%.2f", Get(r, "f")),
                Fixed("%.2f", Get(r, "g")),
                Fixed("%.1f", Get(r, "q")),
                Fixed("%.1f", Get(r, "w")),
                Fixed("%.1f", Get(r, "trm")),
                Fixed("%.1f", Get(r, "nrmT")),
                Fixed("%.1f", Get(r, "incAnchored")),
                Fixed("%.1f", Get(r, "decAnchored")),
                Fixed("%.1f", Get(r, "madAnchored")),
                Fixed("%.1f", Get(r, "incFree")),
                Fixed("%.1f", Get(r, "decFree")),
                Fixed("%.1f", Get(r, "madFree")),
                Fixed("%.1f", Get(r, "alpha")),
                code,
                e.methodType,
                "A",
                Fixed("%.1f", Get(r, "ckError")),
                Fixed("%.1f", Get(r, "ckDiff")),
                Fixed("%.1f", Get(r, "drat")),
                Fixed("%.1f", Get(r, "dTStar")),
                Fixed("%.1f", Get(r, "dTR")),
                Fixed("%.1f", Get(r, "dAC")),
            };
            EXPECT_EQ(f, expected);
            EXPECT_EQ(j["resultsLine"].get<std::string>().find('\r'), std::string::npos);
            EXPECT_EQ(j["resultsLine"].get<std::string>().find('\n'), std::string::npos);
        }
    }
}

TEST(AnalyzeJsonLines, StepAndTailLinesAreTheFormListLines)
{
    const json basalt = AnalyzeJson({}, Example("basalt-mt1.kvd"));
    ASSERT_EQ(basalt["stepLines"].size(), basalt["lists"]["measurements"].size());
    // First line of the file: BV12a 20.00 1.842E+03 355.4 39.8 (core
    // coordinates show the file's own direction).
    EXPECT_EQ(basalt["stepLines"][0], "0     20   1842.00    355.40     39.80");
    EXPECT_TRUE(basalt["tailLines"].empty());

    const json tuff = AnalyzeJson({}, Example("tuff-mt3.kvd"));
    ASSERT_EQ(tuff["tailLines"].size(), 5u);
    EXPECT_EQ(tuff["tailLines"].size(), tuff["lists"]["tailCheckStats"].size());
    const int temperatures[] = {250, 350, 440, 510, 550};
    for (std::size_t i = 0; i < 5; ++i) {
        const std::string line = tuff["tailLines"][i];
        const json& stat = tuff["lists"]["tailCheckStats"][i];
        char expected[128];
        std::snprintf(expected, sizeof expected, "%d\xC2\xB0" "C%8.1f\xC2\xB0%9.1f\xC2\xB0%9.1f%9.1f", temperatures[i],
                      Get(stat, "x"), Get(stat, "y"), Get(stat, "z"), Get(stat, "magnitude"));
        EXPECT_EQ(line, expected);
    }
    // In the text the same lines, under the form's headings.
    const RunResult text = RunProgram({"analyze", Example("tuff-mt3.kvd")});
    EXPECT_NE(text.out.find("Repeated demagnetizations (5)\n"
                            "     T  d(theta)    d(Inc)     d(t*)    d(TR)\n"
                            "   " + tuff["tailLines"][0].get<std::string>() + "\n"),
              std::string::npos)
        << text.out;
    EXPECT_NE(text.out.find("     1  " + tuff["stepLines"][0].get<std::string>() + "  zero-field\n"),
              std::string::npos);
    // The raw JSON text carries the degree sign as the character itself.
    const RunResult raw = RunProgram({"analyze", Example("tuff-mt3.kvd"), "--json"});
    EXPECT_NE(raw.out.find("\"250\xC2\xB0" "C"), std::string::npos);
}

}  // namespace

namespace {

using namespace clitest;

TEST(AnalyzeRangeMap, CellsAreWhatAnalyzeRangeGivesAndTheChosenOneTheResult)
{
    const std::string file = Example("tuff-mt3.kvd");
    const json automatic = AnalyzeJson({"--range-map"}, file);
    const json& map = automatic["rangeMap"];
    ASSERT_TRUE(map.contains("ranges"));
    const json& chosen = map["summary"]["chosen"];
    EXPECT_EQ(chosen["tMin"], automatic["result"]["tMin"]);
    EXPECT_EQ(chosen["tMax"], automatic["result"]["tMax"]);
    std::size_t compared = 0;
    for (std::size_t k = 0; k < map["ranges"].size(); k += 9) {
        const json& cell = map["ranges"][k];
        const json typed = AnalyzeJson({"--range", std::to_string(cell["tMin"].get<int>()),
                                        std::to_string(cell["tMax"].get<int>())},
                                       file)["result"];
        EXPECT_EQ(cell["n"], typed["n"]);
        EXPECT_EQ(cell["paleointensity"], typed["paleointensity"]);  // shortest round trip: the same double
        EXPECT_EQ(cell["stdDev"], typed["stdDev"]);
        EXPECT_EQ(cell["value"], std::fabs(typed["w"].get<double>()));
        const std::string grade = typed["resultClass"].get<std::string>();
        EXPECT_EQ(cell["class"], grade == "C" || grade.empty() ? std::string("none") : grade);
        ++compared;
    }
    EXPECT_GE(compared, 5u);

    const std::string text = RunProgram({"analyze", file, "--range-map"}).out;
    EXPECT_NE(text.find("Range map\n"), std::string::npos);
    EXPECT_NE(text.find("Chosen range             150-530"), std::string::npos) << text;
}

}  // namespace
