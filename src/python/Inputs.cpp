// What the module's functions take: sources, keyword options, and the
// exceptions that report what went wrong.

#include <algorithm>
#include <array>
#include <limits>
#include <string_view>

#include "ModuleTypes.h"
#include "magic/MagicFiles.h"
#include "text/TextEncoding.h"

namespace korvanes::python {
namespace {

// The keyword options every analysis takes, and what the messages of the
// core call them.
constexpr std::array<std::string_view, 15> kOptionNames{
    "range",     "coords",    "labfield",     "criteria",   "only_z",
    "check_corrected", "include_check_correction", "maximize_q", "range_map", "standard",
    "criteria_set", "search_set", "specimen", "samples", "sites"};

std::string PathText(const py::handle& object)
{
    return py::str(py::module_::import("os").attr("fspath")(object)).cast<std::string>();
}

bool IsPathLike(const py::handle& object)
{
    return py::isinstance<py::str>(object) || py::hasattr(object, "__fspath__");
}

bool Flag(const py::kwargs& options, const char* name)
{
    if (!options.contains(name)) {
        return false;
    }
    const py::handle value = options[name];
    if (!py::isinstance<py::bool_>(value)) {
        throw py::type_error(std::string(name) + " must be True or False, not " +
                             py::str(py::type::handle_of(value).attr("__name__")).cast<std::string>());
    }
    return value.cast<bool>();
}

// A path or set name; empty for None or absent.
std::string Text(const py::kwargs& options, const char* name)
{
    if (!options.contains(name) || options[name].is_none()) {
        return std::string();
    }
    const py::handle value = options[name];
    if (!IsPathLike(value)) {
        throw py::type_error(std::string(name) + " must be a str or a path");
    }
    return PathText(value);
}

std::string TypeName(const py::handle& object)
{
    return py::str(py::type::handle_of(object).attr("__name__")).cast<std::string>();
}

std::optional<std::pair<int, int>> RangeOption(const py::handle& value)
{
    if (value.is_none()) {
        return std::nullopt;
    }
    if (!py::isinstance<py::sequence>(value) || py::isinstance<py::str>(value) || py::len(value) != 2) {
        throw py::type_error("range must be a pair (t_min, t_max) of whole °C, not " + TypeName(value));
    }
    const py::sequence pair = py::reinterpret_borrow<py::sequence>(value);
    std::array<int, 2> ends{};
    for (std::size_t i = 0; i < 2; ++i) {
        const py::object end = pair[i];
        if (py::isinstance<py::bool_>(end) || !py::hasattr(end, "__index__")) {
            throw py::type_error("range must be a pair (t_min, t_max) of whole °C; " + TypeName(end) +
                                 " is no whole number");
        }
        const long long t = py::int_(end).cast<long long>();
        if (t < std::numeric_limits<int>::min() || t > std::numeric_limits<int>::max()) {
            throw py::value_error("range: " + std::to_string(t) + " °C is out of range");
        }
        ends[i] = static_cast<int>(t);
    }
    return std::make_pair(ends[0], ends[1]);
}

py::handle g_dataFileError;

// A request whose messages name the options as the module's keywords.
report::AnalysisRequest PythonRequest()
{
    report::AnalysisRequest request;
    request.rangeOption = "range";
    request.rangeMapOption = "range_map";
    request.standardOption = "standard";
    request.criteriaSetOption = "criteria_set";
    request.searchSetOption = "search_set";
    request.specimenOption = "specimen=";
    request.magicOptions = "specimen, samples and sites";
    return request;
}

}  // namespace

void SetDataFileError(py::handle type)
{
    g_dataFileError = type;
}

Source SourceFromPython(const py::handle& object)
{
    if (py::isinstance<Specimen>(object)) {
        return object.cast<Specimen>();
    }
    if (py::isinstance<py::bytes>(object)) {
        return DataText{object.cast<std::string>()};
    }
    if (py::isinstance<py::str>(object)) {
        std::string text = object.cast<std::string>();
        if (text.find('\n') != std::string::npos) {
            return DataText{std::move(text)};
        }
        return text;
    }
    if (py::hasattr(object, "__fspath__")) {
        return PathText(object);
    }
    throw py::type_error("a data file's path (str or os.PathLike), its text (str or bytes) or a korvanes.Specimen "
                         "was expected, not " + TypeName(object));
}

std::shared_ptr<const report::PreparedAnalysis> PrepareFromKeywords(const py::kwargs& options, bool forceRangeMap)
{
    if (options.empty() && !forceRangeMap) {
        // The common call, prepared once.
        static const std::shared_ptr<const report::PreparedAnalysis> plain = [] {
            auto prepared = std::make_shared<report::PreparedAnalysis>();
            report::PrepareAnalysis(PythonRequest(), *prepared);
            return prepared;
        }();
        return plain;
    }
    for (const auto& item : options) {
        const std::string key = py::str(item.first).cast<std::string>();
        if (std::find(kOptionNames.begin(), kOptionNames.end(), key) == kOptionNames.end()) {
            throw py::type_error("unexpected keyword argument '" + key + "'");
        }
    }
    report::AnalysisRequest request = PythonRequest();
    report::AnalysisSettings& s = request.settings;
    if (options.contains("range")) {
        s.range = RangeOption(options["range"]);
    }
    if (options.contains("coords")) {
        const py::handle coords = options["coords"];
        if (!py::isinstance<py::str>(coords)) {
            throw py::type_error("coords must be a str: 'core', 'geo' or 'bedding'");
        }
        s.coordinates = coords.cast<std::string>();
        if (!report::IsCoordinateSystem(s.coordinates)) {
            throw py::value_error("coords must be 'core', 'geo' or 'bedding', not '" + Printable(s.coordinates) + "'");
        }
    }
    if (options.contains("labfield") && !options["labfield"].is_none()) {
        const py::handle field = options["labfield"];
        if (py::isinstance<py::bool_>(field) || py::isinstance<py::str>(field) || !py::hasattr(field, "__float__")) {
            throw py::type_error("labfield must be a number (µT), not " + TypeName(field));
        }
        const double value = py::float_(py::reinterpret_borrow<py::object>(field)).cast<double>();
        if (!report::IsUsableLabFieldValue(value)) {
            throw py::value_error("labfield needs a positive finite number of at most 3.4e38 (the laboratory field "
                                  "in microtesla), not " + py::repr(field).cast<std::string>());
        }
        s.labField = value;
    }
    if (options.contains("criteria") && !options["criteria"].is_none()) {
        const py::handle criteria = options["criteria"];
        if (py::isinstance<CCriteriaSet>(criteria)) {
            s.criteria = criteria.cast<CCriteriaSet>();
        } else if (IsPathLike(criteria)) {
            s.criteriaPath = PathText(criteria);
        } else {
            throw py::type_error("criteria must be a korvanes.Criteria or the path of a criteria file, not " +
                                 TypeName(criteria));
        }
    }
    s.onlyZ = Flag(options, "only_z");
    s.checkCorrected = Flag(options, "check_corrected");
    s.includeCheckCorrection = Flag(options, "include_check_correction");
    s.maximizeQ = Flag(options, "maximize_q");
    request.rangeMap = forceRangeMap || Flag(options, "range_map");
    request.standard = Flag(options, "standard");
    request.criteriaSet = Text(options, "criteria_set");
    request.searchSet = Text(options, "search_set");
    request.magic.specimen = Text(options, "specimen");
    request.magic.samples = Text(options, "samples");
    request.magic.sites = Text(options, "sites");
    auto prepared = std::make_shared<report::PreparedAnalysis>();
    if (const auto failed = report::PrepareAnalysis(request, *prepared)) {
        RaiseFailure(Failure{*failed, std::string(), {}});
    }
    return prepared;
}

std::variant<Result, Failure> AnalyseSource(const std::shared_ptr<const report::PreparedAnalysis>& prepared,
                                            const Source& source, bool standardLater)
{
    auto analysis = std::make_shared<report::SpecimenAnalysis>();
    const report::MagicInputOptions& magicOptions = prepared->request.magic;
    const bool magicOptionsGiven =
        !magicOptions.specimen.empty() || !magicOptions.samples.empty() || !magicOptions.sites.empty();
    OpenStatus status;
    if (const auto* path = std::get_if<std::string>(&source)) {
        if (auto failed = report::OpenSpecimenFile(*prepared, *path, *analysis)) {
            return Failure{std::move(*failed), *path, std::move(analysis->warnings)};
        }
    } else {
        if (magicOptionsGiven) {
            return Failure{{report::FailureKind::kUsage,
                            "specimen, samples and sites apply to the path of a MagIC measurements file"},
                           std::string(),
                           {}};
        }
        analysis->doc = CKorvanesToolDoc(prepared->criteria);
        if (const auto* text = std::get_if<DataText>(&source)) {
            status = analysis->doc.OpenData(text->bytes);
        } else {
            const Specimen& specimen = std::get<Specimen>(source);
            analysis->file = specimen.source;
            status = magic::OpenImportedSpecimen(*specimen.imported, specimen.source, analysis->doc);
            analysis->magic = report::MagicSpecimenNotes{specimen.imported->magicName, specimen.imported->AllNotes()};
        }
        if (!status.readable) {
            return Failure{{report::FailureKind::kUnreadable, Printable(status.error)},
                           analysis->file,
                           std::move(status.warnings)};
        }
        analysis->warnings = std::move(status.warnings);
    }
    report::AnalyseOpenedSpecimen(*prepared, *analysis, standardLater);
    return Result{prepared, std::move(analysis)};
}

const report::SpecimenAnalysis& Complete(const Result& result)
{
    report::CompleteStandardStatistics(*result.prepared, *result.analysis);
    return *result.analysis;
}

void RaiseFailure(const Failure& failure)
{
    if (failure.failure.kind == report::FailureKind::kUsage) {
        throw py::value_error(failure.failure.message);
    }
    py::object error = g_dataFileError(failure.failure.message);
    py::list warnings;
    py::list lines;
    for (const ReadWarning& w : failure.warnings) {
        warnings.append(py::make_tuple(w.line, ToUtf8(w.text)));
        lines.append(w.line);
    }
    error.attr("file") = failure.file.empty() ? py::object(py::none()) : py::object(py::str(ToUtf8(failure.file)));
    error.attr("warnings") = warnings;
    error.attr("lines") = lines;
    PyErr_SetObject(g_dataFileError.ptr(), error.ptr());
    throw py::error_already_set();
}

}  // namespace korvanes::python
