// korvanes.batch: many specimens analysed on all processors with the GIL
// released, and korvanes.to_dataframe: their results table for pandas.

#include <atomic>
#include <functional>
#include <thread>

#include <pybind11/stl.h>

#include "ModuleTypes.h"
#include "results/Batch.h"
#include "text/TextEncoding.h"

namespace korvanes::python {
namespace {

// A source of a batch: a MagIC measurements path stands for all its
// specimens, as in `korvanes batch`.
std::vector<Source> Expand(std::vector<Source> sources, const report::PreparedAnalysis& prepared,
                           std::vector<Failure>& failures)
{
    std::vector<Source> expanded;
    expanded.reserve(sources.size());
    for (Source& source : sources) {
        const auto* path = std::get_if<std::string>(&source);
        if (path == nullptr || !prepared.request.magic.specimen.empty() || !report::IsMagicFile(*path)) {
            expanded.push_back(std::move(source));
            continue;
        }
        magic::MagicImport imported = report::ImportMagicInput(*path, prepared.request.magic);
        if (!imported.ok()) {
            failures.push_back(Failure{{report::FailureKind::kUnreadable, Printable(imported.error)}, *path, {}});
            continue;
        }
        for (magic::ImportedSpecimen& s : imported.specimens) {
            expanded.push_back(Specimen{std::make_shared<const magic::ImportedSpecimen>(std::move(s)), *path});
        }
    }
    return expanded;
}

// One column of the results table: its name in the results file, its type,
// and its value.
struct Column {
    const char* name;
    char kind;  // 's' text, 'i' whole number, 'f' number
    std::function<py::object(const Result&)> value;
};

const std::vector<Column>& Columns()
{
    const auto number = [](double CSpecimenResult::*field) {
        return [field](const Result& r) -> py::object { return py::float_(r.analysis->doc.m_result.*field); };
    };
    const auto whole = [](int CSpecimenResult::*field) {
        return [field](const Result& r) -> py::object { return py::int_(r.analysis->doc.m_result.*field); };
    };
    static const std::vector<Column> columns{
        {"File", 's', [](const Result& r) -> py::object { return py::str(ToUtf8(r.analysis->file)); }},
        {"Name", 's',
         [](const Result& r) -> py::object { return py::str(ToUtf8(r.analysis->doc.m_header.m_specimenName)); }},
        {"Labfield", 'f',
         [](const Result& r) -> py::object { return py::float_(r.analysis->doc.m_header.m_labField); }},
        {"Paleoint", 'f', number(&CSpecimenResult::paleointensity)},
        {"Stddev", 'f', number(&CSpecimenResult::stdDev)},
        {"Tmin", 'i', whole(&CSpecimenResult::tMin)},
        {"Tmax", 'i', whole(&CSpecimenResult::tMax)},
        {"N", 'i', whole(&CSpecimenResult::n)},
        {"slope", 'f', number(&CSpecimenResult::slope)},
        {"Std/slope", 'f', number(&CSpecimenResult::slopeRelStd)},
        {"f", 'f', number(&CSpecimenResult::f)},
        {"g", 'f', number(&CSpecimenResult::g)},
        {"q", 'f', number(&CSpecimenResult::q)},
        {"w", 'f', number(&CSpecimenResult::w)},
        {"TRM", 'f', number(&CSpecimenResult::trm)},
        {"NRMt", 'f', number(&CSpecimenResult::nrmT)},
        {"Inc anchored", 'f', number(&CSpecimenResult::incAnchored)},
        {"Dec anchored", 'f', number(&CSpecimenResult::decAnchored)},
        {"Mad anchored", 'f', number(&CSpecimenResult::madAnchored)},
        {"Inc free", 'f', number(&CSpecimenResult::incFree)},
        {"Dec free", 'f', number(&CSpecimenResult::decFree)},
        {"Mad free", 'f', number(&CSpecimenResult::madFree)},
        {"Alpha", 'f', number(&CSpecimenResult::alpha)},
        {"Coordinates", 's',
         [](const Result& r) -> py::object {
             return py::str(CoordinateCode(r.analysis->doc.m_options.m_coordinates));
         }},
        {"Type", 's', [](const Result& r) -> py::object { return py::str(ToUtf8(r.analysis->doc.m_result.methodType)); }},
        {"Class", 's',
         [](const Result& r) -> py::object { return py::str(ToUtf8(r.analysis->doc.m_result.resultClass)); }},
        {"CK-error", 'f', number(&CSpecimenResult::ckError)},
        {"CK-diff", 'f', number(&CSpecimenResult::ckDiff)},
        {"Drat", 'f', number(&CSpecimenResult::drat)},
        {"d(t*)", 'f', number(&CSpecimenResult::dTStar)},
        {"d(TR)", 'f', number(&CSpecimenResult::dTR)},
        {"d(AC)", 'f', number(&CSpecimenResult::dAC)},
    };
    return columns;
}

}  // namespace

void DefineBatch(py::module_& m)
{
    m.def(
        "batch",
        [](const py::iterable& items, const py::object& jobs, const std::string& errors, const py::kwargs& options) {
            if (errors != "raise" && errors != "skip") {
                throw py::value_error("errors must be 'raise' or 'skip', not '" + errors + "'");
            }
            unsigned threads = DefaultBatchJobs();
            if (!jobs.is_none()) {
                if (py::isinstance<py::bool_>(jobs) || !py::isinstance<py::int_>(jobs)) {
                    throw py::type_error("jobs must be a whole number or None");
                }
                const long long n = jobs.cast<long long>();
                if (n < 1 || n > 1024) {
                    throw py::value_error("jobs must be 1 to 1024, not " + std::to_string(n));
                }
                threads = static_cast<unsigned>(n);
            }
            std::vector<Source> sources;
            for (const py::handle item : items) {
                sources.push_back(SourceFromPython(item));
            }
            const auto prepared = PrepareFromKeywords(options, false);
            std::vector<Failure> failures;
            std::vector<std::optional<std::variant<Result, Failure>>> outcomes;
            {
                py::gil_scoped_release released;
                sources = Expand(std::move(sources), *prepared, failures);
                outcomes.resize(sources.size());
                std::atomic<std::size_t> next{0};
                const auto work = [&] {
                    for (std::size_t i = next++; i < sources.size(); i = next++) {
                        try {
                            outcomes[i] = AnalyseSource(prepared, sources[i]);
                        } catch (const std::exception& e) {
                            outcomes[i] = Failure{{report::FailureKind::kUnreadable, e.what()}, std::string(), {}};
                        }
                    }
                };
                const std::size_t count = std::min<std::size_t>(threads, sources.size());
                std::vector<std::thread> workers;
                for (std::size_t k = 1; k < count; ++k) {
                    workers.emplace_back(work);
                }
                work();
                for (std::thread& worker : workers) {
                    worker.join();
                }
            }
            std::vector<Result> results;
            results.reserve(outcomes.size());
            for (auto& outcome : outcomes) {
                if (auto* failure = std::get_if<Failure>(&*outcome)) {
                    failures.push_back(std::move(*failure));
                } else {
                    results.push_back(std::get<Result>(std::move(*outcome)));
                }
            }
            if (errors == "raise" && !failures.empty()) {
                RaiseFailure(failures.front());
            }
            return results;
        },
        py::arg("paths_or_specimens"), py::kw_only(), py::arg("jobs") = py::none(), py::arg("errors") = "raise",
        "batch(paths_or_specimens, *, jobs=None, errors=\"raise\", **options) -> list[Result]\n\n"
        "Analyses every path, text or Specimen as analyze does, `jobs` at once (default:\n"
        "the number of processors) with the GIL released; a MagIC measurements path stands\n"
        "for all its specimens, as in `korvanes batch`. The results keep the order given.\n"
        "errors=\"raise\" raises the first failure (DataFileError or ValueError) after the\n"
        "run; errors=\"skip\" leaves the specimens that failed out. Takes analyze's options.");

    m.def(
        "to_dataframe",
        [](const py::iterable& items) {
            py::module_ pandas;
            try {
                pandas = py::module_::import("pandas");
            } catch (py::error_already_set& e) {
                if (!e.matches(PyExc_ImportError)) {
                    throw;
                }
                throw py::import_error("korvanes.to_dataframe needs pandas (Debian: python3-pandas)");
            }
            std::vector<Result> results;
            for (const py::handle item : items) {
                if (!py::isinstance<Result>(item)) {
                    throw py::type_error("to_dataframe takes korvanes.Result objects");
                }
                results.push_back(item.cast<Result>());
            }
            py::dict data;
            py::dict dtypes;
            for (const Column& column : Columns()) {
                py::list values(results.size());
                for (std::size_t i = 0; i < results.size(); ++i) {
                    values[i] = column.value(results[i]);
                }
                data[column.name] = values;
                dtypes[column.name] = column.kind == 's' ? "object" : column.kind == 'i' ? "int64" : "float64";
            }
            return pandas.attr("DataFrame")(data).attr("astype")(dtypes);
        },
        py::arg("results"),
        "to_dataframe(results) -> pandas.DataFrame\n\n"
        "The results as the results file's table (the column names of its header, first\n"
        "the file analysed): texts, whole numbers (int64) and full-precision numbers\n"
        "(float64; q and w without scatter are inf). Needs pandas, which korvanes itself\n"
        "does not.");
}

}  // namespace korvanes::python
