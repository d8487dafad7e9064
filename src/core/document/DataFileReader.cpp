#include "document/DataFileReader.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <type_traits>

#include "analysis/AnalysisRun.h"
#include "io/FileRead.h"
#include "text/TextEncoding.h"

namespace korvanes {
namespace {

bool IsCSpace(char c)
{
    // ' ', or '\t', '\n', '\v', '\f', '\r' (9 to 13).
    return c == ' ' || static_cast<unsigned char>(c - '\t') <= '\r' - '\t';
}

bool IsHexDigit(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

enum class ParseOutcome { kNone, kNumber, kOutOfRange };

// A decimal text that from_chars found out of double range is an underflow
// (read as 0) when its exponent is negative, else an overflow.
bool IsUnderflow(std::string_view matched)
{
    for (std::size_t i = 0; i + 1 < matched.size(); ++i) {
        const char c = matched[i];
        if ((c == 'e' || c == 'E' || c == 'p' || c == 'P') && matched[i + 1] == '-') {
            return true;
        }
    }
    return false;
}

// A plain decimal of at most 15 digits in all ("0.887394738", "574.11",
// "20"): the digits as an integer and the number of them after the point.
// Such an integer and its power of ten are exact doubles, so their quotient
// is the correctly rounded value, the same bits as from_chars gives, in a
// fraction of its time. False (nothing read) for anything else: an
// exponent, a point without digits after it, no digit before the point,
// more digits. kStopped: the byte at `end` may be read, and is neither a
// digit nor a point nor an 'e' (a line's end), so no loop needs to look out
// for `end`.
template <bool kStopped>
inline bool ParsePlainDecimal(const char* p, const char* end, double& value, const char*& after)
{
    static constexpr double kPowersOfTen[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                              1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    // Digits beyond the 15th wrap the integer around; the count then refuses it.
    std::uint64_t mantissa = 0;
    const auto addDigits = [&mantissa, end](const char* at) {
        for (; kStopped || at != end; ++at) {
            const std::uint64_t digit = static_cast<unsigned char>(*at) - std::uint64_t{'0'};
            if (digit > 9) {
                break;
            }
            mantissa = mantissa * 10 + digit;
        }
        return at;
    };
    const char* const start = p;
    p = addDigits(p);
    if (p == start) {
        return false;
    }
    std::ptrdiff_t digits = p - start;
    std::ptrdiff_t fraction = 0;
    if ((kStopped || p != end) && *p == '.') {
        const char* const point = ++p;
        p = addDigits(p);
        fraction = p - point;
        digits += fraction;
        if (fraction == 0) {
            return false;
        }
    }
    if (digits > 15 || ((kStopped || p != end) && (*p == 'e' || *p == 'E'))) {
        return false;
    }
    value = static_cast<double>(mantissa) / kPowersOfTen[fraction];
    after = p;
    return true;
}

// ParseOne for a number that is not a plain decimal, at `p` after its sign
// (`hex`: it begins with "0x" and a hex digit or point).
[[gnu::noinline]] ParseOutcome ParseOther(const char*& pos, const char* p, const char* end, bool negative, bool hex,
                                          double& value)
{
    double v = 0.0;
    std::from_chars_result r{};
    const char* digits = p;
    if (hex) {
        digits = p + 2;
        r = std::from_chars(digits, end, v, std::chars_format::hex);
        if (r.ec == std::errc::invalid_argument) {
            // "0x" without a hex mantissa: the number is the "0" before it.
            digits = p;
            r = std::from_chars(digits, end, v, std::chars_format::general);
        }
    } else {
        r = std::from_chars(digits, end, v, std::chars_format::general);
    }
    if (r.ec == std::errc::invalid_argument) {
        return ParseOutcome::kNone;
    }
    pos = r.ptr;
    if (r.ec == std::errc::result_out_of_range) {
        if (!IsUnderflow(std::string_view(digits, static_cast<std::size_t>(r.ptr - digits)))) {
            return ParseOutcome::kOutOfRange;
        }
        v = 0.0;
    }
    if (!std::isfinite(v) || std::fabs(v) > static_cast<double>(std::numeric_limits<float>::max())) {
        return ParseOutcome::kOutOfRange;
    }
    value = negative ? -v : v;
    return ParseOutcome::kNumber;
}

// Parses one number at the start of [pos, end) after white space; on success
// moves `pos` past it. Inline, the general forms apart: a data file holds
// thousands of numbers. kStopped as for ParsePlainDecimal.
template <bool kStopped = false>
[[gnu::always_inline]] inline ParseOutcome ParseOne(const char*& pos, const char* end, double& value)
{
    const char* p = pos;
    while (p != end && IsCSpace(*p)) {
        ++p;
    }
    bool negative = false;
    if (p != end && (*p == '+' || *p == '-')) {
        negative = *p == '-';
        ++p;
    }
    if (p == end || *p == '+' || *p == '-') {
        return ParseOutcome::kNone;
    }
    const bool hex = p[0] == '0' && end - p > 2 && (p[1] == 'x' || p[1] == 'X') && (IsHexDigit(p[2]) || p[2] == '.');
    if (double v = 0.0; !hex && ParsePlainDecimal<kStopped>(p, end, v, pos)) {
        // Below 10^15: finite and within float range.
        value = negative ? -v : v;
        return ParseOutcome::kNumber;
    }
    return ParseOther(pos, p, end, negative, hex, value);
}

// Collects warnings up to the listed maximum and counts the rest.
class WarningList {
public:
    void Add(int line, std::string text)
    {
        if (m_warnings.size() < kMaxListedWarnings) {
            m_warnings.push_back({line, std::move(text)});
        } else {
            ++m_unlisted;
        }
    }

    std::vector<ReadWarning> Take()
    {
        if (m_unlisted > 0) {
            m_warnings.push_back({0, StringPrintf("%zu further problems are not listed", m_unlisted)});
        }
        return std::move(m_warnings);
    }

private:
    std::vector<ReadWarning> m_warnings;
    std::size_t m_unlisted = 0;
};

// Whether `text` is one number and nothing else (white space aside).
bool IsNumberText(std::string_view text)
{
    const char* pos = text.data();
    const char* end = text.data() + text.size();
    double value = 0.0;
    if (ParseOne(pos, end, value) == ParseOutcome::kNone) {
        return false;
    }
    while (pos != end && IsCSpace(*pos)) {
        ++pos;
    }
    return pos == end;
}

bool IsBlank(std::string_view line)
{
    for (char c : line) {
        if (!IsCSpace(c)) {
            return false;
        }
    }
    return true;
}

void ParseHeaderLine(std::string_view line, CSpecimenHeader& header, WarningList& warnings)
{
    float values[5] = {header.m_labField, header.m_coreAzimuth, header.m_coreDip, header.m_beddingDipDirection,
                       header.m_beddingDip};
    const NumberScan scan = ScanFloats(line, values, 5);
    header.m_labField = values[0];
    header.m_coreAzimuth = values[1];
    header.m_coreDip = values[2];
    header.m_beddingDipDirection = values[3];
    header.m_beddingDip = values[4];
    if (scan.outOfRange) {
        warnings.Add(2, StringPrintf("header number %d is not a finite number within range; it and the "
                                     "numbers after it keep their default values",
                                     scan.count + 1));
    } else if (scan.count < 5) {
        warnings.Add(2, StringPrintf("header line holds %d of 5 numbers (laboratory field, core azimuth, core "
                                     "dip, bedding dip direction, bedding dip); the missing ones keep their "
                                     "default values",
                                     scan.count));
    }
    if (scan.count > 0 && !IsUsableLabField(header.m_labField)) {
        warnings.Add(2, LabFieldProblem(header.m_labField) + " (set one in the form or with --labfield)");
    }
}

}  // namespace

namespace {

// The lines of `bytes` as SplitLines gives them (views into the bytes, or
// copies).
template <class Line>
void SplitInto(std::string_view bytes, std::vector<Line>& lines)
{
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t end = bytes.find('\n', start);
        const std::size_t next = end == std::string_view::npos ? bytes.size() : end + 1;
        if (end == std::string_view::npos) {
            end = bytes.size();
        }
        std::size_t length = end - start;
        if (length > 0 && bytes[start + length - 1] == '\r') {
            --length;
        }
        lines.emplace_back(bytes.substr(start, length));
        start = next;
    }
}

}  // namespace

std::vector<std::string> SplitLines(std::string_view bytes)
{
    std::vector<std::string> lines;
    SplitInto(bytes, lines);
    return lines;
}

DataLineSplit SplitDataLine(std::string_view line)
{
    std::size_t p = line.find('\t');
    if (p == 0 || p == std::string_view::npos || p > kMaxNameTabPosition) {
        p = line.find(' ');
    }
    if (p == std::string_view::npos) {
        return {std::string_view(), line};
    }
    return {line.substr(0, p), line.substr(p)};
}

namespace {

// ScanFloats; kStopped as for ParsePlainDecimal, for the byte after `text`.
template <bool kStopped>
NumberScan ScanFloatsIn(std::string_view text, float* values, int wanted)
{
    NumberScan scan;
    const char* pos = text.data();
    const char* end = text.data() + text.size();
    while (scan.count < wanted) {
        double v = 0.0;
        const ParseOutcome outcome = ParseOne<kStopped>(pos, end, v);
        if (outcome == ParseOutcome::kNone) {
            break;
        }
        if (outcome == ParseOutcome::kOutOfRange) {
            scan.outOfRange = true;
            break;
        }
        values[scan.count] = static_cast<float>(v);
        ++scan.count;
    }
    return scan;
}

}  // namespace

NumberScan ScanFloats(std::string_view text, float* values, int wanted)
{
    return ScanFloatsIn<false>(text, values, wanted);
}

namespace {

// `bytesEnd`: the end of the bytes the lines view, which may be read up to
// (a byte after a line's end there is the CR or LF that ended it); none for
// lines of their own, which end in their terminating zero.
template <class Line>
std::vector<ReadWarning> ParseLines(const std::vector<Line>& lines, CKorvanesToolDoc& doc,
                                    const char* bytesEnd = nullptr)
{
    WarningList warnings;
    const bool hasHeader = !lines.empty() && std::string_view(lines[0]).starts_with(kDataFileMagic);
    std::size_t first = 0;
    if (hasHeader) {
        doc.m_header.m_fileNote = std::string_view(lines[0]).substr(kDataFileMagic.size());
        if (lines.size() < 2) {
            warnings.Add(2, "the header line (laboratory field and orientation) is missing; default values used");
        } else {
            ParseHeaderLine(lines[1], doc.m_header, warnings);
        }
        first = 2;
    }

    // Values of the previous taken line, repeated for numbers a line lacks.
    float carried[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    bool anyTaken = false;
    // The specimen's name is that of the last line taken.
    std::optional<std::string_view> lastName;
    for (std::size_t k = first; k < lines.size(); ++k) {
        const int lineNumber = static_cast<int>(std::min<std::size_t>(k + 1, std::numeric_limits<int>::max()));
        const DataLineSplit split = SplitDataLine(lines[k]);
        const bool firstLineOfHeaderless = !hasHeader && k == 0;
        if (split.name.empty() && !firstLineOfHeaderless) {
            if (!IsBlank(lines[k])) {
                warnings.Add(lineNumber, "no specimen name before the numbers (the name must end with a tab at "
                                         "position 1 to 18 or with a blank); line skipped");
            }
            continue;
        }
        float values[4] = {carried[0], carried[1], carried[2], carried[3]};
        const bool stopped = std::is_same_v<Line, std::string> || split.numbers.data() + split.numbers.size() < bytesEnd;
        const NumberScan scan = stopped ? ScanFloatsIn<true>(split.numbers, values, 4)
                                        : ScanFloatsIn<false>(split.numbers, values, 4);
        if (scan.outOfRange) {
            warnings.Add(lineNumber, StringPrintf("number %d is not a finite number within range; line skipped",
                                                  scan.count + 1));
            continue;
        }
        if (scan.count < 4) {
            warnings.Add(lineNumber, StringPrintf("%d of 4 numbers read; the missing ones %s", scan.count,
                                                  anyTaken ? "repeat the previous line's values" : "are 0"));
        }
        if (firstLineOfHeaderless && (split.name.empty() || IsNumberText(split.name))) {
            // Without the "Korvanes-kvd" line a first line that names no
            // specimen (nothing, or a number) may well be meant as the
            // header: say how it was taken.
            warnings.Add(lineNumber,
                         StringPrintf("the file does not begin with the line \"%s\", so this line without a "
                                      "specimen name was read as a measurement (treatment code %g), not as a "
                                      "header: the laboratory field is the default %g \xB5T and the orientation "
                                      "angles are 0",
                                      std::string(kDataFileMagic).c_str(), static_cast<double>(values[0]),
                                      static_cast<double>(doc.m_header.m_labField)));
        }
        doc.m_measurements.push_back({values[0], values[1], values[3], values[2]});
        for (int i = 0; i < 4; ++i) {
            carried[i] = values[i];
        }
        anyTaken = true;
        if (!firstLineOfHeaderless) {
            lastName = split.name;
        }
    }
    if (lastName) {
        doc.m_header.m_specimenName.assign(*lastName);
    }
    if (!anyTaken) {
        warnings.Add(0, "no data line was read");
    }
    return warnings.Take();
}

}  // namespace

std::vector<ReadWarning> ParseDataLines(const std::vector<std::string>& lines, CKorvanesToolDoc& doc)
{
    return ParseLines(lines, doc);
}

std::string DataFileTooLarge()
{
    return StringPrintf("the file is larger than %zu MiB; the data file of one specimen is a few kilobytes",
                        kMaxDataFileBytes >> 20);
}

OpenStatus ReadDataFileInto(const std::string& path, std::string& room, std::string_view& bytes)
{
    OpenStatus status;
    FileView file = ReadFileInto(path, kMaxDataFileBytes, room);
    bytes = file.bytes;
    if (file.tooLarge) {
        file.error = "cannot analyse '" + path + "': " + DataFileTooLarge();
    }
    if (!file.ok()) {
        status.readable = false;
        status.error = std::move(file.error);
    }
    return status;
}

OpenStatus ReadDataFileBytes(const std::string& path, std::string& bytes)
{
    // The room is the string itself: its bytes are read at its start.
    std::string_view read;
    const OpenStatus status = ReadDataFileInto(path, bytes, read);
    bytes.resize(status.readable ? read.size() : 0);
    return status;
}

OpenStatus ParseDataFile(std::string_view bytes, CKorvanesToolDoc& doc)
{
    OpenStatus status;
    // Views into the bytes: no copy of any line. Kept per thread, so that a
    // batch of files allocates nothing here.
    static thread_local std::vector<std::string_view> lines;
    lines.clear();
    SplitInto(bytes, lines);
    doc.m_measurements.reserve(doc.m_measurements.size() + lines.size());
    status.warnings = ParseLines(lines, doc, bytes.data() + bytes.size());
    if (lines.capacity() > 100000) {
        lines = {};  // not kept for the next file: a huge file's lines are many megabytes
    }
    return status;
}

}  // namespace korvanes
