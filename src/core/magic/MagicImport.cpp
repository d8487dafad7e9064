#include "magic/MagicImport.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <map>
#include <optional>
#include <set>
#include <unordered_map>
#include <utility>

#include "document/DataFileReader.h"
#include "magic/MagicOrigin.h"
#include "text/TextEncoding.h"

namespace korvanes::magic {
namespace {

enum class Step { kNrm, kZeroField, kInField, kPtrmCheck, kTailCheck, kAdditivityCheck };

struct Treatment {
    std::string_view code;
    Step step;
    int fraction;  // the treatment code's hundredths
};

constexpr Treatment kTreatments[] = {
    {"LT-NO", Step::kNrm, 0},
    {"LT-T-Z", Step::kZeroField, 0},
    {"LT-T-I", Step::kInField, 11},
    {"LT-PTRM-I", Step::kPtrmCheck, 12},
    {"LT-PTRM-MD", Step::kTailCheck, 13},
    {"LT-PTRM-AC", Step::kAdditivityCheck, 14},
};

constexpr const char* kOtherExperiment = "not of a thermal double-heating experiment (no LP-PI-TRM)";

// Heating temperatures outside these bounds (°C) are no kelvin values.
constexpr int kLowestHeating = 1;
constexpr int kHighestHeating = 2000;
// Laboratory fields above this (tesla) are no tesla values.
constexpr double kHighestLabField = 0.01;
// Two fields closer than this relative difference are one value.
constexpr double kSameFieldTolerance = 1e-6;

struct Columns {
    int specimen = -1;
    int sample = -1;
    int site = -1;
    int experiment = -1;
    int methodCodes = -1;
    int treatTemp = -1;
    int dcField = -1;
    int volume = -1;
    int moment = -1;
    int mass = -1;
    int dec = -1;
    int inc = -1;
    int quality = -1;
    std::vector<std::pair<std::string, int>> order;  // candidate order columns present, by preference
};

// Columns of either data model; `error` names those the import cannot do without.
Columns FindColumns(const MagicTable& t, bool dataModel3, std::string& error)
{
    Columns c;
    auto pick = [&t, dataModel3](const char* three, const char* two) { return t.Column(dataModel3 ? three : two); };
    c.specimen = pick("specimen", "er_specimen_name");
    c.sample = pick("sample", "er_sample_name");
    c.site = pick("site", "er_site_name");
    c.experiment = pick("experiment", "magic_experiment_name");
    c.methodCodes = pick("method_codes", "magic_method_codes");
    c.treatTemp = pick("treat_temp", "treatment_temp");
    c.dcField = pick("treat_dc_field", "treatment_dc_field");
    c.volume = pick("magn_volume", "measurement_magn_volume");
    c.moment = pick("magn_moment", "measurement_magn_moment");
    c.mass = pick("magn_mass", "measurement_magn_mass");
    c.dec = pick("dir_dec", "measurement_dec");
    c.inc = pick("dir_inc", "measurement_inc");
    c.quality = pick("quality", "measurement_flag");
    const std::vector<const char*> orderNames =
        dataModel3 ? std::vector<const char*>{"sequence", "treat_step_num", "measurement"}
                   : std::vector<const char*>{"measurement_number"};
    for (const char* name : orderNames) {
        if (t.Column(name) >= 0) {
            c.order.emplace_back(name, t.Column(name));
        }
    }

    std::vector<std::string> missing;
    auto need = [&missing, dataModel3](int index, const char* three, const char* two) {
        if (index < 0) {
            missing.emplace_back(dataModel3 ? three : two);
        }
    };
    need(c.specimen, "specimen", "er_specimen_name");
    need(c.methodCodes, "method_codes", "magic_method_codes");
    need(c.treatTemp, "treat_temp", "treatment_temp");
    need(c.dcField, "treat_dc_field", "treatment_dc_field");
    need(c.dec, "dir_dec", "measurement_dec");
    need(c.inc, "dir_inc", "measurement_inc");
    need(c.volume < 0 && c.moment < 0 ? -1 : 0, "magn_volume or magn_moment",
         "measurement_magn_volume or measurement_magn_moment");
    for (const std::string& name : missing) {
        error += (error.empty() ? "the " + t.name + " table lacks the column " : ", the column ") + name;
    }
    return c;
}

bool StartsWith(std::string_view text, std::string_view prefix) { return text.substr(0, prefix.size()) == prefix; }

// The code or one of its subdivisions ("LP-AN" and "LP-AN-ARM").
bool IsCodeOrBelow(std::string_view code, std::string_view family)
{
    return code == family || (StartsWith(code, family) && code.size() > family.size() && code[family.size()] == '-');
}

bool IsThermalDoubleHeating(const std::vector<std::string>& codes)
{
    return std::any_of(codes.begin(), codes.end(), [](const std::string& c) { return IsCodeOrBelow(c, "LP-PI-TRM"); });
}

// The first code of a protocol that a double-heating record must not be
// combined with (microwave, TRM acquisition, anisotropy, cooling rate,
// multi-specimen and the IRM-normalised variants), or empty.
std::string OtherProtocol(const std::vector<std::string>& codes)
{
    for (const std::string& c : codes) {
        if (StartsWith(c, "LP-PI-M") || IsCodeOrBelow(c, "LP-TRM") || IsCodeOrBelow(c, "LP-AN") ||
            IsCodeOrBelow(c, "LP-CR") || IsCodeOrBelow(c, "LP-PI-II") || IsCodeOrBelow(c, "LP-PI-T-II")) {
            return c;
        }
    }
    return {};
}

bool HasProtocolCode(const std::vector<std::string>& codes)
{
    return std::any_of(codes.begin(), codes.end(), [](const std::string& c) { return StartsWith(c, "LP-"); });
}

struct Record {
    const MagicRow* row = nullptr;
    const Treatment* treatment = nullptr;
};

struct Group {
    std::string name;
    std::string sampleHint;
    std::string siteHint;
    std::vector<Record> records;                 // file order
    std::vector<const MagicRow*> nrmCandidates;  // LT-NO records without protocol code, file order
    std::vector<std::string> experiments;  // distinct, in order of first occurrence
    std::vector<std::string> lpPiCodes;    // the same
    std::set<std::string, std::less<>> experimentSet;
    std::set<std::string, std::less<>> codeSet;

    // Adds `text` to `list` unless `set` holds it already.
    static void AddDistinct(std::vector<std::string>& list, std::set<std::string, std::less<>>& set,
                            std::string_view text)
    {
        if (set.find(text) == set.end()) {
            set.emplace(text);
            list.emplace_back(text);
        }
    }
};

// Hashes names as strings and as views alike, so that looking one up copies nothing.
struct NameHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view name) const { return std::hash<std::string_view>{}(name); }
};

// Why a specimen is not written: the first problem met.
struct Refusal {
    std::string category;
    int line = 0;
    std::string text;
};

class Counter {
public:
    void Add(const std::string& reason, std::size_t records = 1)
    {
        if (records == 0) {
            return;
        }
        const auto [at, added] = m_index.try_emplace(reason, m_counts.size());
        if (added) {
            m_counts.push_back({reason, records});
        } else {
            m_counts[at->second].records += records;
        }
    }
    std::vector<ReasonCount> Take() { return std::move(m_counts); }

private:
    std::vector<ReasonCount> m_counts;                // in order of first occurrence
    std::map<std::string, std::size_t> m_index;       // reason -> its place in m_counts
};

std::string Quoted(std::string_view cell) { return "'" + std::string(cell) + "'"; }

// "%.9g" (to_chars writes exactly what printf does, at a fraction of its cost;
// an import writes four numbers per record).
std::string FormatNumber(double value)
{
    char buffer[32];
    const std::to_chars_result r = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 9);
    return std::string(buffer, r.ptr);
}

// `value` as the data file writes it, and what the data-file reader takes
// from that text: nothing when the text is beyond what the reader takes (a
// 32-bit float, at most about 3.4e38 either side).
struct HeldNumber {
    std::string text;
    float read = 0.0f;
};
std::optional<HeldNumber> HeldByDataFile(double value)
{
    HeldNumber held{FormatNumber(value)};
    if (ScanFloats(held.text, &held.read, 1).count != 1) {
        return std::nullopt;
    }
    return held;
}

// "T.FF": the temperature and the hundredths of the step type (0 or 11 to 14).
std::string TreatmentCode(int temperature, int fraction)
{
    return std::to_string(temperature) + (fraction < 10 ? ".0" : ".") + std::to_string(fraction);
}

// The order key of a record in `column`: its number, or for the
// `measurement` name the whole number at its end.
std::optional<double> OrderKey(const MagicTable& t, const MagicRow& row, const std::string& name, int column)
{
    const std::string_view cell = Trimmed(t.Cell(row, column));
    if (name != "measurement") {
        return ParseNumber(cell);
    }
    std::size_t digits = cell.size();
    while (digits > 0 && cell[digits - 1] >= '0' && cell[digits - 1] <= '9') {
        --digits;
    }
    if (digits == cell.size() || cell.size() - digits > 15) {
        return std::nullopt;
    }
    return ParseNumber(cell.substr(digits));
}

// The laboratory fields of a specimen's in-field steps: two fields within a
// relative kSameFieldTolerance of the first one met are one value. Found
// through an ordered index, so that a specimen of n differing fields costs
// n log n steps.
class FieldCounts {
public:
    void Add(double tesla, int line)
    {
        // Every value that `tesla` may count as: those from tesla / (1 +
        // tolerance) to tesla / (1 - tolerance), a little widened for rounding.
        const double low = tesla / (1.0 + 2.0 * kSameFieldTolerance);
        const double high = tesla / (1.0 - 2.0 * kSameFieldTolerance);
        std::size_t same = m_fields.size();
        for (auto it = m_index.lower_bound(low); it != m_index.end() && it->first <= high; ++it) {
            if (std::fabs(it->first - tesla) <= kSameFieldTolerance * it->first) {
                same = std::min(same, it->second);  // the first one met, as in file order
            }
        }
        if (same == m_fields.size()) {
            m_index.emplace(tesla, m_fields.size());
            m_fields.push_back({tesla, 1});
            if (m_fields.size() == 2) {
                m_secondLine = line;
            }
        } else {
            ++m_fields[same].count;
        }
    }

    std::size_t Distinct() const { return m_fields.size(); }
    double First() const { return m_fields.front().tesla; }
    int SecondLine() const { return m_secondLine; }
    // "30 µT (2 steps), 40 µT (1 step)"
    std::string List() const
    {
        std::string list;
        for (const Field& f : m_fields) {
            list += (list.empty() ? "" : ", ") + FormatNumber(f.tesla * 1e6) +
                    StringPrintf(" µT (%d step%s)", f.count, f.count == 1 ? "" : "s");
        }
        return list;
    }

private:
    struct Field {
        double tesla;
        int count;
    };
    std::vector<Field> m_fields;               // in order of first occurrence
    std::multimap<double, std::size_t> m_index;  // tesla -> place in m_fields
    int m_secondLine = 0;
};

class SpecimenBuilder {
public:
    SpecimenBuilder(const MagicTable& table, const Columns& columns) : m_t(table), m_c(columns) {}

    // Puts the records in measurement order: by the first order column
    // that every record has and that gives each record its own number, else
    // in file order. Returns the column used (empty for file order); a
    // column passed over because it repeats a value gets a note.
    std::string Order(std::vector<Record>& records, std::vector<std::string>& notes) const
    {
        for (const auto& [name, column] : m_c.order) {
            std::vector<std::pair<double, std::size_t>> keys;
            for (std::size_t i = 0; i < records.size(); ++i) {
                const std::optional<double> key = OrderKey(m_t, *records[i].row, name, column);
                if (!key) {
                    break;
                }
                keys.emplace_back(*key, i);
            }
            if (keys.size() != records.size()) {
                continue;  // not every record has it: the next column, else file order
            }
            std::stable_sort(keys.begin(), keys.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
            const auto repeated = std::adjacent_find(keys.begin(), keys.end(),
                                                     [](const auto& a, const auto& b) { return a.first == b.first; });
            if (repeated != keys.end()) {
                // Some published files number every record of a specimen 1:
                // such a column says nothing about the order.
                const MagicRow& a = *records[repeated->second].row;
                const MagicRow& b = *records[(repeated + 1)->second].row;
                notes.push_back(StringPrintf("%s %s occurs twice (lines %d and %d), so it does not order the "
                                             "measurements",
                                             name.c_str(), Quoted(Trimmed(m_t.Cell(b, column))).c_str(), a.line,
                                             b.line));
                continue;
            }
            std::vector<Record> ordered;
            ordered.reserve(keys.size());
            for (const auto& key : keys) {
                ordered.push_back(records[key.second]);
            }
            records = std::move(ordered);
            return name;
        }
        return {};
    }

    // The data lines and header of the ordered records; a refusal at the
    // first record that cannot be written.
    std::optional<Refusal> Convert(const std::vector<Record>& records, ImportedSpecimen& specimen,
                                   std::vector<std::string>& lines) const
    {
        // Moments: magn_volume when every record has it, else magn_moment.
        const bool byVolume = m_c.volume >= 0 && std::all_of(records.begin(), records.end(), [this](const Record& r) {
                                  return ParseNumber(m_t.Cell(*r.row, m_c.volume)).has_value();
                              });
        specimen.fromMagneticMoment = !byVolume;
        const int momentColumn = byVolume ? m_c.volume : m_c.moment;
        const double momentFactor = byVolume ? kVolumeToMilliAmperePerMetre : kMomentToMilliAmperePerMetre;

        FieldCounts fields;
        bool zeroField = false;
        bool inField = false;
        for (const Record& r : records) {
            const MagicRow& row = *r.row;
            const Step step = r.treatment->step;
            const std::string code(r.treatment->code);
            auto unusable = [&row, &code](const std::string& what) {
                return Refusal{"unusable value", row.line, "the " + code + " record " + what};
            };

            int temperature = kRoomTemperature;
            const std::optional<double> kelvin = ParseNumber(m_t.Cell(row, m_c.treatTemp));
            if (!kelvin && (step != Step::kNrm || !Trimmed(m_t.Cell(row, m_c.treatTemp)).empty())) {
                return unusable("has no treat_temp number (" + Quoted(m_t.Cell(row, m_c.treatTemp)) + ")");
            }
            if (kelvin) {
                const double celsius = std::round(*kelvin - kKelvinOffset);
                if (step == Step::kNrm) {
                    temperature = celsius > kRoomTemperature && celsius <= kHighestHeating ? static_cast<int>(celsius)
                                                                                           : kRoomTemperature;
                } else if (celsius < kLowestHeating || celsius > kHighestHeating) {
                    return Refusal{"temperature not in kelvin", row.line,
                                   "the " + code + " record has treat_temp " + FormatNumber(*kelvin) +
                                       ", which is no heating temperature in kelvin (274 to 2273 K)"};
                } else {
                    temperature = static_cast<int>(celsius);
                }
            }

            const std::string_view momentCell = m_t.Cell(row, momentColumn);
            const std::optional<double> magnetisation = ParseNumber(momentCell);
            if (!magnetisation) {
                const bool massOnly = ParseNumber(m_t.Cell(row, m_c.mass)).has_value() &&
                                      !ParseNumber(m_t.Cell(row, m_c.volume)) &&
                                      !ParseNumber(m_t.Cell(row, m_c.moment));
                if (massOnly) {
                    return Refusal{"magnetisation only per mass", row.line,
                                   "the " + code + " record gives only magn_mass (Am²/kg), which cannot be " +
                                       "turned into mA/m without the specimen's mass and volume"};
                }
                return unusable(std::string("has neither a magn_volume number for every record nor a magn_moment ") +
                                "number (" + Quoted(momentCell) + ")");
            }
            const double moment = *magnetisation * momentFactor;
            if (moment < 0.0) {
                return unusable("has a magnetisation of " + FormatNumber(*magnetisation) + ", below 0");
            }
            const std::optional<HeldNumber> heldMoment = HeldByDataFile(moment);
            if (!heldMoment) {
                return unusable("has a magnetisation of " + FormatNumber(*magnetisation) + ", " +
                                FormatNumber(moment) + " mA/m, beyond what a data file holds");
            }
            const std::optional<double> dec = ParseNumber(m_t.Cell(row, m_c.dec));
            const std::optional<double> inc = ParseNumber(m_t.Cell(row, m_c.inc));
            if (!dec) {
                return unusable("has no declination number (" + Quoted(m_t.Cell(row, m_c.dec)) + ")");
            }
            const std::optional<HeldNumber> heldDec = HeldByDataFile(*dec);
            if (!heldDec) {
                return unusable("has a declination of " + FormatNumber(*dec) + ", beyond what a data file holds");
            }
            if (!inc || *inc < -90.0 || *inc > 90.0) {
                return unusable("has no inclination from -90 to 90 (" + Quoted(m_t.Cell(row, m_c.inc)) + ")");
            }

            if (step == Step::kInField || step == Step::kPtrmCheck) {
                const std::optional<double> field = ParseNumber(m_t.Cell(row, m_c.dcField));
                if (!field || *field <= 0.0) {
                    return Refusal{"laboratory field missing", row.line,
                                   "the in-field " + code + " record has no laboratory field above 0 in " +
                                       "treat_dc_field (" + Quoted(m_t.Cell(row, m_c.dcField)) + ")"};
                }
                if (*field > kHighestLabField) {
                    return Refusal{"laboratory field not in tesla", row.line,
                                   "the " + code + " record has treat_dc_field " + FormatNumber(*field) +
                                       ", which is no laboratory field in tesla (at most 0.01 T)"};
                }
                if (const std::optional<HeldNumber> held = HeldByDataFile(*field * 1e6); !held || held->read <= 0.0f) {
                    return Refusal{"laboratory field missing", row.line,
                                   "the in-field " + code + " record has treat_dc_field " + FormatNumber(*field) +
                                       ", which a data file holds as no field above 0 µT"};
                }
                fields.Add(*field, row.line);
            }
            zeroField = zeroField || step == Step::kZeroField;
            inField = inField || step == Step::kInField;
            lines.push_back(specimen.names.dataFileName + '\t' +
                            TreatmentCode(temperature, r.treatment->fraction) + '\t' + heldMoment->text +
                            '\t' + heldDec->text + '\t' + FormatNumber(*inc));
        }
        if (fields.Distinct() > 1) {
            return Refusal{"differing laboratory fields", fields.SecondLine(),
                           "its in-field steps were given different laboratory fields: " + fields.List() +
                               "; a data file holds one"};
        }
        if (!zeroField || !inField) {
            return Refusal{"no zero-field or in-field heating", records.front().row->line,
                           std::string("its experiment has no ") +
                               (zeroField ? "in-field (LT-T-I)" : "zero-field (LT-T-Z)") + " heating step"};
        }
        specimen.labField = fields.First() * 1e6;
        return std::nullopt;
    }

private:
    const MagicTable& m_t;
    const Columns& m_c;
};

std::string Joined(const std::vector<std::string>& parts, const char* separator)
{
    std::string text;
    for (const std::string& p : parts) {
        text += (text.empty() ? "" : separator) + p;
    }
    return text;
}

}  // namespace

std::vector<std::string> ImportedSpecimen::AllNotes() const
{
    std::vector<std::string> all = notes;
    if (fromMagneticMoment) {
        all.push_back(kMomentNote);
    }
    if (!orientation.problem.empty()) {
        all.push_back("no orientation: " + orientation.problem + "; only core coordinates are meaningful");
    }
    return all;
}

const ImportedSpecimen* MagicImport::Find(const std::string& magicName) const
{
    const auto it = std::find_if(specimens.begin(), specimens.end(),
                                 [&magicName](const ImportedSpecimen& s) { return s.magicName == magicName; });
    return it == specimens.end() ? nullptr : &*it;
}

const ImportMessage* MagicImport::ProblemOf(const std::string& magicName) const
{
    const auto it = std::find_if(problems.begin(), problems.end(),
                                 [&magicName](const ImportMessage& m) { return m.specimen == magicName; });
    return it == problems.end() ? nullptr : &*it;
}

MagicImport ImportMeasurements(const MagicText& measurements, const OrientationTables& orientation)
{
    MagicImport result;
    const MagicTable* table = measurements.Find({"measurements", "magic_measurements"});
    if (table == nullptr) {
        result.error =
            "no measurements table (data model 3 \"measurements\" or 2.5 \"magic_measurements\"); "
            "tables found: " +
            measurements.TableNames();
        return result;
    }
    const MagicTable& t = *table;
    result.tableName = t.name;
    std::string missing;
    const Columns c = FindColumns(t, t.name == "measurements", missing);
    if (!missing.empty()) {
        result.error = missing;
        return result;
    }
    if (t.rows.empty()) {
        result.error = "the " + t.name + " table holds no records (only its header)";
        return result;
    }
    result.recordsRead = t.rows.size();

    Counter dropped;
    std::vector<Group> groups;
    std::unordered_map<std::string, std::size_t, NameHash, std::equal_to<>> groupOf;
    auto group = [&groups, &groupOf](std::string_view name) -> Group& {
        auto it = groupOf.find(name);
        if (it == groupOf.end()) {
            it = groupOf.emplace(std::string(name), groups.size()).first;
            groups.push_back(Group{});
            groups.back().name = std::string(name);
        }
        return groups[it->second];
    };
    for (const MagicRow& row : t.rows) {
        const std::string_view name = t.Cell(row, c.specimen);
        if (Trimmed(name).empty()) {
            dropped.Add("no specimen name");
            continue;
        }
        const std::vector<std::string> codes = SplitList(t.Cell(row, c.methodCodes));
        const bool bad = Trimmed(t.Cell(row, c.quality)) == "b";
        std::vector<std::string> treatments;
        for (const std::string& code : codes) {
            if (StartsWith(code, "LT-")) {
                treatments.push_back(code);
            }
        }
        if (!IsThermalDoubleHeating(codes)) {
            const bool bareNrm = treatments.size() == 1 && treatments.front() == "LT-NO" && !HasProtocolCode(codes);
            if (bareNrm && !bad) {
                group(name).nrmCandidates.push_back(&row);  // counted once it is adopted or not
            } else {
                dropped.Add(bareNrm ? "flagged bad" : kOtherExperiment);
            }
            continue;
        }
        if (const std::string other = OtherProtocol(codes); !other.empty()) {
            dropped.Add("LP-PI-TRM combined with another protocol: " + other);
            continue;
        }
        if (bad) {
            dropped.Add("flagged bad");
            continue;
        }
        const Treatment* treatment = nullptr;
        if (treatments.size() == 1) {
            for (const Treatment& known : kTreatments) {
                if (known.code == treatments.front()) {
                    treatment = &known;
                }
            }
        }
        if (treatment == nullptr) {
            dropped.Add(treatments.empty() ? "no lab-treatment code (LT-...)"
                                           : "lab treatment " + Joined(treatments, ":") + " is no double-heating step");
            continue;
        }
        Group& g = group(name);
        g.records.push_back({&row, treatment});
        if (g.sampleHint.empty()) {
            g.sampleHint = std::string(t.Cell(row, c.sample));
        }
        if (g.siteHint.empty()) {
            g.siteHint = std::string(t.Cell(row, c.site));
        }
        const std::string_view experiment = Trimmed(t.Cell(row, c.experiment));
        if (!experiment.empty()) {
            Group::AddDistinct(g.experiments, g.experimentSet, experiment);
        }
        for (const std::string& code : codes) {
            if (StartsWith(code, "LP-PI")) {
                Group::AddDistinct(g.lpPiCodes, g.codeSet, code);
            }
        }
    }

    // Specimens in the order of their first kept record.
    std::vector<Group*> ordered;
    for (Group& g : groups) {
        if (!g.records.empty()) {
            ordered.push_back(&g);
        } else {
            dropped.Add(kOtherExperiment, g.nrmCandidates.size());
        }
    }
    std::stable_sort(ordered.begin(), ordered.end(), [](const Group* a, const Group* b) {
        return a->records.front().row->line < b->records.front().row->line;
    });

    std::vector<std::string> names;
    for (const Group* g : ordered) {
        names.push_back(g->name);
    }
    const std::vector<SpecimenNames> assigned = AssignSpecimenNames(names);

    const SpecimenBuilder builder(t, c);
    static const Treatment& kNrm = kTreatments[0];
    for (std::size_t i = 0; i < ordered.size(); ++i) {
        Group& g = *ordered[i];
        ImportedSpecimen specimen;
        specimen.magicName = g.name;
        specimen.names = assigned[i];
        specimen.firstLine = g.records.front().row->line;

        std::optional<Refusal> refusal;
        if (g.experiments.size() > 1) {
            refusal = Refusal{"several double-heating experiments", specimen.firstLine,
                              StringPrintf("it holds %zu double-heating experiments (", g.experiments.size()) +
                                  Joined(g.experiments, "; ") + "); a data file holds one"};
        }
        std::vector<Record> records = g.records;
        if (!refusal) {
            specimen.orderedBy = builder.Order(records, specimen.notes);
            if (!specimen.notes.empty()) {
                specimen.notes.back() +=
                    specimen.orderedBy.empty() ? "; the records are taken in file order" : "; ordered by " + specimen.orderedBy;
            }
        }
        // An experiment without NRM record takes the latest LT-NO record
        // without protocol code that precedes it.
        const MagicRow* adopted = nullptr;
        const bool hasNrm = std::any_of(records.begin(), records.end(),
                                        [](const Record& r) { return r.treatment->step == Step::kNrm; });
        if (!hasNrm) {
            for (const MagicRow* candidate : g.nrmCandidates) {
                if (candidate->line < specimen.firstLine) {
                    adopted = candidate;
                }
            }
        }
        dropped.Add(kOtherExperiment, g.nrmCandidates.size() - (adopted != nullptr ? 1 : 0));
        if (adopted != nullptr) {
            records.insert(records.begin(), Record{adopted, &kNrm});
            specimen.notes.push_back(
                StringPrintf("its NRM is the LT-NO record of line %d, outside the experiment", adopted->line));
        }

        std::vector<std::string> lines;
        if (!refusal) {
            refusal = builder.Convert(records, specimen, lines);
        }
        if (refusal) {
            dropped.Add("specimen not written: " + refusal->category, records.size());
            result.problems.push_back(
                {refusal->line, g.name, "specimen " + Quoted(g.name) + " not written: " + refusal->text});
            continue;
        }

        specimen.records = records.size();
        specimen.orientation = orientation.For(g.name, g.sampleHint, g.siteHint);
        const OrientationTables::Place place = orientation.PlaceOf(g.name, g.sampleHint, g.siteHint);
        specimen.sample = place.sample;
        specimen.site = place.site;
        MagicOrigin origin;
        origin.specimen = g.name;
        origin.methodCodes = Joined(g.lpPiCodes, ":");
        origin.orientation = specimen.orientation.source;
        origin.bedding = specimen.orientation.bedding;
        const SpecimenOrientation& o = specimen.orientation;
        specimen.dataFile = std::string(kDataFileMagic) + FormatOriginNote(origin) + '\n' +
                            FormatNumber(specimen.labField) + ' ' + FormatNumber(o.coreAzimuth) + ' ' +
                            FormatNumber(o.coreDip) + ' ' + FormatNumber(o.beddingDipDirection) + ' ' +
                            FormatNumber(o.beddingDip) + '\n';
        for (const std::string& line : lines) {
            specimen.dataFile += line + '\n';
        }

        if (specimen.names.dataFileName != g.name) {
            specimen.notes.push_back(StringPrintf("its name does not fit a data line (at most %zu bytes, no control "
                                                  "characters): the data file calls it ",
                                                  kMaxKvdNameBytes) +
                                     Quoted(specimen.names.dataFileName));
        }
        if (specimen.names.fileName != g.name + ".kvd") {
            specimen.notes.push_back("its file is " + specimen.names.fileName);
        }
        result.recordsUsed += specimen.records;
        result.specimens.push_back(std::move(specimen));
    }
    result.dropped = dropped.Take();
    return result;
}

}  // namespace korvanes::magic
