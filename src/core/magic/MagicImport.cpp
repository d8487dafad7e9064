#include "magic/MagicImport.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <map>
#include <optional>
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
    std::vector<std::string> experiments;
    std::vector<std::string> lpPiCodes;
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
        for (ReasonCount& r : m_counts) {
            if (r.reason == reason) {
                r.records += records;
                return;
            }
        }
        m_counts.push_back({reason, records});
    }
    std::vector<ReasonCount> Take() { return std::move(m_counts); }

private:
    std::vector<ReasonCount> m_counts;
};

std::string Quoted(std::string_view cell) { return "'" + std::string(cell) + "'"; }

std::string FormatNumber(double value) { return StringPrintf("%.9g", value); }

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

class SpecimenBuilder {
public:
    SpecimenBuilder(const MagicTable& table, const Columns& columns) : m_t(table), m_c(columns) {}

    // Puts the records in measurement order; a refusal when the order
    // column that every record has repeats a value.
    std::optional<Refusal> Order(std::vector<Record>& records) const
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
            for (std::size_t k = 1; k < keys.size(); ++k) {
                if (keys[k].first == keys[k - 1].first) {
                    const MagicRow& a = *records[keys[k - 1].second].row;
                    const MagicRow& b = *records[keys[k].second].row;
                    return Refusal{
                        "measurement order unclear", b.line,
                        StringPrintf("%s %s occurs twice (lines %d and %d), so the order of the "
                                     "measurements is unclear",
                                     name.c_str(), Quoted(Trimmed(m_t.Cell(b, column))).c_str(), a.line, b.line)};
                }
            }
            std::vector<Record> ordered;
            for (const auto& key : keys) {
                ordered.push_back(records[key.second]);
            }
            records = std::move(ordered);
            return std::nullopt;
        }
        return std::nullopt;
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

        std::vector<std::pair<double, int>> fields;  // tesla, count
        int fieldLine = 0;
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
            if (moment < 0.0 || std::fabs(moment) > FLT_MAX) {
                return unusable("has a magnetisation of " + FormatNumber(*magnetisation) +
                                ", below 0 or beyond what a data file holds");
            }
            const std::optional<double> dec = ParseNumber(m_t.Cell(row, m_c.dec));
            const std::optional<double> inc = ParseNumber(m_t.Cell(row, m_c.inc));
            if (!dec || std::fabs(*dec) > FLT_MAX) {
                return unusable("has no declination number (" + Quoted(m_t.Cell(row, m_c.dec)) + ")");
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
                auto same = std::find_if(fields.begin(), fields.end(), [&field](const auto& f) {
                    return std::fabs(f.first - *field) <= kSameFieldTolerance * f.first;
                });
                if (same == fields.end()) {
                    fields.emplace_back(*field, 1);
                    if (fields.size() == 2) {
                        fieldLine = row.line;
                    }
                } else {
                    ++same->second;
                }
            }
            zeroField = zeroField || step == Step::kZeroField;
            inField = inField || step == Step::kInField;
            lines.push_back(specimen.names.dataFileName + '\t' +
                            StringPrintf("%d.%02d", temperature, r.treatment->fraction) + '\t' + FormatNumber(moment) +
                            '\t' + FormatNumber(*dec) + '\t' + FormatNumber(*inc));
        }
        if (fields.size() > 1) {
            std::string list;
            for (const auto& [tesla, count] : fields) {
                list += (list.empty() ? "" : ", ") + FormatNumber(tesla * 1e6) +
                        StringPrintf(" µT (%d step%s)", count, count == 1 ? "" : "s");
            }
            return Refusal{
                "differing laboratory fields", fieldLine,
                "its in-field steps were given different laboratory fields: " + list + "; a data file holds one"};
        }
        if (!zeroField || !inField) {
            return Refusal{"no zero-field or in-field heating", records.front().row->line,
                           std::string("its experiment has no ") +
                               (zeroField ? "in-field (LT-T-I)" : "zero-field (LT-T-Z)") + " heating step"};
        }
        specimen.labField = fields.front().first * 1e6;
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
    std::map<std::string, std::size_t> groupOf;
    auto group = [&groups, &groupOf](const std::string& name) -> Group& {
        const auto [it, added] = groupOf.emplace(name, groups.size());
        if (added) {
            groups.push_back(Group{});
            groups.back().name = name;
        }
        return groups[it->second];
    };
    for (const MagicRow& row : t.rows) {
        const std::string name(t.Cell(row, c.specimen));
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
        const std::string experiment(Trimmed(t.Cell(row, c.experiment)));
        if (!experiment.empty() &&
            std::find(g.experiments.begin(), g.experiments.end(), experiment) == g.experiments.end()) {
            g.experiments.push_back(experiment);
        }
        for (const std::string& code : codes) {
            if (StartsWith(code, "LP-PI") &&
                std::find(g.lpPiCodes.begin(), g.lpPiCodes.end(), code) == g.lpPiCodes.end()) {
                g.lpPiCodes.push_back(code);
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
            refusal = builder.Order(records);
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
