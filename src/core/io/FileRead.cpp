#include "io/FileRead.h"

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace korvanes {

FileBytes ReadFileBytes(const std::string& path, std::size_t maxBytes)
{
    FileBytes file;
    auto fail = [&file, &path](const char* verb, const std::string& reason) {
        file.bytes.clear();
        file.error = std::string("cannot ") + verb + " '" + path + "': " + reason;
        return file;
    };
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) {
        return fail("read", std::make_error_code(std::errc::is_a_directory).message());
    }
    errno = 0;
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        const int err = errno;
        return fail("open", err != 0 ? std::generic_category().message(err) : std::string("cannot be opened"));
    }
    char buffer[1 << 16];
    while (file.bytes.size() <= maxBytes && (in.read(buffer, sizeof buffer) || in.gcount() > 0)) {
        file.bytes.append(buffer, static_cast<std::size_t>(in.gcount()));
    }
    if (in.bad()) {
        const int err = errno;
        return fail("read", err != 0 ? std::generic_category().message(err) : std::string("read error"));
    }
    if (file.bytes.size() > maxBytes) {
        file.tooLarge = true;
        return fail("read", "the file is larger than " + std::to_string(maxBytes) + " bytes");
    }
    return file;
}

}  // namespace korvanes
