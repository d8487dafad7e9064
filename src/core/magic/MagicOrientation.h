#pragma once
// Orientation of imported specimens from MagIC samples and sites tables, in
// the conventions of the data file's header.
//
// The program turns a specimen vector into geographic coordinates by a
// rotation by the core dip P about y followed by one by the core azimuth A
// about z; the specimen's X axis (1, 0, 0) then points to declination A and
// inclination -P. MagIC gives the azimuth of the sample's X direction and its
// dip below the horizontal (positive down). So A = azimuth and P = -dip.
// Bedding: MagIC's bed_dip_direction and bed_dip are the header's bedding dip
// direction and bedding dip as they stand (a bed dipping by the dip towards
// the dip direction is restored to the horizontal).

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "magic/MagicOrigin.h"
#include "magic/MagicTable.h"

namespace korvanes::magic {

// Header core azimuth and core dip from MagIC azimuth and dip of X.
inline double CoreAzimuthFromMagic(double azimuth) { return azimuth; }
inline double CoreDipFromMagic(double dip) { return 0.0 - dip; }  // a dip of 0 gives +0, not -0

struct SpecimenOrientation {
    OrientationSource source = OrientationSource::kNone;
    double coreAzimuth = 0.0;  // header values, degrees
    double coreDip = 0.0;
    BeddingSource bedding = BeddingSource::kNone;
    double beddingDipDirection = 0.0;
    double beddingDip = 0.0;
    std::string method;   // orientation method code of the sample record used ("SO-SUN"); may be empty
    std::string problem;  // why there is no orientation although a samples table was given
};

// The tables orientation is looked up in; any may be missing. Samples: data
// model 3 `samples` or 2.5 `er_samples`; sites: `sites` or `er_sites`;
// specimens (which sample a specimen belongs to): `specimens` or
// `er_specimens`.
class OrientationTables {
public:
    OrientationTables() = default;
    OrientationTables(const MagicTable* samples, const MagicTable* sites, const MagicTable* specimens);

    // The orientation of `specimen`. Its sample is `sampleHint` (the
    // measurement's own sample column) when the samples table holds it, else
    // the one a specimens table or the samples' `specimens` column names.
    // Of several records of one sample, those flagged bad or without a usable
    // azimuth and dip are passed over; then the orientation method decides
    // (sun compass, differential GPS, sighting, back sighting, compass
    // corrected to true north, magnetic compass, anything else), then file
    // order. Bedding comes from the sample's records, else from its site.
    SpecimenOrientation For(std::string_view specimen, std::string_view sampleHint, std::string_view siteHint) const;

    // The sample and site a specimen belongs to: the sample as For finds it
    // (else `sampleHint` as it is), the site of that sample in the samples
    // table, else `siteHint`. Either may be empty when nothing names it.
    struct Place {
        std::string sample;
        std::string site;
    };
    Place PlaceOf(std::string_view specimen, std::string_view sampleHint, std::string_view siteHint) const;

private:
    const MagicTable* m_samples = nullptr;
    const MagicTable* m_sites = nullptr;
    const MagicTable* m_specimens = nullptr;
    // Looked up once per specimen: indexed once, so that orienting n
    // specimens against n sample records takes n log n steps, not n².
    std::map<std::string_view, std::vector<const MagicRow*>> m_sampleRows;  // by sample name, file order
    std::map<std::string_view, std::vector<const MagicRow*>> m_siteRows;    // by site name, file order
    std::map<std::string_view, std::string_view> m_sampleOfSpecimen;       // specimens table, first non-empty
    std::map<std::string, std::string_view> m_sampleListing;               // samples' specimens column, first
    std::map<std::string_view, std::string_view> m_siteOfSample;           // samples table, first non-empty

    // The sample a specimen belongs to by the tables, or empty.
    std::string SampleOf(std::string_view specimen, std::string_view sampleHint) const;
};

}  // namespace korvanes::magic
