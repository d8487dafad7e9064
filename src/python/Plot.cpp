// korvanes.plot and Result._repr_svg_: the diagrams as `korvanes plot`
// draws them (the same paint into the same picture formats), as bytes or
// into a file.

#include <array>
#include <optional>

#include "ModuleTypes.h"
#include "plots/PaintSequence.h"
#include "plots/PlotTypeNames.h"
#include "text/TextEncoding.h"

#ifdef KORVANES_WITH_QT
#include <QGuiApplication>

#include "PictureExport.h"
#endif

namespace korvanes::python {
namespace {

PlotType PlotTypeOf(const std::string& kind)
{
    if (const std::optional<PlotType> type = PlotTypeNamed(kind)) {
        return *type;
    }
    throw py::value_error("unknown plot type '" + Printable(kind) +
                          "' (use arai, zijderveld, decay, additional, all or rangemap)");
}

#ifdef KORVANES_WITH_QT
// The fonts need a QGuiApplication. The module makes one at the first
// picture (none when the process has one already, as a Qt program
// embedding Python does) and keeps it to the end of the process. Without a
// display the offscreen platform serves, unless the caller chose one.
void EnsureGuiApplication()
{
    if (QGuiApplication::instance() != nullptr) {
        return;
    }
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    static int argc = 1;
    static char name[] = "korvanes";
    static char* argv[] = {name, nullptr};
    new QGuiApplication(argc, argv);  // lives as long as the process
}

PictureFormat FormatOf(const py::object& format, const std::optional<std::string>& path)
{
    if (format.is_none()) {
        if (path) {
            if (const std::optional<PictureFormat> fromPath = PictureFormatFromPath(*path)) {
                return *fromPath;
            }
            throw py::value_error("unknown picture type of '" + Printable(*path) +
                                  "' (use the extension .emf, .svg, .png or .pdf, or format=)");
        }
        return PictureFormat::kSvg;
    }
    if (!py::isinstance<py::str>(format)) {
        throw py::type_error("format must be a str: 'svg', 'png', 'pdf' or 'emf'");
    }
    const std::string name = format.cast<std::string>();
    if (const std::optional<PictureFormat> named = PictureFormatFromPath("." + name)) {
        return *named;
    }
    throw py::value_error("unknown picture format '" + Printable(name) + "' (use 'svg', 'png', 'pdf' or 'emf')");
}

PictureSize SizeOf(const py::object& size, PlotType type)
{
    if (size.is_none()) {
        const ClientSize standard = DefaultPictureSize(type);
        return PictureSize{standard.width, standard.height};
    }
    if (!py::isinstance<py::sequence>(size) || py::isinstance<py::str>(size) || py::len(size) != 2) {
        throw py::type_error("size must be a pair (width, height) in pixels");
    }
    const py::sequence pair = py::reinterpret_borrow<py::sequence>(size);
    std::array<long long, 2> sides{};
    for (std::size_t i = 0; i < 2; ++i) {
        const py::object side = pair[i];
        if (py::isinstance<py::bool_>(side) || !py::hasattr(side, "__index__")) {
            throw py::type_error("size must be a pair (width, height) of whole pixels");
        }
        sides[i] = py::int_(side).cast<long long>();
        if (sides[i] < 1 || sides[i] > kMaxPictureSide) {
            throw py::value_error("size: " + std::to_string(sides[i]) + " pixels (use 1 to " +
                                  std::to_string(kMaxPictureSide) + " pixels each, for example (800, 600))");
        }
    }
    return PictureSize{static_cast<int>(sides[0]), static_cast<int>(sides[1])};
}
#endif

py::object Plot(const py::object& source, const std::string& kind, const py::object& path, const py::object& format,
                const py::object& size, const py::kwargs& options)
{
    const PlotType type = PlotTypeOf(kind);
#ifdef KORVANES_WITH_QT
    std::optional<std::string> file;
    if (!path.is_none()) {
        if (!py::isinstance<py::str>(path) && !py::hasattr(path, "__fspath__")) {
            throw py::type_error("path must be a str or os.PathLike");
        }
        file = py::str(py::module_::import("os").attr("fspath")(path)).cast<std::string>();
    }
    const PictureFormat pictureFormat = FormatOf(format, file);
    const PictureSize pictureSize = SizeOf(size, type);
    Result result;
    if (py::isinstance<Result>(source)) {
        if (!options.empty()) {
            throw py::type_error("the options belong to the analysis: give them to analyze, or plot a path");
        }
        result = source.cast<Result>();
    } else {
        const Source input = SourceFromPython(source);
        std::variant<Result, Failure> outcome = AnalyseSource(PrepareFromKeywords(options, false), input);
        if (auto* failure = std::get_if<Failure>(&outcome)) {
            RaiseFailure(*failure);
        }
        result = std::get<Result>(std::move(outcome));
    }
    // The paint runs the analysis again on its own copy, as the command
    // line's plot does on the document it opened.
    CKorvanesToolDoc doc = result.analysis->doc;
    doc.m_options.m_plotType = type;
    EnsureGuiApplication();
    std::string error;
    if (file) {
        if (!ExportPicture(doc, pictureFormat, *file, pictureSize, error)) {
            PyErr_SetString(PyExc_OSError, Printable(error).c_str());
            throw py::error_already_set();
        }
        return py::none();
    }
    const QByteArray bytes = RenderPictureBytes(doc, pictureFormat, pictureSize, error);
    if (bytes.isEmpty()) {
        PyErr_SetString(PyExc_OSError, Printable(error).c_str());
        throw py::error_already_set();
    }
    return py::bytes(bytes.constData(), static_cast<std::size_t>(bytes.size()));
#else
    (void)type, (void)source, (void)path, (void)format, (void)size, (void)options;
    throw std::runtime_error("this build has no picture export (built without Qt)");
#endif
}

}  // namespace

void DefinePlot(py::module_& m)
{
    m.def("plot", &Plot, py::arg("result_or_path"), py::arg("kind") = "arai", py::kw_only(),
          py::arg("path") = py::none(), py::arg("format") = py::none(), py::arg("size") = py::none(),
          "plot(result_or_path, kind=\"arai\", *, path=None, format=None, size=None, **options)\n"
          "    -> bytes | None\n\n"
          "Draws a diagram as `korvanes plot` does: kind is \"arai\", \"zijderveld\", \"decay\",\n"
          "\"additional\", \"all\" or \"rangemap\"; format \"svg\" (the default), \"png\", \"pdf\"\n"
          "or \"emf\" (without format, a path's extension chooses); size (width, height) in\n"
          "pixels (default: the command line's for the kind). Returns the picture's bytes,\n"
          "or writes it to path (replacing a file only with a complete picture) and returns\n"
          "None. A path, text or Specimen is analysed first with analyze's options.\n"
          "OSError when the picture cannot be made or written.");
    py::type result = py::type::of<Result>();
    result.attr("_repr_svg_") = py::cpp_function(
        [](const py::object& self) {
            const py::bytes svg = Plot(self, "arai", py::none(), py::str("svg"), py::none(), py::kwargs());
            return py::str(svg.attr("decode")("utf-8"));
        },
        py::is_method(result), "The Arai diagram as SVG: what a notebook shows for a result.");
}

}  // namespace korvanes::python
