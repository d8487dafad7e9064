#include "study/StudyFile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <nlohmann/json.hpp>

#include "document/DataFileReader.h"
#include "io/FileReplace.h"
#include "text/TextEncoding.h"

namespace korvanes {
namespace {

using Json = nlohmann::ordered_json;

// The thresholds of one class, by name.
struct ThresholdField {
    const char* name;
    std::int32_t ClassThresholds::*integer;
    double ClassThresholds::*number;
};
constexpr ThresholdField kThresholds[] = {
    {"minN", &ClassThresholds::minN, nullptr},
    {"maxSlopeRelStd", nullptr, &ClassThresholds::maxSlopeRelStd},
    {"minF", nullptr, &ClassThresholds::minF},
    {"minQ", &ClassThresholds::minQ, nullptr},
    {"maxMad", &ClassThresholds::maxMad, nullptr},
    {"maxMadFree", &ClassThresholds::maxMadFree, nullptr},
    {"maxAlpha", &ClassThresholds::maxAlpha, nullptr},
    {"maxCkError", &ClassThresholds::maxCkError, nullptr},
    {"maxCkDiff", &ClassThresholds::maxCkDiff, nullptr},
    {"maxDrat", &ClassThresholds::maxDrat, nullptr},
    {"maxTailStar", &ClassThresholds::maxTailStar, nullptr},
    {"maxIntensityDiff", &ClassThresholds::maxIntensityDiff, nullptr},
    {"maxAc", &ClassThresholds::maxAc, nullptr},
};

const char* const kCoordinateNames[] = {"core", "geo", "bedding"};

Json ThresholdsJson(const ClassThresholds& t)
{
    Json json = Json::object();
    for (const ThresholdField& field : kThresholds) {
        if (field.integer != nullptr) {
            json[field.name] = t.*field.integer;
        } else {
            json[field.name] = t.*field.number;
        }
    }
    return json;
}

ClassThresholds ThresholdsFrom(const Json& json)
{
    ClassThresholds t;
    for (const ThresholdField& field : kThresholds) {
        const Json& value = json.at(field.name);
        if (field.integer != nullptr) {
            t.*field.integer = value.get<std::int32_t>();
        } else {
            t.*field.number = value.get<double>();
        }
    }
    return t;
}

Json InputsJson(const AnalysisInputs& in)
{
    const CCriteriaSet& c = in.criteria;
    return Json{
        {"range", in.rangeMode == kSelectedRange ? "chosen" : "automatic"},
        {"tMin", in.tMin},
        {"tMax", in.tMax},
        {"labField", in.labField},
        {"coordinates", kCoordinateNames[in.coordinates >= 0 && in.coordinates <= 2 ? in.coordinates : 0]},
        {"checkCorrected", in.checkCorrected != 0},
        {"onlyZComponent", in.onlyZComponent != 0},
        {"includeCheckCorrection", in.includeCheckCorrection != 0},
        {"criteria",
         {{"classA", ThresholdsJson(c.classA)},
          {"classB", ThresholdsJson(c.classB)},
          {"maximizeQ", c.maximizeQ != 0},
          {"allowMt4CheckCorrection", c.allowMt4CheckCorrection != 0},
          {"equalAraiScales", c.equalAraiScales != 0}}},
    };
}

AnalysisInputs InputsFrom(const Json& json)
{
    AnalysisInputs in;
    const std::string range = json.at("range").get<std::string>();
    if (range != "chosen" && range != "automatic") {
        throw std::invalid_argument("unknown range \"" + range + "\"");
    }
    in.rangeMode = range == "chosen" ? kSelectedRange : kAutomaticRange;
    in.tMin = json.at("tMin").get<std::int32_t>();
    in.tMax = json.at("tMax").get<std::int32_t>();
    in.labField = json.at("labField").get<float>();
    const std::string coordinates = json.at("coordinates").get<std::string>();
    in.coordinates = -1;
    for (int i = 0; i < 3; ++i) {
        if (coordinates == kCoordinateNames[i]) {
            in.coordinates = i;
        }
    }
    if (in.coordinates < 0) {
        throw std::invalid_argument("unknown coordinates \"" + coordinates + "\"");
    }
    in.checkCorrected = json.at("checkCorrected").get<bool>() ? 1 : 0;
    in.onlyZComponent = json.at("onlyZComponent").get<bool>() ? 1 : 0;
    in.includeCheckCorrection = json.at("includeCheckCorrection").get<bool>() ? 1 : 0;
    const Json& c = json.at("criteria");
    in.criteria.classA = ThresholdsFrom(c.at("classA"));
    in.criteria.classB = ThresholdsFrom(c.at("classB"));
    in.criteria.maximizeQ = c.at("maximizeQ").get<bool>() ? 1 : 0;
    in.criteria.allowMt4CheckCorrection = c.at("allowMt4CheckCorrection").get<bool>() ? 1 : 0;
    in.criteria.equalAraiScales = c.at("equalAraiScales").get<bool>() ? 1 : 0;
    return in;
}

int LineAt(std::string_view text, std::size_t offset)
{
    offset = std::min(offset, text.size());
    int line = 1;
    for (std::size_t i = 0; i < offset; ++i) {
        line += text[i] == '\n' ? 1 : 0;
    }
    return line;
}

// The line on which element `k` of the array under key `key` of the top-level
// object begins (0 when not found). The file as written has one per line; a
// hand-edited one is scanned the same way.
int ArrayElementLine(std::string_view text, std::string_view key, std::size_t k)
{
    const std::size_t at = text.find("\"" + std::string(key) + "\"");
    if (at == std::string_view::npos) {
        return 0;
    }
    std::size_t i = text.find('[', at);
    if (i == std::string_view::npos) {
        return 0;
    }
    int depth = 0;
    std::size_t element = 0;
    bool inString = false;
    for (++i; i < text.size(); ++i) {
        const char c = text[i];
        if (inString) {
            if (c == '\\') {
                ++i;
            } else if (c == '"') {
                inString = false;
            }
            continue;
        }
        if (c == '"') {
            inString = true;
        } else if (c == '{' || c == '[') {
            if (depth == 0 && element++ == k) {
                return LineAt(text, i);
            }
            ++depth;
        } else if (c == '}' || c == ']') {
            if (depth == 0) {
                return 0;
            }
            --depth;
        }
    }
    return 0;
}

}  // namespace

std::string StudyFileText(const Study& study)
{
    Json head{{"format", "korvanes-study"}, {"version", kStudyFileVersion}};
    head["nameRule"] =
        Json{{"separators", study.nameRule.separators}, {"site", study.nameRule.siteCutsSample ? "cut" : "sample"}};
    if (!study.magicFile.empty()) {
        head["magic"] = Json{{"measurements", study.magicFile}, {"samples", study.magicSamples}, {"sites", study.magicSites}};
    }
    // One specimen per line: a person can read it, and a problem has a line.
    std::string text = head.dump(2, ' ', false, Json::error_handler_t::replace);
    text.erase(text.size() - 2);  // "\n}"
    text += ",\n  \"specimens\": [";
    for (std::size_t i = 0; i < study.specimens.size(); ++i) {
        const StudySpecimen& s = study.specimens[i];
        Json entry{{"file", s.file}, {"name", ToUtf8(s.name)}, {"site", ToUtf8(s.site)}, {"sample", ToUtf8(s.sample)}};
        if (s.placedByMagic) {
            entry["placedByMagic"] = true;
        }
        entry["size"] = s.stamp.size;
        entry["sha256"] = s.stamp.sha256;
        entry["inputs"] = InputsJson(s.inputs);
        entry["rejected"] = s.rejected;
        entry["note"] = s.note;
        text += (i == 0 ? "\n    " : ",\n    ") + entry.dump(-1, ' ', false, Json::error_handler_t::replace);
    }
    text += "\n  ]\n}\n";
    return text;
}

std::optional<std::string> WriteStudyFile(const Study& study, const std::string& path)
{
    return ReplaceFileContents(path, StudyFileText(study));
}

StudyFileRead ParseStudyFile(std::string_view text, const std::string& folder)
{
    StudyFileRead read;
    read.study.folder = folder;
    Json json;
    try {
        json = Json::parse(text);
    } catch (const Json::parse_error& error) {
        read.line = LineAt(text, error.byte > 0 ? error.byte - 1 : 0);
        read.reason = error.byte >= text.size() ? "the file ends too early (cut short?)" : "not JSON";
        return read;
    }
    const auto keyLine = [&](const char* key) {
        const std::size_t at = text.find("\"" + std::string(key) + "\"");
        return at == std::string_view::npos ? 0 : LineAt(text, at);
    };
    try {
        if (!json.is_object() || json.value("format", std::string()) != "korvanes-study") {
            read.reason = "not a study file (no \"format\": \"korvanes-study\")";
            read.line = 1;
            return read;
        }
        const int version = json.at("version").get<int>();
        if (version > kStudyFileVersion) {
            read.reason = "written by a newer program (version " + std::to_string(version) + ", this one reads " +
                          std::to_string(kStudyFileVersion) + ")";
            read.line = keyLine("version");
            return read;
        }
        // A file without the site's rule was written when the site was the
        // sample cut at its last separator.
        read.study.nameRule.siteCutsSample = true;
        if (json.contains("nameRule")) {
            const Json& rule = json["nameRule"];
            read.study.nameRule.separators = rule.at("separators").get<std::string>();
            const std::string site = rule.value("site", std::string("cut"));
            if (site != "cut" && site != "sample") {
                read.reason = "the name rule's site is \"" + site + "\" (this program knows \"sample\" and \"cut\")";
                read.line = keyLine("nameRule");
                return read;
            }
            read.study.nameRule.siteCutsSample = site == "cut";
        }
        if (json.contains("magic")) {
            const Json& magic = json["magic"];
            read.study.magicFile = magic.at("measurements").get<std::string>();
            read.study.magicSamples = magic.value("samples", std::string());
            read.study.magicSites = magic.value("sites", std::string());
        }
    } catch (const Json::exception& error) {
        read.reason = std::string("the head is not usable: ") + error.what();
        read.line = 1;
        return read;
    }
    const Json* specimens = json.contains("specimens") ? &json["specimens"] : nullptr;
    if (specimens == nullptr || !specimens->is_array()) {
        read.reason = "no list of specimens";
        read.line = keyLine("specimens");
        return read;
    }
    for (std::size_t k = 0; k < specimens->size(); ++k) {
        const Json& entry = (*specimens)[k];
        StudySpecimen s;
        try {
            s.file = entry.at("file").get<std::string>();
            if (s.file.empty()) {
                throw std::invalid_argument("the entry names no file");
            }
            s.name = entry.value("name", std::string());
            s.site = entry.value("site", std::string());
            s.sample = entry.value("sample", std::string());
            s.placedByMagic = entry.value("placedByMagic", false);
            s.stamp.size = entry.at("size").get<std::uint64_t>();
            s.stamp.sha256 = entry.at("sha256").get<std::string>();
            s.inputs = InputsFrom(entry.at("inputs"));
            s.rejected = entry.at("rejected").get<bool>();
            s.note = entry.value("note", std::string());
        } catch (const std::exception& error) {
            const bool noFile = !entry.is_object() || !entry.contains("file") || s.file.empty();
            read.reason = "specimen entry " + std::to_string(k + 1) + ": " +
                          (noFile ? std::string("it names no file") : std::string(error.what()));
            read.line = ArrayElementLine(text, "specimens", k);
            return read;
        }
        read.study.specimens.push_back(std::move(s));
    }
    read.ok = true;
    return read;
}

StudyFileRead ReadStudyFile(const std::string& path)
{
    std::string bytes;
    const OpenStatus status = ReadDataFileBytes(path, bytes);
    if (!status.readable) {
        StudyFileRead read;
        read.reason = status.error;
        return read;
    }
    return ParseStudyFile(bytes, std::filesystem::path(path).parent_path().string());
}

std::unique_ptr<StudyLock> StudyLock::Acquire(const std::string& studyPath, std::string& error)
{
    const std::string lockPath = studyPath + ".lock";
    const int fd = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0) {
        error = "cannot make the lock file '" + lockPath + "': " + std::strerror(errno);
        return nullptr;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        error = errno == EWOULDBLOCK ? "another program has this study open" : std::string(std::strerror(errno));
        ::close(fd);
        return nullptr;
    }
    return std::unique_ptr<StudyLock>(new StudyLock(fd));
}

StudyLock::~StudyLock() { ::close(m_fd); }

}  // namespace korvanes
