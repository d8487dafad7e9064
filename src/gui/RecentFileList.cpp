#include "RecentFileList.h"

#include <algorithm>

#include "text/TextEncoding.h"

namespace korvanes::gui {
namespace {

constexpr const char* kSection = "Recent File List";

std::string KeyOf(int index) { return StringPrintf("File%d", index + 1); }

}  // namespace

void RecentFileList::Load(const SettingsStore& store)
{
    m_entries.clear();
    for (int i = 0; i < kSize; ++i) {
        std::string path = store.ReadText(kSection, KeyOf(i), "");
        if (!path.empty() && std::find(m_entries.begin(), m_entries.end(), path) == m_entries.end()) {
            m_entries.push_back(std::move(path));
        }
    }
}

void RecentFileList::Store(SettingsStore& store) const
{
    for (int i = 0; i < kSize; ++i) {
        const std::size_t index = static_cast<std::size_t>(i);
        store.WriteText(kSection, KeyOf(i), index < m_entries.size() ? m_entries[index] : std::string());
    }
}

void RecentFileList::Add(const std::string& path)
{
    Remove(path);
    m_entries.insert(m_entries.begin(), path);
    if (m_entries.size() > static_cast<std::size_t>(kSize)) {
        m_entries.resize(kSize);
    }
}

void RecentFileList::Remove(const std::string& path)
{
    m_entries.erase(std::remove(m_entries.begin(), m_entries.end(), path), m_entries.end());
}

}  // namespace korvanes::gui
