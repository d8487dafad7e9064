#include "DocumentWindowSettings.h"

#include "criteria/ApplicationCriteria.h"

namespace korvanes::gui {
namespace {

struct Key {
    const char* name;
    int DocumentWindowValues::*value;
};

constexpr Key kKeys[] = {
    {"ShowCmd", &DocumentWindowValues::showCmd},
    {"FrameSplit0x", &DocumentWindowValues::frameSplit0x},
    {"FrameSplit0y", &DocumentWindowValues::frameSplit0y},
    {"FrameSplit1x", &DocumentWindowValues::frameSplit1x},
    {"FrameSplit1y", &DocumentWindowValues::frameSplit1y},
};

}  // namespace

void DocumentWindowSettings::Load(const SettingsStore& store)
{
    for (const Key& key : kKeys) {
        current.*key.value = store.ReadInt(kSettingsSection, key.name, current.*key.value);
    }
    m_stored = current;
}

void DocumentWindowSettings::Store(SettingsStore& store)
{
    for (const Key& key : kKeys) {
        if (current.*key.value != m_stored.*key.value) {
            store.WriteInt(kSettingsSection, key.name, current.*key.value);
            m_stored.*key.value = current.*key.value;
        }
    }
}

}  // namespace korvanes::gui
