#include "results/ResultsTable.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "text/OutputNumbers.h"
#include "text/TextEncoding.h"

namespace korvanes {
namespace {

// How much of the first line the header check looks at.
constexpr std::size_t kCheckedLineLength = 198;

std::string Reason(int error) { return std::generic_category().message(error); }

AppendStatus Error(const char* what, const std::string& path, int error)
{
    return {AppendOutcome::kError, StringPrintf("Cannot %s the results file \"%s\": %s.", what, path.c_str(),
                                                Reason(error).c_str())};
}

// Writes all of `bytes` through an unbuffered stream, flushes and closes it.
// Returns 0 or the error number.
int WriteAndClose(std::FILE* file, const std::string& bytes)
{
    int error = 0;
    if (std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size()) {
        error = errno != 0 ? errno : EIO;
    }
    if (std::fflush(file) != 0 && error == 0) {
        error = errno != 0 ? errno : EIO;
    }
    if (std::fclose(file) != 0 && error == 0) {
        error = errno != 0 ? errno : EIO;
    }
    return error;
}

AppendStatus CreateWithLine(const std::string& path, const std::string& line)
{
    // "x": never take over a file that appeared since the check.
    std::FILE* file = std::fopen(path.c_str(), "wbx");
    if (file == nullptr) {
        return Error("create", path, errno);
    }
    const int error = WriteAndClose(file, ResultsHeaderLine() + line);
    if (error != 0) {
        std::error_code ignored;
        std::filesystem::remove(path, ignored);  // our own, incomplete file
        return Error("write", path, error);
    }
    return {};
}

}  // namespace

const char* CoordinateCode(int coordinates)
{
    switch (coordinates) {
    case kGeographic:
        return "IS";
    case kBedding:
        return "BC";
    default:
        return "CC";
    }
}

ResultValues ResultValuesFromDocument(const CKorvanesToolDoc& doc)
{
    ResultValues v;
    v.name = doc.m_header.m_specimenName;
    v.labField = static_cast<double>(doc.m_header.m_labField);
    v.coordinates = CoordinateCode(doc.m_options.m_coordinates);
    v.result = doc.m_result;
    return v;
}

const std::string& ResultsHeaderLine()
{
    static const std::string header =
        "Name\tLabfield\tPaleoint\tStddev\tTmin\tTmax\tN\tslope\tStd/slope\tf\tg\tq\tw\tTRM\tNRMt\t"
        "Inc anchored\tDec anchored\tMad anchored\tInc free\tDec free\tMad free\tAlpha\tCoordinates\tType\tClass\t"
        "CK-error\tCK-diff\tDrat\td(t*)\td(TR)\td(AC)\r\n";
    return header;
}

std::string FormatResultLine(const ResultValues& v)
{
    const CSpecimenResult& r = v.result;
    const auto num = FiniteOrZero;
    // The texts are appended as they are rather than through %s, so that any
    // byte of a name survives.
    std::string line = v.name;
    line += StringPrintf("\t%.1f\t%.2f\t%.2f\t%d\t%d\t%d\t%.2f\t%.2f\t%.2f\t%.2f\t%.1f\t%.1f\t%.1f\t%.1f\t%.1f\t%.1f\t"
                         "%.1f\t%.1f\t%.1f\t%.1f\t%.1f\t",
                         num(v.labField), num(r.paleointensity), num(r.stdDev), r.tMin, r.tMax, r.n, num(r.slope),
                         num(r.slopeRelStd), num(r.f), num(r.g), num(r.q), num(r.w), num(r.trm), num(r.nrmT),
                         num(r.incAnchored), num(r.decAnchored), num(r.madAnchored), num(r.incFree), num(r.decFree),
                         num(r.madFree), num(r.alpha));
    line += v.coordinates;
    line += '\t';
    line += r.methodType;
    line += '\t';
    line += r.resultClass;
    line += StringPrintf("\t%.1f\t%.1f\t%.1f\t%.1f\t%.1f\t%.1f\r\n", num(r.ckError), num(r.ckDiff), num(r.drat),
                         num(r.dTStar), num(r.dTR), num(r.dAC));
    return line;
}

AppendStatus CheckResultsFile(const std::string& path)
{
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        const int error = errno;
        if (error == ENOENT) {
            return {};  // created on the first append
        }
        return Error("read", path, error);
    }
    std::string firstLine;
    int c = 0;
    while (firstLine.size() < kCheckedLineLength && (c = std::fgetc(file)) != EOF && c != '\n') {
        firstLine.push_back(static_cast<char>(c));
    }
    const bool readError = std::ferror(file) != 0;
    const int error = errno;
    std::fclose(file);
    if (readError) {
        return Error("read", path, error);
    }
    const std::size_t at = firstLine.find("Paleoint");
    if (at == std::string::npos || at == 0) {
        return {AppendOutcome::kRefused, std::string(kNotAResultsFileMessage)};
    }
    return {};
}

AppendStatus AppendCheckedResult(const std::string& path, const std::string& line)
{
    std::error_code statusError;
    const auto type = std::filesystem::status(path, statusError).type();
    if (type == std::filesystem::file_type::not_found) {
        return CreateWithLine(path, line);  // first line of a new file, after its header
    }
    std::FILE* file = std::fopen(path.c_str(), "ab");
    if (file == nullptr) {
        return Error("append to", path, errno);
    }
    // Unbuffered, so the line goes out in one write rather than in buffer-sized pieces.
    if (std::setvbuf(file, nullptr, _IONBF, 0) != 0 || std::fseek(file, 0, SEEK_END) != 0) {
        const int error = errno;
        std::fclose(file);
        return Error("append to", path, error);
    }
    const long oldSize = std::ftell(file);
    if (oldSize < 0) {
        const int error = errno;
        std::fclose(file);
        return Error("append to", path, error);
    }
    const int error = WriteAndClose(file, line);
    if (error != 0) {
        // Cut off whatever part of the line did reach the file.
        std::error_code ec;
        std::filesystem::resize_file(path, static_cast<std::uintmax_t>(oldSize), ec);
        return Error("append to", path, error);
    }
    return {};
}

AppendStatus AppendResult(const std::string& path, const std::string& line)
{
    AppendStatus status = CheckResultsFile(path);
    if (!status.ok()) {
        return status;
    }
    return AppendCheckedResult(path, line);
}

}  // namespace korvanes
