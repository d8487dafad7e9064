#pragma once
// The main window's placement as the settings keep it ("WindowPos"): ten
// comma-separated numbers, flags, show command, minimised position,
// maximised position and the normal rectangle (left, top, right, bottom in
// screen coordinates, right and bottom exclusive).

#include <optional>
#include <string>

namespace korvanes::gui {

// Show commands as the settings store them.
inline constexpr unsigned kShowNormal = 1;
inline constexpr unsigned kShowMinimized = 2;
inline constexpr unsigned kShowMaximized = 3;
// Flags value of a window that was maximised when it closed.
inline constexpr unsigned kRestoreToMaximized = 2;

struct WindowPlacement {
    unsigned flags = 0;
    unsigned showCmd = kShowNormal;
    int minX = -1;
    int minY = -1;
    int maxX = -1;
    int maxY = -1;
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    bool operator==(const WindowPlacement&) const = default;
};

// The placement in the stored form "%u,%u,%d,%d,%d,%d,%d,%d,%d,%d".
std::string FormatWindowPlacement(const WindowPlacement& placement);

// The placement held by `text`, or nothing unless it is exactly ten whole
// numbers separated by commas (blanks around a number are allowed), the
// first two not negative, and a normal rectangle that is not empty.
std::optional<WindowPlacement> ParseWindowPlacement(const std::string& text);

}  // namespace korvanes::gui
