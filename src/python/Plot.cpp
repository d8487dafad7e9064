#include "ModuleTypes.h"

namespace korvanes::python {

void DefinePlot(py::module_&) {}

}  // namespace korvanes::python
