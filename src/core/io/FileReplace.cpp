#include "io/FileReplace.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "io/FileCreate.h"

namespace korvanes {
namespace {

std::string Reason(const char* what, int error)
{
    return std::string(what) + ": " + (error != 0 ? std::strerror(error) : "incomplete write");
}

}  // namespace

std::optional<std::string> ReplaceFileContents(const std::string& path, std::string_view bytes)
{
    NewFile file(path);
    if (file.Fd() < 0) {
        return Reason("cannot create a file in its folder", file.OpenError());
    }
    int error = file.Write(bytes);
    if (error == 0 && ::fsync(file.Fd()) != 0) {
        error = errno;
    }
    if (error != 0) {
        return Reason("writing failed", error);
    }
    if (const int renameError = file.RenameOver(path)) {
        return std::string(std::strerror(renameError));
    }
    return std::nullopt;
}

}  // namespace korvanes
