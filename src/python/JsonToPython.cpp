#include "ModuleTypes.h"

namespace korvanes::python {

py::object JsonToPython(const report::Json& json)
{
    using Type = report::Json::value_t;
    switch (json.type()) {
    case Type::object: {
        py::dict dict;
        for (const auto& [key, value] : json.items()) {
            dict[py::str(key)] = JsonToPython(value);
        }
        return dict;
    }
    case Type::array: {
        py::list list(json.size());
        std::size_t i = 0;
        for (const auto& value : json) {
            list[i++] = JsonToPython(value);
        }
        return list;
    }
    case Type::string: {
        // The texts are UTF-8 already; a stray byte would become U+FFFD, as
        // the command line's output writes it.
        const std::string& text = json.get_ref<const std::string&>();
        PyObject* decoded = PyUnicode_DecodeUTF8(text.data(), static_cast<Py_ssize_t>(text.size()), "replace");
        if (decoded == nullptr) {
            throw py::error_already_set();
        }
        return py::reinterpret_steal<py::object>(decoded);
    }
    case Type::boolean:
        return py::bool_(json.get<bool>());
    case Type::number_integer:
        return py::int_(json.get<std::int64_t>());
    case Type::number_unsigned:
        return py::int_(json.get<std::uint64_t>());
    case Type::number_float:
        return py::float_(json.get<double>());
    case Type::null:
    case Type::binary:
    case Type::discarded:
        break;
    }
    return py::none();
}

}  // namespace korvanes::python
