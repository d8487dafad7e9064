#include "magic/MagicOrigin.h"

namespace korvanes::magic {
namespace {

constexpr std::string_view kSpecimenKey = "magic-specimen=";
constexpr std::string_view kMethodCodesKey = "magic-method-codes=";
constexpr std::string_view kOrientationKey = "orientation=";
constexpr std::string_view kBeddingKey = "bedding=";

const char* OrientationWord(OrientationSource source)
{
    return source == OrientationSource::kSample ? "sample" : "none";
}

const char* BeddingWord(BeddingSource source)
{
    switch (source) {
    case BeddingSource::kSample:
        return "sample";
    case BeddingSource::kSite:
        return "site";
    case BeddingSource::kNone:
        break;
    }
    return "none";
}

}  // namespace

std::string FormatOriginNote(const MagicOrigin& origin)
{
    std::string note;
    note.append("\t").append(kSpecimenKey).append(origin.specimen);
    note.append("\t").append(kMethodCodesKey).append(origin.methodCodes);
    note.append("\t").append(kOrientationKey).append(OrientationWord(origin.orientation));
    note.append("\t").append(kBeddingKey).append(BeddingWord(origin.bedding));
    return note;
}

std::optional<MagicOrigin> ParseOriginNote(std::string_view note)
{
    MagicOrigin origin;
    bool named = false;
    std::size_t start = 0;
    while (start <= note.size()) {
        const std::size_t tab = note.find('\t', start);
        const std::string_view item =
            note.substr(start, tab == std::string_view::npos ? std::string_view::npos : tab - start);
        auto value = [item](std::string_view key) { return item.substr(key.size()); };
        if (item.substr(0, kSpecimenKey.size()) == kSpecimenKey) {
            origin.specimen = std::string(value(kSpecimenKey));
            named = !origin.specimen.empty();
        } else if (item.substr(0, kMethodCodesKey.size()) == kMethodCodesKey) {
            origin.methodCodes = std::string(value(kMethodCodesKey));
        } else if (item == std::string(kOrientationKey) + "sample") {
            origin.orientation = OrientationSource::kSample;
        } else if (item == std::string(kBeddingKey) + "sample") {
            origin.bedding = BeddingSource::kSample;
        } else if (item == std::string(kBeddingKey) + "site") {
            origin.bedding = BeddingSource::kSite;
        }
        if (tab == std::string_view::npos) {
            break;
        }
        start = tab + 1;
    }
    if (!named) {
        return std::nullopt;
    }
    return origin;
}

}  // namespace korvanes::magic
