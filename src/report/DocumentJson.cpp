#include "DocumentJson.h"

#include <cmath>

#include "analysis/AraiFit.h"
#include "results/CriteriaMarks.h"
#include "results/FormLines.h"
#include "results/QualityText.h"
#include "results/ResultsTable.h"
#include "text/TextEncoding.h"

namespace korvanes::report {

double JsonNumber(double value)
{
    return std::isfinite(value) ? value : 0.0;
}

Json MeasurementToJson(const CMeasurement& m)
{
    return Json{{"treatmentCode", JsonNumber(m.treatmentCode)},
                {"moment", JsonNumber(m.moment)},
                {"inclination", JsonNumber(m.inclination)},
                {"declination", JsonNumber(m.declination)}};
}

Json StepVectorToJson(const CStepVector& s)
{
    return Json{{"x", JsonNumber(s.x)},
                {"y", JsonNumber(s.y)},
                {"z", JsonNumber(s.z)},
                {"magnitude", JsonNumber(s.magnitude)},
                {"stepType", s.stepType},
                {"temperature", s.temperature},
                {"stepTemperature", s.stepTemperature}};
}

Json HeaderToJson(const CSpecimenHeader& header)
{
    return Json{{"labField", JsonNumber(header.m_labField)},
                {"coreAzimuth", JsonNumber(header.m_coreAzimuth)},
                {"coreDip", JsonNumber(header.m_coreDip)},
                {"beddingDipDirection", JsonNumber(header.m_beddingDipDirection)},
                {"beddingDip", JsonNumber(header.m_beddingDip)}};
}

Json OptionsToJson(const CAnalysisOptions& options)
{
    return Json{{"coordinates", options.m_coordinates},
                {"plotType", options.m_plotType},
                {"rangeMode", options.m_rangeMode},
                {"checkCorrected", options.m_checkCorrected},
                {"showAdditivityChecks", options.m_showAdditivityChecks},
                {"onlyZComponent", options.m_onlyZComponent},
                {"includeCheckCorrection", options.m_includeCheckCorrection},
                {"pathName", ToUtf8(options.m_pathName)},
                {"equalAraiScales", options.m_equalAraiScales}};
}

namespace {

// q or w: JSON has no infinity, so a value without scatter becomes null
// (in its place), with the reason under `reasonKey` beside it.
void MarkInfiniteQuality(Json& json, const char* key, const char* reasonKey, double value)
{
    if (IsInfiniteQuality(value)) {
        json[key] = nullptr;
        json[reasonKey] = std::string(kInfiniteQualityReason);
    }
}

}  // namespace

Json ResultToJson(const CSpecimenResult& r)
{
    Json json{{"tMin", r.tMin},
              {"tMax", r.tMax},
              {"madAnchored", JsonNumber(r.madAnchored)},
              {"decAnchored", JsonNumber(r.decAnchored)},
              {"incAnchored", JsonNumber(r.incAnchored)},
              {"madFree", JsonNumber(r.madFree)},
              {"decFree", JsonNumber(r.decFree)},
              {"incFree", JsonNumber(r.incFree)},
              {"trm", JsonNumber(r.trm)},
              {"nrmT", JsonNumber(r.nrmT)},
              {"n", r.n},
              {"stdDev", JsonNumber(r.stdDev)},
              {"slope", JsonNumber(r.slope)},
              {"slopeRelStd", JsonNumber(r.slopeRelStd)},
              {"ckError", JsonNumber(r.ckError)},
              {"ckDiff", JsonNumber(r.ckDiff)},
              {"w", JsonNumber(r.w)},
              {"q", JsonNumber(r.q)},
              {"g", JsonNumber(r.g)},
              {"f", JsonNumber(r.f)},
              {"paleointensity", JsonNumber(r.paleointensity)},
              {"methodType", ToUtf8(r.methodType)},
              {"resultClass", ToUtf8(r.resultClass)},
              {"dTR", JsonNumber(r.dTR)},
              {"dAC", JsonNumber(r.dAC)},
              {"fitXFrom", JsonNumber(r.fitXFrom)},
              {"fitXTo", JsonNumber(r.fitXTo)},
              {"meanPtrm", JsonNumber(r.meanPtrm)},
              {"meanNrm", JsonNumber(r.meanNrm)},
              {"fitLength", JsonNumber(r.fitLength)},
              {"drat", JsonNumber(r.drat)},
              {"alpha", JsonNumber(r.alpha)},
              {"dTStar", JsonNumber(r.dTStar)},
              {"noResultReason", ToUtf8(r.noResultReason)}};
    MarkInfiniteQuality(json, "w", "wNullReason", r.w);
    MarkInfiniteQuality(json, "q", "qNullReason", r.q);
    return json;
}

Json PlotBoundsToJson(const CPlotBounds& b)
{
    return Json{{"minTemperature", b.minTemperature},
                {"maxTemperature", b.maxTemperature},
                {"minNrm", JsonNumber(b.minNrm)},
                {"maxNrm", JsonNumber(b.maxNrm)},
                {"maxPtrm", JsonNumber(b.maxPtrm)},
                {"maxX", JsonNumber(b.maxX)},
                {"maxY", JsonNumber(b.maxY)},
                {"maxZ", JsonNumber(b.maxZ)},
                {"maxHorizontal", JsonNumber(b.maxHorizontal)},
                {"minX", JsonNumber(b.minX)},
                {"minY", JsonNumber(b.minY)},
                {"minZ", JsonNumber(b.minZ)},
                {"minHorizontal", JsonNumber(b.minHorizontal)},
                {"maxTailDTR", JsonNumber(b.maxTailDTR)},
                {"maxTailTStar", JsonNumber(b.maxTailTStar)},
                {"maxTailDInc", JsonNumber(b.maxTailDInc)},
                {"tailPlotMax", JsonNumber(b.tailPlotMax)},
                {"tailPlotMaxIncTStar", JsonNumber(b.tailPlotMaxIncTStar)},
                {"maxCheckDifference", JsonNumber(b.maxCheckDifference)},
                {"maxAdditivityDifference", JsonNumber(b.maxAdditivityDifference)}};
}

Json WarningsToJson(const std::vector<ReadWarning>& warnings)
{
    return ListToJson(warnings, [](const ReadWarning& w) { return Json{{"line", w.line}, {"text", ToUtf8(w.text)}}; });
}

Json ListsToJson(const CKorvanesToolDoc& doc)
{
    Json lists;
    lists["measurements"] = ListToJson(doc.m_measurements, MeasurementToJson);
    for (const auto& [name, list] : doc.DerivedLists()) {
        lists[name] = ListToJson(*list, StepVectorToJson);
    }
    return lists;
}

Json MarksToJson(const CSpecimenResult& result, const CCriteriaSet& criteria)
{
    Json statistics = Json::array();
    for (const MarkedStatistic& m : CriteriaMarks(result, criteria)) {
        const bool infinite = m.label == "q" && IsInfiniteQuality(m.value);
        statistics.push_back(Json{{"name", m.label},
                                  {"value", infinite ? Json(nullptr) : Json(JsonNumber(m.value))},
                                  {"mark", CriteriaMarkName(m.mark)},
                                  {"graded", m.label != "MAD'"}});
    }
    return Json{{"shown", MarksShown(result)}, {"statistics", statistics}};
}

Json RangeToJson(const CKorvanesToolDoc& doc, const std::optional<std::pair<int, int>>& requested)
{
    Json json;
    const bool manual = doc.m_options.m_rangeMode == kSelectedRange;
    json["mode"] = manual ? "manual" : "automatic";
    if (manual && requested) {
        json["requested"] = Json{{"tMin", requested->first}, {"tMax", requested->second}};
    }
    json["used"] = Json{{"tMin", doc.m_result.tMin}, {"tMax", doc.m_result.tMax}};
    return json;
}

Json LeftOutStepsToJson(const CKorvanesToolDoc& doc)
{
    return ListToJson(LeftOutAraiSteps(doc), [](const LeftOutStep& step) {
        return Json{{"temperature", step.temperature}, {"inFittedRange", step.inFittedRange}, {"reason", step.reason}};
    });
}

Json RangeMapToJson(const RangeMap& map)
{
    if (!map.refused.empty()) {
        return Json{{"refused", ToUtf8(map.refused)}};
    }
    const RangeMapSummary& s = map.summary;
    Json summary;
    summary["chosen"] = s.hasChosen ? Json{{"tMin", s.chosenMin}, {"tMax", s.chosenMax}} : Json(nullptr);
    summary["statisticsOver"] = s.statisticsGrade < 0 ? Json(nullptr) : Json(RangeMapGradeName(s.statisticsGrade));
    summary["count"] = s.count;
    summary["minimum"] = JsonNumber(s.minimum);
    summary["median"] = JsonNumber(s.median);
    summary["maximum"] = JsonNumber(s.maximum);
    Json json;
    json["searchValue"] = map.byQ ? "q" : "w";
    json["temperatures"] = map.temperatures;
    json["summary"] = summary;
    json["ranges"] = ListToJson(map.cells, [](const RangeMapCell& c) {
        Json cell{{"tMin", c.tMin},
                  {"tMax", c.tMax},
                  {"n", c.n},
                  {"class", RangeMapGradeName(c.grade)},
                  {"value", JsonNumber(c.value)},
                  {"paleointensity", JsonNumber(c.paleointensity)},
                  {"stdDev", JsonNumber(c.stdDev)},
                  {"missesA", GradeTestLabels(c.missesA)},
                  {"missesB", GradeTestLabels(c.missesB)}};
        MarkInfiniteQuality(cell, "value", "valueNullReason", c.value);
        return cell;
    });
    return json;
}

std::string ResultsLineUtf8(const CKorvanesToolDoc& doc)
{
    std::string line = FormatResultLine(ResultValuesFromDocument(doc));
    if (line.size() >= 2 && line.compare(line.size() - 2, 2, "\r\n") == 0) {
        line.resize(line.size() - 2);
    }
    return ToUtf8(line);
}

Json LinesToJson(const std::vector<std::string>& lines)
{
    return ListToJson(lines, [](const std::string& line) { return Json(ToUtf8(line)); });
}

Json DocumentToJson(const CKorvanesToolDoc& doc, const std::string& file, const std::vector<ReadWarning>& warnings,
                    const std::optional<std::pair<int, int>>& requestedRange)
{
    Json json;
    json["file"] = ToUtf8(file);
    json["specimenName"] = ToUtf8(doc.m_header.m_specimenName);
    json["checkMethodText"] = ToUtf8(doc.m_header.m_checkMethodText);
    json["methodType"] = ToUtf8(doc.m_result.methodType);
    json["resultClass"] = ToUtf8(doc.m_result.resultClass);
    json["header"] = HeaderToJson(doc.m_header);
    json["options"] = OptionsToJson(doc.m_options);
    json["range"] = RangeToJson(doc, requestedRange);
    json["result"] = ResultToJson(doc.m_result);
    json["leftOutSteps"] = LeftOutStepsToJson(doc);
    json["marks"] = MarksToJson(doc.m_result, doc.m_criteria);
    json["resultsLine"] = ResultsLineUtf8(doc);
    json["stepLines"] = LinesToJson(StepLines(doc));
    json["tailLines"] = LinesToJson(TailLines(doc));
    json["plotBounds"] = PlotBoundsToJson(doc.m_plotBounds);
    json["lists"] = ListsToJson(doc);
    json["warnings"] = WarningsToJson(warnings);
    return json;
}

std::string DumpJson(const Json& json)
{
    return json.dump(2, ' ', false, Json::error_handler_t::replace);
}

}  // namespace korvanes::report
