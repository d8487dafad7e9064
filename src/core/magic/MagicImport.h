#pragma once
// Import of MagIC measurements (data model 3 `measurements` or 2.5
// `magic_measurements`) into specimen data files, one per specimen with a
// thermal double-heating experiment. Pure: it takes parsed tables and gives
// the files' complete texts plus what it did; writing them is the caller's.
//
// Conventions (README states them for users):
// - Kept: records of an LP-PI-TRM experiment with one of the lab treatments
//   below, in measurement order (the first of `sequence`, `treat_step_num`,
//   the number at the end of `measurement` — 2.5: `measurement_number` —
//   that every record of the specimen has, each record its own number; else
//   file order; a column passed over for a repeated number is noted). Dropped and
//   counted by reason: records of other experiments, of LP-PI-TRM combined
//   with another protocol (by that protocol's code), flagged bad, and of
//   other lab treatments.
// - Codes, T = treat_temp - 273 rounded to a whole °C: LT-NO 20.00 (T.00 when
//   T is above 20), LT-T-Z T.00, LT-T-I T.11, LT-PTRM-I T.12, LT-PTRM-MD T.13,
//   LT-PTRM-AC T.14. Without an LT-NO record the experiment takes the latest
//   LT-NO record without protocol code before it in the file.
// - Moments in mA/m: magn_volume x 1000 when every kept record has it, else
//   magn_moment x 1e8 (a nominal 10 cm³ specimen). Directions as given.
// - Laboratory field: treat_dc_field of the LT-T-I and LT-PTRM-I records, in
//   µT; one value per specimen.
// - A specimen is written completely or not at all: one whose records hold an
//   unusable value (also one the data file cannot hold: beyond a 32-bit float
//   as written, or a field written as 0), whose temperatures are not in
//   kelvin or fields not in tesla, whose in-field steps differ in field, that
//   holds several double-heating experiments, or that lacks zero-field or
//   in-field heating steps is not written; a message names the line.

#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "magic/MagicNames.h"
#include "magic/MagicOrientation.h"
#include "magic/MagicTable.h"

namespace korvanes::magic {

// A number of records and why they were not written.
struct ReasonCount {
    std::string reason;
    std::size_t records = 0;
};

// A problem with its line in the measurements file (0: the table as a whole).
struct ImportMessage {
    int line = 0;
    std::string specimen;  // MagIC name; empty when not about one specimen
    std::string text;
};

struct ImportedSpecimen {
    std::string magicName;  // bytes as in the table
    SpecimenNames names;    // its name on the data lines and its file name
    std::string sample;     // its sample by the tables (OrientationTables::PlaceOf); may be empty
    std::string site;       // its site, the same way; may be empty
    int firstLine = 0;      // its first record in the measurements file
    std::size_t records = 0;
    std::string orderedBy;            // the column that put its records in order; empty: file order
    bool fromMagneticMoment = false;  // moments are magn_moment x 1e8
    double labField = 0.0;            // µT
    SpecimenOrientation orientation;
    std::string dataFile;            // the complete data-file text
    std::vector<std::string> notes;  // changed names, an NRM from outside the experiment

    // `notes`, then the moment conversion and a missing orientation: all a
    // user of this one specimen should know.
    std::vector<std::string> AllNotes() const;
};

inline constexpr const char* kMomentNote = "moments are magn_moment x 1e8: the mA/m of a nominal 10 cm³ specimen";

// Where a site lies by the MagIC tables: a sites table's lat, lon and dir_inc
// (2.5: site_lat, site_lon, site_inc; the first record with a usable value),
// else, for lat and lon, the mean of its samples' values when they lie
// within 0.1 degrees of each other. Absent where no table gives one.
struct SitePlace {
    std::optional<double> lat;
    std::optional<double> lon;
    std::optional<double> inc;
};

struct MagicImport {
    std::string error;      // set when nothing could be imported; the rest is then empty
    std::string tableName;  // "measurements" (data model 3) or "magic_measurements" (2.5)
    std::size_t recordsRead = 0;
    std::size_t recordsUsed = 0;
    std::vector<ReasonCount> dropped;  // in order of first occurrence; they add up to read - used
    std::vector<ImportedSpecimen> specimens;
    std::vector<ImportMessage> problems;  // one per specimen not written, in file order
    std::map<std::string, SitePlace> sitePlaces;  // by site name (ImportMagicTexts fills it)

    bool ok() const { return error.empty(); }
    // The specimen of that MagIC name, or nullptr.
    const ImportedSpecimen* Find(const std::string& magicName) const;
    // The problem that kept a specimen of that name from being written, or nullptr.
    const ImportMessage* ProblemOf(const std::string& magicName) const;
};

// Multiplier from magn_moment (Am²) to the data file's mA/m: a nominal
// specimen of 10 cm³.
inline constexpr double kMomentToMilliAmperePerMetre = 1e8;
// Multiplier from magn_volume (A/m) to mA/m.
inline constexpr double kVolumeToMilliAmperePerMetre = 1e3;
// treat_temp (K) minus this is the data file's °C.
inline constexpr int kKelvinOffset = 273;
// The data file's temperature of the NRM, which MagIC records unheated.
inline constexpr int kRoomTemperature = 20;

// Imports the measurements table of `measurements` (a single table or one
// table of a contribution). Table-level errors (no such table, a column the
// import needs is missing, no records) give `error` and nothing else.
MagicImport ImportMeasurements(const MagicText& measurements, const OrientationTables& orientation = {});

}  // namespace korvanes::magic
