#include "magic/MagicOrientation.h"

#include <algorithm>
#include <array>
#include <optional>
#include <vector>

namespace korvanes::magic {
namespace {

// Orientation methods from the most to the least trusted.
constexpr std::array<std::string_view, 6> kMethodRanking = {"SO-SUN",        "SO-GPS-DIFF",  "SO-SIGHT",
                                                            "SO-SIGHT-BACK", "SO-CMD-NORTH", "SO-MAG"};

std::optional<double> NumberIn(std::string_view cell, double low, double high)
{
    const std::optional<double> value = ParseNumber(cell);
    if (!value || *value < low || *value > high) {
        return std::nullopt;
    }
    return value;
}

struct SampleRecord {
    const MagicRow* row = nullptr;
    std::optional<double> azimuth;
    std::optional<double> dip;
    std::optional<double> bedDipDirection;
    std::optional<double> bedDip;
    std::string method;
    std::size_t rank = kMethodRanking.size();
    bool flaggedBad = false;

    bool Oriented() const { return !flaggedBad && azimuth && dip; }
    bool HasBedding() const { return !flaggedBad && bedDip && (bedDipDirection || *bedDip == 0.0); }
};

bool Flagged(std::string_view cell) { return Trimmed(cell) == "b"; }

}  // namespace

OrientationTables::OrientationTables(const MagicTable* samples, const MagicTable* sites, const MagicTable* specimens)
    : m_samples(samples), m_sites(sites), m_specimens(specimens)
{
    if (m_samples != nullptr) {
        const int sampleColumn = m_samples->Column({"sample", "er_sample_name"});
        const int specimensColumn = m_samples->Column({"specimens", "er_specimen_names"});
        const int siteColumn = m_samples->Column({"site", "er_site_name"});
        for (const MagicRow& row : m_samples->rows) {
            const std::string_view sample = m_samples->Cell(row, sampleColumn);
            m_sampleRows[sample].push_back(&row);
            if (const std::string_view site = Trimmed(m_samples->Cell(row, siteColumn)); !site.empty()) {
                m_siteOfSample.try_emplace(sample, site);
            }
            if (specimensColumn >= 0) {
                for (std::string& name : SplitList(m_samples->Cell(row, specimensColumn))) {
                    m_sampleListing.try_emplace(std::move(name), sample);
                }
            }
        }
    }
    if (m_specimens != nullptr) {
        const int nameColumn = m_specimens->Column({"specimen", "er_specimen_name"});
        const int ofColumn = m_specimens->Column({"sample", "er_sample_name"});
        for (const MagicRow& row : m_specimens->rows) {
            if (!m_specimens->Cell(row, ofColumn).empty()) {
                m_sampleOfSpecimen.try_emplace(m_specimens->Cell(row, nameColumn), m_specimens->Cell(row, ofColumn));
            }
        }
    }
    if (m_sites != nullptr) {
        const int nameColumn = m_sites->Column({"site", "er_site_name"});
        for (const MagicRow& row : m_sites->rows) {
            m_siteRows[m_sites->Cell(row, nameColumn)].push_back(&row);
        }
    }
}

std::string OrientationTables::SampleOf(std::string_view specimen, std::string_view sampleHint) const
{
    // The measurement's own column, a specimens table, or the samples' list
    // of specimens.
    if (!sampleHint.empty() && m_sampleRows.count(sampleHint) != 0) {
        return std::string(sampleHint);
    }
    if (const auto it = m_sampleOfSpecimen.find(specimen); it != m_sampleOfSpecimen.end()) {
        return std::string(it->second);
    }
    if (const auto it = m_sampleListing.find(std::string(specimen)); it != m_sampleListing.end()) {
        return std::string(it->second);
    }
    return {};
}

OrientationTables::Place OrientationTables::PlaceOf(std::string_view specimen, std::string_view sampleHint,
                                                    std::string_view siteHint) const
{
    Place place;
    place.sample = SampleOf(specimen, sampleHint);
    if (place.sample.empty()) {
        place.sample = std::string(Trimmed(sampleHint));
    }
    if (const auto it = m_siteOfSample.find(place.sample); it != m_siteOfSample.end()) {
        place.site = std::string(it->second);
    } else {
        place.site = std::string(Trimmed(siteHint));
    }
    return place;
}

SpecimenOrientation OrientationTables::For(std::string_view specimen, std::string_view sampleHint,
                                           std::string_view siteHint) const
{
    SpecimenOrientation result;
    if (m_samples == nullptr) {
        return result;
    }
    const MagicTable& samples = *m_samples;
    const int siteColumn = samples.Column({"site", "er_site_name"});

    const std::string sample = SampleOf(specimen, sampleHint);
    if (sample.empty()) {
        result.problem = sampleHint.empty()
                             ? "no sample is named for it (by the measurements, a specimens table or "
                               "the samples' specimens column)"
                             : "its sample '" + std::string(sampleHint) + "' is not in the samples table";
        return result;
    }

    const int azimuthColumn = samples.Column({"azimuth", "sample_azimuth"});
    const int dipColumn = samples.Column({"dip", "sample_dip"});
    const int bedDipColumn = samples.Column({"bed_dip", "sample_bed_dip"});
    const int bedDirectionColumn = samples.Column({"bed_dip_direction", "sample_bed_dip_direction"});
    const int flagColumn = samples.Column({"orientation_quality", "sample_orientation_flag"});
    const int methodColumn = samples.Column({"method_codes", "magic_method_codes"});
    std::vector<SampleRecord> records;
    std::string site(siteHint);
    static const std::vector<const MagicRow*> kNoRows;
    const auto rowsOfSample = m_sampleRows.find(sample);
    for (const MagicRow* const row : rowsOfSample != m_sampleRows.end() ? rowsOfSample->second : kNoRows) {
        SampleRecord r;
        r.row = row;
        r.azimuth = NumberIn(samples.Cell(*row, azimuthColumn), 0.0, 360.0);
        r.dip = NumberIn(samples.Cell(*row, dipColumn), -180.0, 180.0);
        r.bedDip = NumberIn(samples.Cell(*row, bedDipColumn), -90.0, 90.0);
        r.bedDipDirection = NumberIn(samples.Cell(*row, bedDirectionColumn), 0.0, 360.0);
        r.flaggedBad = Flagged(samples.Cell(*row, flagColumn));
        for (const std::string& code : SplitList(samples.Cell(*row, methodColumn))) {
            const auto at = std::find(kMethodRanking.begin(), kMethodRanking.end(), code);
            if (at != kMethodRanking.end() && static_cast<std::size_t>(at - kMethodRanking.begin()) < r.rank) {
                r.rank = static_cast<std::size_t>(at - kMethodRanking.begin());
                r.method = code;
            }
        }
        if (const std::string_view own = samples.Cell(*row, siteColumn); !own.empty()) {
            site = std::string(own);  // the samples table knows the site better than the measurement
        }
        records.push_back(r);
    }
    std::stable_sort(records.begin(), records.end(),
                     [](const SampleRecord& a, const SampleRecord& b) { return a.rank < b.rank; });

    const auto oriented =
        std::find_if(records.begin(), records.end(), [](const SampleRecord& r) { return r.Oriented(); });
    if (oriented == records.end()) {
        result.problem = "sample '" + sample +
                         "' has no record with a usable azimuth (0 to 360) and dip (-180 to 180)"
                         " that is not flagged bad";
        return result;
    }
    result.source = OrientationSource::kSample;
    result.coreAzimuth = CoreAzimuthFromMagic(*oriented->azimuth);
    result.coreDip = CoreDipFromMagic(*oriented->dip);
    result.method = oriented->method;

    // Bedding: the record used first, then the sample's other records, then the site.
    const SampleRecord* bedded = oriented->HasBedding() ? &*oriented : nullptr;
    for (const SampleRecord& r : records) {
        if (bedded == nullptr && r.HasBedding()) {
            bedded = &r;
        }
    }
    if (bedded != nullptr) {
        result.bedding = BeddingSource::kSample;
        result.beddingDip = *bedded->bedDip;
        result.beddingDipDirection = bedded->bedDipDirection.value_or(0.0);
        return result;
    }
    const auto rowsOfSite = m_siteRows.find(site);
    if (m_sites != nullptr && !site.empty() && rowsOfSite != m_siteRows.end()) {
        const int dipColumnOfSite = m_sites->Column({"bed_dip", "site_bed_dip"});
        const int directionColumnOfSite = m_sites->Column({"bed_dip_direction", "site_bed_dip_direction"});
        for (const MagicRow* const siteRow : rowsOfSite->second) {
            const MagicRow& row = *siteRow;
            const std::optional<double> dip = NumberIn(m_sites->Cell(row, dipColumnOfSite), -90.0, 90.0);
            const std::optional<double> direction = NumberIn(m_sites->Cell(row, directionColumnOfSite), 0.0, 360.0);
            if (dip && (direction || *dip == 0.0)) {
                result.bedding = BeddingSource::kSite;
                result.beddingDip = *dip;
                result.beddingDipDirection = direction.value_or(0.0);
                return result;
            }
        }
    }
    return result;
}

}  // namespace korvanes::magic
