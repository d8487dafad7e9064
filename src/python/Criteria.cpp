// korvanes.Criteria and korvanes.read_criteria: the class A and class B
// thresholds and the search options of a criteria file (.cri).

#include <pybind11/operators.h>

#include "ModuleTypes.h"
#include "criteria/CriteriaFile.h"
#include "text/TextEncoding.h"

namespace korvanes::python {
namespace {

std::string PathOf(const py::handle& path)
{
    if (!py::isinstance<py::str>(path) && !py::hasattr(path, "__fspath__")) {
        throw py::type_error("path must be a str or os.PathLike");
    }
    return py::str(py::module_::import("os").attr("fspath")(path)).cast<std::string>();
}

// A flag of the file (0 or 1) as True or False.
template <std::int32_t CCriteriaSet::*Field>
void Flag(py::class_<CCriteriaSet>& c, const char* name, const char* doc)
{
    c.def_property(
        name, [](const CCriteriaSet& s) { return s.*Field != 0; },
        [](CCriteriaSet& s, bool value) { s.*Field = value ? 1 : 0; }, doc);
}

}  // namespace

void DefineCriteria(py::module_& m)
{
    py::class_<ClassThresholds> thresholds(
        m, "Thresholds", "The thresholds of one class (A or B), named as in the criteria file's blocks.");
    thresholds.def_readwrite("min_n", &ClassThresholds::minN, "Number of points (N) >=")
        .def_readwrite("max_slope_rel_std", &ClassThresholds::maxSlopeRelStd, "Standard deviation (Std) >=")
        .def_readwrite("min_f", &ClassThresholds::minF, "Fraction of NRM (f) >=")
        .def_readwrite("min_q", &ClassThresholds::minQ, "Quality factor (q) >=")
        .def_readwrite("max_mad", &ClassThresholds::maxMad, "MAD (anchored) <=")
        .def_readwrite("max_mad_free", &ClassThresholds::maxMadFree, "MAD' (not-anchored) <=")
        .def_readwrite("max_alpha", &ClassThresholds::maxAlpha, "Alpha <=")
        .def_readwrite("max_ck_error", &ClassThresholds::maxCkError, "Relative check error: d(CK) <=")
        .def_readwrite("max_ck_diff", &ClassThresholds::maxCkDiff, "Cumulative check diff: d(pal) <=")
        .def_readwrite("max_drat", &ClassThresholds::maxDrat, "Difference ratio (Drat) <=")
        .def_readwrite("max_tail_star", &ClassThresholds::maxTailStar, "Normalized tail of pTRM: d(t*) <=")
        .def_readwrite("max_intensity_diff", &ClassThresholds::maxIntensityDiff, "Relative intensity diff <=")
        .def_readwrite("max_ac", &ClassThresholds::maxAc, "Relative AC error: d(AC) <=")
        .def(py::self == py::self)
        .def("__repr__", [](const ClassThresholds& t) {
            return StringPrintf("Thresholds(min_n=%d, max_slope_rel_std=%g, min_f=%g, min_q=%d, max_mad=%d, "
                                "max_mad_free=%d, max_alpha=%d, max_ck_error=%d, max_ck_diff=%d, max_drat=%d, "
                                "max_tail_star=%d, max_intensity_diff=%d, max_ac=%d)",
                                t.minN, t.maxSlopeRelStd, t.minF, t.minQ, t.maxMad, t.maxMadFree, t.maxAlpha,
                                t.maxCkError, t.maxCkDiff, t.maxDrat, t.maxTailStar, t.maxIntensityDiff, t.maxAc);
        });

    py::class_<CCriteriaSet> criteria(
        m, "Criteria",
        "Acceptance criteria of class A and class B and the options of the automatic search,\n"
        "as a criteria file (.cri) holds them. Criteria() are the start-up values,\n"
        "Criteria.defaults() those of the criteria dialog's Default button.");
    criteria.def(py::init([] { return StartupCriteria(); }))
        .def_static("defaults", [] { return DefaultCriteria(); }, "The values of the Default button.")
        .def_readwrite("class_a", &CCriteriaSet::classA, "The class A thresholds.")
        .def_readwrite("class_b", &CCriteriaSet::classB, "The class B thresholds.");
    Flag<&CCriteriaSet::maximizeQ>(criteria, "maximize_q", "The automatic search maximises q instead of w.");
    Flag<&CCriteriaSet::allowMt4CheckCorrection>(criteria, "allow_mt4_check_correction",
                                                 "The MT4 check correction is offered to the automatic search.");
    Flag<&CCriteriaSet::equalAraiScales>(criteria, "equal_arai_scales", "One scale for both Arai axes.");
    criteria.def(py::self == py::self)
        .def(
            "write",
            [](const CCriteriaSet& c, const py::handle& path) {
                const std::string file = PathOf(path);
                const CriteriaWriteStatus written = WriteCriteria(file, c);
                if (!written.ok) {
                    PyErr_SetString(PyExc_OSError, Printable(written.message).c_str());
                    throw py::error_already_set();
                }
            },
            py::arg("path"),
            "Writes the criteria file (.cri); an existing file is replaced only by a complete one.\n"
            "OSError when it cannot be written.")
        .def("copy", [](const CCriteriaSet& c) { return c; })
        .def("__repr__", [](const CCriteriaSet& c) {
            return StringPrintf("<korvanes.Criteria A: N>=%d f>=%g q>=%d; B: N>=%d f>=%g q>=%d; maximize_q=%s>",
                                c.classA.minN, c.classA.minF, c.classA.minQ, c.classB.minN, c.classB.minF,
                                c.classB.minQ, c.maximizeQ != 0 ? "True" : "False");
        });

    m.def(
        "read_criteria",
        [](const py::handle& path) {
            const std::string file = PathOf(path);
            const CriteriaFileResult read = ReadCriteria(file, TagCheck::kCheck);
            if (!read.ok()) {
                // As `korvanes criteria show` prints it: only "No Criteria File!" lacks the path.
                const std::string message =
                    (read.status == CriteriaFileStatus::kWrongTag ? Printable(file) + ": " : std::string()) +
                    Printable(read.message);
                RaiseFailure(Failure{{report::FailureKind::kUnreadable, message}, file, {}});
            }
            return read.criteria;
        },
        py::arg("path"),
        "read_criteria(path) -> Criteria\n\n"
        "Reads a criteria file (.cri). DataFileError when it cannot be read, is damaged\n"
        "or is no criteria file.");
}

}  // namespace korvanes::python
