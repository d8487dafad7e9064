#pragma once
// The objects of the Python module korvanes: an analysed specimen (Result),
// a specimen imported from MagIC in memory (Specimen), and what an analysis
// is asked for (a source and the options as the core takes them).

#include <pybind11/pybind11.h>

#include <memory>
#include <string>
#include <variant>
#include <vector>

#include "SpecimenAnalysis.h"
#include "magic/MagicImport.h"

namespace korvanes::python {

namespace py = pybind11;

// A specimen of a MagIC measurements table, imported in memory: analysed as
// `korvanes analyze TABLE --specimen NAME` analyses it.
struct Specimen {
    std::shared_ptr<const magic::ImportedSpecimen> imported;
    std::string source;  // the measurements file's path
};

// The data file's text itself (a Python str with a line end, or bytes).
struct DataText {
    std::string bytes;
};

// What one analysis reads: a path, a data file's text or an imported specimen.
using Source = std::variant<std::string, DataText, Specimen>;

// One analysed specimen, shared with the request it was made under. Its
// standard statistics may still be missing: Complete makes them.
struct Result {
    std::shared_ptr<const report::PreparedAnalysis> prepared;
    std::shared_ptr<report::SpecimenAnalysis> analysis;
};

// The analysis with its standard statistics made (with the GIL held, which
// keeps two threads from making them at once).
const report::SpecimenAnalysis& Complete(const Result& result);

// An analysis that could not be made, with the warnings of the reader.
struct Failure {
    report::AnalysisFailure failure;
    std::string file;
    std::vector<ReadWarning> warnings;
};

// Opens and analyses one source (no Python object touched: safe without the
// GIL). The standard statistics wait for Complete when `standardLater`.
std::variant<Result, Failure> AnalyseSource(const std::shared_ptr<const report::PreparedAnalysis>& prepared,
                                            const Source& source, bool standardLater = false);

// Raises the failure as Python exception: ValueError for a request that is
// wrong, korvanes.DataFileError for what cannot be read.
[[noreturn]] void RaiseFailure(const Failure& failure);

// The source a Python argument names: str or os.PathLike (a path; a str
// holding a line end is a data file's text), bytes (a data file's text) or
// a Specimen. TypeError for anything else.
Source SourceFromPython(const py::handle& object);

// The request from the keyword arguments of analyze, range_map and batch;
// ValueError or TypeError for bad ones, DataFileError for criteria that
// cannot be read.
std::shared_ptr<const report::PreparedAnalysis> PrepareFromKeywords(const py::kwargs& options, bool forceRangeMap);

// A JSON value as Python objects (dict, list, str, int, float, bool, None).
py::object JsonToPython(const report::Json& json);

// The Python types and functions, in the order the module defines them.
void DefineCriteria(py::module_& module);
void DefineResults(py::module_& module);
void DefineBatch(py::module_& module);
void DefinePlot(py::module_& module);

}  // namespace korvanes::python
