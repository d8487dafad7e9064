#pragma once
// The settings of document windows that survive a restart: the show state
// of new document windows and the initial pane sizes of their splitter.
// Read once at start-up, written at exit, and then only the values that
// changed since they were last read or written.

#include "criteria/SettingsStore.h"

namespace korvanes::gui {

struct DocumentWindowValues {
    int showCmd = 3;         // 1 normal, 3 maximised
    int frameSplit0x = 570;  // width of the plot pane
    int frameSplit0y = 50;
    int frameSplit1x = 300;  // width of the result form pane
    int frameSplit1y = 355;

    bool operator==(const DocumentWindowValues&) const = default;
};

class DocumentWindowSettings {
public:
    // Reads "ShowCmd" and the four "FrameSplit" keys of section "Settings",
    // each with its current value as default.
    void Load(const SettingsStore& store);

    // Writes each value that differs from its last stored copy.
    void Store(SettingsStore& store);

    DocumentWindowValues current;

private:
    DocumentWindowValues m_stored;
};

}  // namespace korvanes::gui
