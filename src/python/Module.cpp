// The Python module korvanes: the analysis of double-heating paleointensity
// experiments from Python, through the same core and the same JSON as the
// command line.

#include "ModuleTypes.h"
#include "ProgramVersion.h"

namespace korvanes::python {
void SetDataFileError(py::handle type);
}  // namespace korvanes::python

PYBIND11_MODULE(korvanes, m)
{
    using namespace korvanes::python;
    m.doc() =
        "KorvanesTool for Python: analyse double-heating paleointensity experiments.\n\n"
        "    import korvanes\n"
        "    r = korvanes.analyze(\"examples/basalt-mt1.kvd\")\n"
        "    r.paleointensity, r.result_class, r.to_dict()\n\n"
        "analyze, range_map, batch, import_magic, read_criteria, Criteria, to_dataframe, plot.\n"
        "Errors: korvanes.DataFileError (a file that cannot be read), ValueError and\n"
        "TypeError (bad arguments).";
    m.attr("__version__") = korvanes::kVersion;

    // Python owns the exception types for the module's lifetime.
    PyObject* base = PyErr_NewExceptionWithDoc("korvanes.Error", "The base of the module's own exceptions.",
                                               nullptr, nullptr);
    PyObject* dataFileError = PyErr_NewExceptionWithDoc(
        "korvanes.DataFileError",
        "A file that cannot be read or analysed (data file, MagIC table, criteria file),\n"
        "with the message the command line prints. Attributes: file (the path or None),\n"
        "warnings (the reader's (line, text) pairs) and lines (their line numbers).",
        base, nullptr);
    if (base == nullptr || dataFileError == nullptr) {
        throw py::error_already_set();
    }
    m.attr("Error") = py::reinterpret_steal<py::object>(base);
    m.attr("DataFileError") = py::reinterpret_steal<py::object>(dataFileError);
    SetDataFileError(m.attr("DataFileError"));

    DefineCriteria(m);
    DefineResults(m);
    DefineBatch(m);
    DefinePlot(m);
}
