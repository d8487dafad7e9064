#include "magic/MagicNames.h"

#include <algorithm>
#include <array>
#include <map>
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

// Names already given, compared through a key (the name, or its lower case).
template <class Key>
class TakenNames {
public:
    explicit TakenNames(Key key) : m_key(key) {}

    // Takes `name` when it is free; false when it was taken already.
    bool TakeIfFree(const std::string& name) { return m_taken.insert(m_key(name)).second; }

    // Takes and returns `base`, or `base` cut to make room for "~N" with the
    // smallest N >= 2 whose result is not taken. Names are only ever added,
    // so a candidate found taken stays taken: the search for one cut prefix
    // and suffix width resumes where it last stopped, and n names that meet
    // one another cost about n steps in all instead of n².
    std::string TakeUnique(const std::string& base, std::size_t maxBytes)
    {
        if (TakeIfFree(base)) {
            return base;
        }
        for (int digits = 1;; ++digits) {
            const int first = digits == 1 ? 2 : Power10(digits - 1);
            const int last = Power10(digits) - 1;
            const std::string prefix = CutAt(base, maxBytes - 1 - static_cast<std::size_t>(digits)) + '~';
            int& next = m_next.try_emplace(m_key(prefix), first).first->second;
            for (; next <= last; ++next) {
                std::string candidate = prefix + std::to_string(next);
                if (TakeIfFree(candidate)) {
                    ++next;
                    return candidate;
                }
            }
        }
    }

private:
    static int Power10(int digits)
    {
        int p = 1;
        for (int i = 0; i < digits; ++i) {
            p *= 10;
        }
        return p;
    }

    Key m_key;
    std::set<std::string> m_taken;
    std::map<std::string, int> m_next;  // by the key of a cut prefix with its "~"
};

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
    TakenNames dataNames([](const std::string& s) { return s; });
    TakenNames stems([](const std::string& s) { return Lowered(s); });
    // Names that can stay first, so that no changed name takes their place.
    for (std::size_t i = 0; i < magicNames.size(); ++i) {
        if (FitsDataFile(magicNames[i])) {
            names[i].dataFileName = magicNames[i];
            dataNames.TakeIfFree(magicNames[i]);
        }
        if (IsSafeFileStem(magicNames[i]) && stems.TakeIfFree(magicNames[i])) {
            names[i].fileName = magicNames[i] + ".kvd";
        }
    }
    for (std::size_t i = 0; i < magicNames.size(); ++i) {
        if (names[i].dataFileName.empty()) {
            names[i].dataFileName = dataNames.TakeUnique(FittedDataFileName(magicNames[i]), kMaxKvdNameBytes);
        }
        if (names[i].fileName.empty()) {
            names[i].fileName = stems.TakeUnique(SafeStem(magicNames[i]), kMaxFileStemBytes) + ".kvd";
        }
    }
    return names;
}

}  // namespace korvanes::magic
