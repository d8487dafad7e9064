#pragma once
// The four most recently opened data files, newest first, kept in the
// settings section "Recent File List" as "File1" to "File4".

#include <string>
#include <vector>

#include "criteria/SettingsStore.h"

namespace korvanes::gui {

class RecentFileList {
public:
    static constexpr int kSize = 4;

    // Reads the entries; empty keys are skipped.
    void Load(const SettingsStore& store);
    // Writes the entries (removed ones as empty texts).
    void Store(SettingsStore& store) const;

    // Puts `path` first, dropping an older entry of the same path and the
    // oldest entry beyond four.
    void Add(const std::string& path);
    // Drops `path` (a file that could not be opened any more).
    void Remove(const std::string& path);

    const std::vector<std::string>& Entries() const { return m_entries; }

private:
    std::vector<std::string> m_entries;
};

}  // namespace korvanes::gui
