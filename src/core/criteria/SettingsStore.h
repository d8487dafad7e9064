#pragma once
// The per-user settings store: integers and texts by section and key. The
// desktop program backs it with its platform settings; tests and the command
// line use MemorySettingsStore.

#include <map>
#include <string>
#include <utility>

namespace korvanes {

class SettingsStore {
public:
    virtual ~SettingsStore() = default;

    // The stored value, or `defaultValue` when the key is absent or holds
    // something else.
    virtual int ReadInt(const std::string& section, const std::string& key, int defaultValue) const = 0;
    virtual std::string ReadText(const std::string& section, const std::string& key,
                                 const std::string& defaultValue) const = 0;

    virtual void WriteInt(const std::string& section, const std::string& key, int value) = 0;
    virtual void WriteText(const std::string& section, const std::string& key, const std::string& value) = 0;
};

// Settings kept in memory for one program run. Counts the writes so that a
// caller can see whether anything was written at all.
class MemorySettingsStore : public SettingsStore {
public:
    int ReadInt(const std::string& section, const std::string& key, int defaultValue) const override
    {
        const auto it = m_ints.find({section, key});
        return it == m_ints.end() ? defaultValue : it->second;
    }

    std::string ReadText(const std::string& section, const std::string& key,
                         const std::string& defaultValue) const override
    {
        const auto it = m_texts.find({section, key});
        return it == m_texts.end() ? defaultValue : it->second;
    }

    void WriteInt(const std::string& section, const std::string& key, int value) override
    {
        m_texts.erase({section, key});
        m_ints[{section, key}] = value;
        ++m_writeCount;
    }

    void WriteText(const std::string& section, const std::string& key, const std::string& value) override
    {
        m_ints.erase({section, key});
        m_texts[{section, key}] = value;
        ++m_writeCount;
    }

    // Number of WriteInt and WriteText calls so far.
    int WriteCount() const { return m_writeCount; }

private:
    using Key = std::pair<std::string, std::string>;
    std::map<Key, int> m_ints;
    std::map<Key, std::string> m_texts;
    int m_writeCount = 0;
};

}  // namespace korvanes
