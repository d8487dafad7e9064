#pragma once
// q and w as texts. A range whose Arai points lie exactly on a line has no
// scatter (sigma_b = 0): its q and w are infinite, held by the stand-in
// kQualityWithoutScatter so that the search can rank them. Every text shows
// such a value as "inf", never as the stand-in's 309 digits.

#include <string>
#include <string_view>

namespace korvanes {

// What a text shows for q or w without scatter ("-inf" for a negative one).
inline constexpr std::string_view kInfiniteQualityText = "inf";

// Why q or w has no finite value, for people (JSON writes null with it).
inline constexpr std::string_view kInfiniteQualityReason =
    "infinite: the Arai points of the range lie exactly on a line (no scatter, sigma_b = 0)";

// Whether q or w is the stand-in for an infinite value (either sign). The
// analysis never leaves a true infinity; texts write one as 0, as any
// number that is not finite.
bool IsInfiniteQuality(double value);

// q or w as text: "inf" or "-inf" when IsInfiniteQuality, otherwise the
// value through the printf `format` (one double conversion such as "%.1f"
// or "%.6g"); a value that is not finite is written as 0.
std::string FormatQuality(double value, const char* format);

}  // namespace korvanes
