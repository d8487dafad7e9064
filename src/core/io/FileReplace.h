#pragma once
// Writing a file so that an existing one is only ever replaced by complete
// new content: the bytes go to a new file beside the target, which is
// flushed, synced and then renamed over it.

#include <optional>
#include <string>
#include <string_view>

namespace korvanes {

// Replaces (or creates) the file at `path` with `bytes`. Returns nothing on
// success, otherwise why it failed (for example "cannot create a file in its
// folder: Permission denied"); the old file and its folder are then as before.
std::optional<std::string> ReplaceFileContents(const std::string& path, std::string_view bytes);

}  // namespace korvanes
