// korvanes.analyze, korvanes.range_map, korvanes.import_magic and the
// Result and Specimen types.

#include <pybind11/stl.h>

#include "ModuleTypes.h"
#include "StandardOutput.h"
#include "magic/MagicFiles.h"
#include "text/TextEncoding.h"

namespace korvanes::python {
namespace {

const CSpecimenResult& Of(const Result& r)
{
    return r.analysis->doc.m_result;
}

Result AnalyseOne(const py::handle& source, const py::kwargs& options, bool rangeMap)
{
    const Source input = SourceFromPython(source);
    const auto prepared = PrepareFromKeywords(options, rangeMap);
    std::variant<Result, Failure> outcome = [&] {
        py::gil_scoped_release released;
        // Most scripts read a few values; the standard statistics are made
        // when the dict or they themselves are asked for.
        return AnalyseSource(prepared, input, true);
    }();
    if (auto* failure = std::get_if<Failure>(&outcome)) {
        RaiseFailure(*failure);
    }
    return std::get<Result>(std::move(outcome));
}

py::object WarningsOf(const std::vector<ReadWarning>& warnings)
{
    py::list list;
    for (const ReadWarning& w : warnings) {
        list.append(py::make_tuple(w.line, ToUtf8(w.text)));
    }
    return list;
}

constexpr const char* kOptionsDoc = R"(
Keyword options (all optional, as the command line's):
    range=(t_min, t_max)   evaluate this temperature range (°C) instead of searching
    coords="core"          coordinate system: "core", "geo" or "bedding"
    labfield=None          laboratory field in µT instead of the file's header value
    criteria=None          a korvanes.Criteria or the path of a criteria file (.cri);
                           default: the built-in start-up criteria
    only_z=False           only the z component for pTRM and check magnitudes
    check_corrected=False  apply the cumulative pTRM-check correction
    include_check_correction=False  for MT4 data, let the automatic search try it
    maximize_q=False       the automatic search maximises q instead of w
    range_map=False        evaluate every range the search could choose ("rangeMap")
    standard=False         with range_map: the standard statistics of every range
    criteria_set=None      a criteria set on the standard statistics: "CCRIT",
                           "PICRIT03", "SELCRIT2" or a set file; its verdict
    search_set=None        the automatic search chooses among the ranges passing this set
    specimen, samples, sites  for a MagIC measurements file: the specimen to analyse,
                           and the samples and sites tables giving its orientation
)";

}  // namespace

void DefineResults(py::module_& m)
{
    py::class_<Specimen>(m, "Specimen",
                         "A specimen of a MagIC measurements table with a thermal double-heating experiment,\n"
                         "imported in memory by korvanes.import_magic: analyse it with korvanes.analyze.")
        .def_property_readonly("name", [](const Specimen& s) { return ToUtf8(s.imported->magicName); },
                               "The specimen's name in the MagIC table.")
        .def_property_readonly("source", [](const Specimen& s) { return ToUtf8(s.source); },
                               "The measurements file it was imported from.")
        .def_property_readonly("first_line", [](const Specimen& s) { return s.imported->firstLine; },
                               "Its first record's line in the measurements file.")
        .def_property_readonly("lab_field", [](const Specimen& s) { return s.imported->labField; },
                               "The laboratory field of its in-field steps, µT.")
        .def_property_readonly(
            "notes",
            [](const Specimen& s) {
                std::vector<std::string> notes;
                for (const std::string& note : s.imported->AllNotes()) {
                    notes.push_back(ToUtf8(note));
                }
                return notes;
            },
            "What a user of this specimen should know (changed names, moment conversion, orientation).")
        .def_property_readonly("data", [](const Specimen& s) { return py::bytes(s.imported->dataFile); },
                               "The text of its data file (.kvd), as import-magic would write it.")
        .def("__repr__", [](const Specimen& s) {
            return "<korvanes.Specimen '" + ToUtf8(s.imported->magicName) + "' of " + ToUtf8(s.source) + ">";
        });

    py::class_<Result>(m, "Result",
                       "One analysed specimen. to_dict() is the JSON of `korvanes analyze --json`; the\n"
                       "attributes give its common values. In a notebook it shows its Arai diagram.")
        .def("to_dict",
             [](const Result& r) { return JsonToPython(report::SpecimenAnalysisToJson(*r.prepared, Complete(r))); },
             "The whole analysis as `korvanes analyze --json` writes it, as dicts and lists.")
        .def("to_json",
             [](const Result& r) { return report::DumpJson(report::SpecimenAnalysisToJson(*r.prepared, Complete(r))); },
             "The JSON text `korvanes analyze --json` prints (without its final line end).")
        .def_property_readonly("file", [](const Result& r) { return ToUtf8(r.analysis->file); },
                               "The path analysed (a MagIC specimen: its measurements file; text: \"\").")
        .def_property_readonly("specimen_name",
                               [](const Result& r) { return ToUtf8(r.analysis->doc.m_header.m_specimenName); })
        .def_property_readonly("paleointensity", [](const Result& r) { return Of(r).paleointensity; },
                               "The ancient field, µT (0 without a result).")
        .def_property_readonly("sigma", [](const Result& r) { return Of(r).stdDev; },
                               "The standard deviation of the paleointensity, µT.")
        .def_property_readonly("t_min", [](const Result& r) { return Of(r).tMin; }, "Lower end of the range, °C.")
        .def_property_readonly("t_max", [](const Result& r) { return Of(r).tMax; }, "Upper end of the range, °C.")
        .def_property_readonly("n", [](const Result& r) { return Of(r).n; }, "Arai points in the range.")
        .def_property_readonly("slope", [](const Result& r) { return Of(r).slope; })
        .def_property_readonly("f", [](const Result& r) { return Of(r).f; }, "Fraction of the NRM.")
        .def_property_readonly("g", [](const Result& r) { return Of(r).g; }, "Gap factor.")
        .def_property_readonly("q", [](const Result& r) { return Of(r).q; },
                               "Quality factor (inf for a range without scatter).")
        .def_property_readonly("w", [](const Result& r) { return Of(r).w; },
                               "Weighting factor (inf for a range without scatter).")
        .def_property_readonly("mad_anchored", [](const Result& r) { return Of(r).madAnchored; })
        .def_property_readonly("mad_free", [](const Result& r) { return Of(r).madFree; })
        .def_property_readonly("alpha", [](const Result& r) { return Of(r).alpha; })
        .def_property_readonly("drat", [](const Result& r) { return Of(r).drat; })
        .def_property_readonly("result_class", [](const Result& r) { return ToUtf8(Of(r).resultClass); },
                               "\"A\", \"A*\", \"B\", \"C\" or \"\" (no range qualified).")
        .def_property_readonly("method_type", [](const Result& r) { return ToUtf8(Of(r).methodType); })
        .def_property_readonly("lab_field", [](const Result& r) { return r.analysis->doc.m_header.m_labField; },
                               "The laboratory field used, µT.")
        .def_property_readonly("no_result_reason", [](const Result& r) { return ToUtf8(Of(r).noResultReason); })
        .def_property_readonly("warnings", [](const Result& r) { return WarningsOf(r.analysis->warnings); },
                               "The reader's warnings as (line, text) pairs.")
        .def_property_readonly(
            "standard_statistics",
            [](const Result& r) { return JsonToPython(report::StandardStatisticsToJson(Complete(r).standard)); },
            "The standard paleointensity statistics of the result's range, by key.")
        .def("__repr__",
             [](const Result& r) {
                 const CSpecimenResult& res = Of(r);
                 return StringPrintf("<korvanes.Result %s: %.2f ± %.2f µT, %d-%d °C, n=%d, class %s>",
                                     ToUtf8(r.analysis->doc.m_header.m_specimenName).c_str(), res.paleointensity,
                                     res.stdDev, res.tMin, res.tMax, res.n,
                                     res.resultClass.empty() ? "none" : ToUtf8(res.resultClass).c_str());
             });

    m.def(
        "analyze",
        [](const py::handle& source, const py::kwargs& options) { return AnalyseOne(source, options, false); },
        py::arg("path_or_text"),
        (std::string("analyze(path_or_text, *, range=None, coords=\"core\", labfield=None, criteria=None, ...)"
                     " -> Result\n\n"
                     "Analyses one specimen as `korvanes analyze` does: a data file's path (str or\n"
                     "os.PathLike), its text (a str with a line end, or bytes), a MagIC measurements\n"
                     "file's path (with specimen= when it holds several) or a korvanes.Specimen.\n"
                     "Raises korvanes.DataFileError when it cannot be read, ValueError and TypeError\n"
                     "for bad arguments.\n") +
         kOptionsDoc)
            .c_str());

    m.def(
        "range_map",
        [](const py::handle& source, const py::kwargs& options) {
            const Result r = AnalyseOne(source, options, true);
            report::Json json = report::RangeMapToJson(*r.analysis->map);
            report::AddStandardToRangeMapJson(json, *r.analysis->map, Complete(r).standardInput,
                                              r.prepared->request.standard,
                                              r.prepared->criteriaSet ? &*r.prepared->criteriaSet : nullptr);
            return JsonToPython(json);
        },
        py::arg("path_or_text"),
        (std::string("range_map(path_or_text, **options) -> dict\n\n"
                     "Every range the automatic search could choose, with its class, value and\n"
                     "paleointensity: the \"rangeMap\" of `korvanes analyze --range-map --json`\n"
                     "({\"refused\": reason} when no map can be made). Takes what analyze takes.\n") +
         kOptionsDoc)
            .c_str());

    m.def(
        "import_magic",
        [](const py::handle& path, const py::object& samples, const py::object& sites) {
            report::MagicInputOptions options;
            const auto text = [](const py::handle& value, const char* name) {
                if (value.is_none()) {
                    return std::string();
                }
                if (!py::isinstance<py::str>(value) && !py::hasattr(value, "__fspath__")) {
                    throw py::type_error(std::string(name) + " must be a path (str or os.PathLike)");
                }
                return py::str(py::module_::import("os").attr("fspath")(value)).cast<std::string>();
            };
            const std::string file = text(path, "path");
            options.samples = text(samples, "samples");
            options.sites = text(sites, "sites");
            magic::MagicImport imported;
            {
                py::gil_scoped_release released;
                imported = report::ImportMagicInput(file, options);
            }
            if (!imported.ok()) {
                RaiseFailure(Failure{{report::FailureKind::kUnreadable, Printable(imported.error)}, file, {}});
            }
            if (!imported.problems.empty()) {
                const py::object warn = py::module_::import("warnings").attr("warn");
                for (const magic::ImportMessage& problem : imported.problems) {
                    warn(report::ProblemText(file, problem), py::module_::import("builtins").attr("UserWarning"), 2);
                }
            }
            std::vector<Specimen> specimens;
            for (magic::ImportedSpecimen& s : imported.specimens) {
                specimens.push_back(Specimen{std::make_shared<const magic::ImportedSpecimen>(std::move(s)), file});
            }
            return specimens;
        },
        py::arg("path"), py::arg("samples") = py::none(), py::arg("sites") = py::none(),
        "import_magic(path, samples=None, sites=None) -> list[Specimen]\n\n"
        "The specimens with a thermal double-heating experiment of a MagIC measurements\n"
        "table (data model 3 or 2.5, alone or in a contribution), imported in memory as\n"
        "`korvanes import-magic` imports them, orientation from the samples table and\n"
        "bedding from the sites table. Each specimen that cannot be imported gives a\n"
        "UserWarning naming its line. DataFileError when the file cannot be imported.");
}

}  // namespace korvanes::python
