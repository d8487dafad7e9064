#include "io/FileReplace.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>

#include <unistd.h>

#include "text/TextEncoding.h"

namespace korvanes {
namespace {

std::string Reason(const char* what, int error)
{
    return std::string(what) + ": " + (error != 0 ? std::strerror(error) : "incomplete write");
}

}  // namespace

std::optional<std::string> ReplaceFileContents(const std::string& path, std::string_view bytes)
{
    namespace fs = std::filesystem;
    // A name of our own beside the target, so the rename stays on one file
    // system; "x" refuses to open a file that already exists.
    std::random_device random;
    std::string temporary;
    std::FILE* file = nullptr;
    int openError = 0;
    for (int attempt = 0; attempt < 16 && file == nullptr; ++attempt) {
        temporary = path + StringPrintf(".%08x.tmp", static_cast<unsigned>(random()));
        errno = 0;
        file = std::fopen(temporary.c_str(), "wbx");
        openError = errno;
        if (file == nullptr && openError != EEXIST) {
            break;
        }
    }
    if (file == nullptr) {
        return Reason("cannot create a file in its folder", openError);
    }

    errno = 0;
    bool written = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    int error = errno;
    if (written && std::fflush(file) != 0) {
        written = false;
        error = errno;
    }
    if (written && ::fsync(fileno(file)) != 0) {
        written = false;
        error = errno;
    }
    if (std::fclose(file) != 0 && written) {
        written = false;
        error = errno;
    }
    if (!written) {
        std::error_code ignored;
        fs::remove(temporary, ignored);
        return Reason("writing failed", error);
    }

    std::error_code renameError;
    fs::rename(temporary, path, renameError);
    if (renameError) {
        std::error_code ignored;
        fs::remove(temporary, ignored);
        return renameError.message();
    }
    return std::nullopt;
}

}  // namespace korvanes
