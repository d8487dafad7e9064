#include "magic/MagicNames.h"

#include <algorithm>
#include <array>
#include <set>

#include "text/TextEncoding.h"

namespace korvanes::magic {
namespace {

bool IsControl(char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; }

bool IsStemCharacter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '_' ||
           c == '+' || c == '.';
}

std::string Lowered(std::string_view text)
{
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; });
    return lower;
}

bool IsReservedDeviceName(std::string_view stem)
{
    static const std::array<std::string_view, 4> kPlain = {"con", "prn", "aux", "nul"};
    const std::string lower = Lowered(stem.substr(0, stem.find('.')));
    if (std::find(kPlain.begin(), kPlain.end(), lower) != kPlain.end()) {
        return true;
    }
    return lower.size() == 4 && (lower.compare(0, 3, "com") == 0 || lower.compare(0, 3, "lpt") == 0) &&
           lower[3] >= '1' && lower[3] <= '9';
}

// `text` cut to at most `bytes` bytes, not inside a UTF-8 sequence.
std::string CutAt(std::string_view text, std::size_t bytes)
{
    if (text.size() <= bytes) {
        return std::string(text);
    }
    std::size_t end = bytes;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) {
        --end;
    }
    return std::string(text.substr(0, end));
}

std::string FittedDataFileName(std::string_view name)
{
    std::string fitted(name);
    std::replace_if(fitted.begin(), fitted.end(), IsControl, '_');
    fitted = CutAt(fitted, kMaxKvdNameBytes);
    return fitted.empty() ? std::string("_") : fitted;
}

std::string SafeStem(std::string_view name)
{
    std::string stem(name);
    std::replace_if(
        stem.begin(), stem.end(), [](char c) { return !IsStemCharacter(c); }, '_');
    stem = stem.substr(0, kMaxFileStemBytes);
    if (stem.empty()) {
        return "_";
    }
    if (stem.front() == '.' || IsReservedDeviceName(stem)) {
        stem = "_" + stem.substr(stem.front() == '.' ? 1 : 0);
    }
    return stem;
}

// `base`, or `base` cut to make room for "~N" with the smallest N >= 2 whose
// result `taken` does not hold (compared through `key`).
template <class Key>
std::string Unique(const std::string& base, std::size_t maxBytes, const std::set<std::string>& taken, Key key)
{
    if (taken.count(key(base)) == 0) {
        return base;
    }
    for (int n = 2;; ++n) {
        const std::string suffix = StringPrintf("~%d", n);
        const std::string candidate = CutAt(base, maxBytes - suffix.size()) + suffix;
        if (taken.count(key(candidate)) == 0) {
            return candidate;
        }
    }
}

}  // namespace

bool FitsDataFile(std::string_view name)
{
    return !name.empty() && name.size() <= kMaxKvdNameBytes && std::none_of(name.begin(), name.end(), IsControl);
}

bool IsSafeFileStem(std::string_view name)
{
    return !name.empty() && name.size() <= kMaxFileStemBytes && name.front() != '.' &&
           std::all_of(name.begin(), name.end(), IsStemCharacter) && !IsReservedDeviceName(name);
}

std::vector<SpecimenNames> AssignSpecimenNames(const std::vector<std::string>& magicNames)
{
    std::vector<SpecimenNames> names(magicNames.size());
    const auto same = [](const std::string& s) { return s; };
    std::set<std::string> dataNames;
    std::set<std::string> stems;  // lower case
    // Names that can stay first, so that no changed name takes their place.
    for (std::size_t i = 0; i < magicNames.size(); ++i) {
        if (FitsDataFile(magicNames[i])) {
            names[i].dataFileName = magicNames[i];
            dataNames.insert(magicNames[i]);
        }
        if (IsSafeFileStem(magicNames[i]) && stems.insert(Lowered(magicNames[i])).second) {
            names[i].fileName = magicNames[i] + ".kvd";
        }
    }
    for (std::size_t i = 0; i < magicNames.size(); ++i) {
        if (names[i].dataFileName.empty()) {
            names[i].dataFileName = Unique(FittedDataFileName(magicNames[i]), kMaxKvdNameBytes, dataNames, same);
            dataNames.insert(names[i].dataFileName);
        }
        if (names[i].fileName.empty()) {
            const std::string stem = Unique(SafeStem(magicNames[i]), kMaxFileStemBytes, stems, Lowered);
            stems.insert(Lowered(stem));
            names[i].fileName = stem + ".kvd";
        }
    }
    return names;
}

}  // namespace korvanes::magic
