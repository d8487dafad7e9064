#include "criteria/CriteriaFile.h"

#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <system_error>

#include "io/FileReplace.h"
#include "text/TextEncoding.h"

namespace korvanes {
namespace {

// Bytes of the fields after the tag: two blocks of 60 bytes and three options.
constexpr std::size_t kFieldBytes = 2 * 60 + 3 * 4;
// A criteria file is tiny; anything beyond this is not one, and is not read whole.
constexpr std::size_t kMaxReadBytes = 1 << 20;

void PutInt32(std::string& out, std::int32_t value)
{
    const auto bits = static_cast<std::uint32_t>(value);
    for (int i = 0; i < 4; ++i) {
        out.push_back(static_cast<char>((bits >> (8 * i)) & 0xFFu));
    }
}

void PutDouble(std::string& out, double value)
{
    std::uint64_t bits = 0;
    static_assert(sizeof bits == sizeof value);
    std::memcpy(&bits, &value, sizeof bits);
    for (int i = 0; i < 8; ++i) {
        out.push_back(static_cast<char>((bits >> (8 * i)) & 0xFFu));
    }
}

void PutBlock(std::string& out, const ClassThresholds& t)
{
    PutInt32(out, t.minN);
    PutDouble(out, t.maxSlopeRelStd);
    PutDouble(out, t.minF);
    PutInt32(out, t.minQ);
    PutInt32(out, t.maxMad);
    PutInt32(out, t.maxMadFree);
    PutInt32(out, t.maxAlpha);
    PutInt32(out, t.maxCkError);
    PutInt32(out, t.maxCkDiff);
    PutInt32(out, t.maxDrat);
    PutInt32(out, t.maxIntensityDiff);  // before maxTailStar in the file
    PutInt32(out, t.maxTailStar);
    PutInt32(out, t.maxAc);
}

// Little-endian reader over a byte string; callers check Remaining() first.
class ByteReader {
public:
    explicit ByteReader(std::string_view bytes) : m_bytes(bytes) {}

    std::size_t Position() const { return m_pos; }
    std::size_t Remaining() const { return m_bytes.size() - m_pos; }

    std::uint64_t Unsigned(int count)
    {
        std::uint64_t value = 0;
        for (int i = 0; i < count; ++i) {
            value |= std::uint64_t{static_cast<unsigned char>(m_bytes[m_pos + i])} << (8 * i);
        }
        m_pos += static_cast<std::size_t>(count);
        return value;
    }

    std::int32_t Int32() { return static_cast<std::int32_t>(static_cast<std::uint32_t>(Unsigned(4))); }

    double Double()
    {
        const std::uint64_t bits = Unsigned(8);
        double value = 0.0;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }

    std::string_view Take(std::size_t count)
    {
        const std::string_view part = m_bytes.substr(m_pos, count);
        m_pos += count;
        return part;
    }

private:
    std::string_view m_bytes;
    std::size_t m_pos = 0;
};

void GetBlock(ByteReader& in, ClassThresholds& t)
{
    t.minN = in.Int32();
    t.maxSlopeRelStd = in.Double();
    t.minF = in.Double();
    t.minQ = in.Int32();
    t.maxMad = in.Int32();
    t.maxMadFree = in.Int32();
    t.maxAlpha = in.Int32();
    t.maxCkError = in.Int32();
    t.maxCkDiff = in.Int32();
    t.maxDrat = in.Int32();
    t.maxIntensityDiff = in.Int32();
    t.maxTailStar = in.Int32();
    t.maxAc = in.Int32();
}

CriteriaFileResult Failure(CriteriaFileStatus status, std::string message)
{
    CriteriaFileResult result;
    result.status = status;
    result.message = std::move(message);
    return result;
}

CriteriaFileResult EndsEarly(const std::string& name, std::size_t have, std::size_t need)
{
    if (have == 0) {
        return Failure(CriteriaFileStatus::kDamaged, StringPrintf("The criteria file \"%s\" is empty.", name.c_str()));
    }
    return Failure(CriteriaFileStatus::kDamaged,
                   StringPrintf("The criteria file \"%s\" is damaged: it ends after %zu bytes, %zu are needed.",
                                name.c_str(), have, need));
}

std::string SystemReason(int error) { return std::generic_category().message(error); }

}  // namespace

std::string EncodeCriteria(const CCriteriaSet& criteria)
{
    std::string out;
    out.reserve(kCriteriaFileSize);
    out.push_back(static_cast<char>(kCriteriaTag.size()));
    out.append(kCriteriaTag);
    PutBlock(out, criteria.classA);
    PutBlock(out, criteria.classB);
    PutInt32(out, criteria.maximizeQ);
    PutInt32(out, criteria.allowMt4CheckCorrection);
    PutInt32(out, criteria.equalAraiScales);
    return out;
}

CriteriaFileResult DecodeCriteria(std::string_view bytes, TagCheck tagCheck, const std::string& name)
{
    ByteReader in(bytes);
    if (in.Remaining() < 1) {
        return EndsEarly(name, bytes.size(), kCriteriaFileSize);
    }
    std::uint64_t tagLength = in.Unsigned(1);
    if (tagLength == 0xFF) {
        if (in.Remaining() < 2) {
            return EndsEarly(name, bytes.size(), in.Position() + 2);
        }
        tagLength = in.Unsigned(2);
        if (tagLength == 0xFFFF) {
            if (in.Remaining() < 4) {
                return EndsEarly(name, bytes.size(), in.Position() + 4);
            }
            tagLength = in.Unsigned(4);
        }
    }
    if (tagCheck == TagCheck::kCheck && tagLength != kCriteriaTag.size()) {
        return Failure(CriteriaFileStatus::kWrongTag, std::string(kNoCriteriaFileMessage));
    }
    if (in.Remaining() < tagLength) {
        return EndsEarly(name, bytes.size(), in.Position() + tagLength + kFieldBytes);
    }
    const std::string_view tag = in.Take(static_cast<std::size_t>(tagLength));
    if (tagCheck == TagCheck::kCheck && tag != kCriteriaTag) {
        return Failure(CriteriaFileStatus::kWrongTag, std::string(kNoCriteriaFileMessage));
    }
    if (in.Remaining() < kFieldBytes) {
        return EndsEarly(name, bytes.size(), in.Position() + kFieldBytes);
    }

    CriteriaFileResult result;
    GetBlock(in, result.criteria.classA);
    GetBlock(in, result.criteria.classB);
    result.criteria.maximizeQ = in.Int32();
    result.criteria.allowMt4CheckCorrection = in.Int32();
    result.criteria.equalAraiScales = in.Int32();

    const struct {
        const char* what;
        double value;
    } doubles[] = {
        {"class A standard deviation", result.criteria.classA.maxSlopeRelStd},
        {"class A fraction f", result.criteria.classA.minF},
        {"class B standard deviation", result.criteria.classB.maxSlopeRelStd},
        {"class B fraction f", result.criteria.classB.minF},
    };
    for (const auto& d : doubles) {
        if (!std::isfinite(d.value)) {
            return Failure(CriteriaFileStatus::kDamaged,
                           StringPrintf("The criteria file \"%s\" is damaged: the %s is not a finite number.",
                                        name.c_str(), d.what));
        }
    }
    result.status = CriteriaFileStatus::kOk;
    return result;
}

CriteriaFileResult ReadCriteria(const std::string& path, TagCheck tagCheck)
{
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        const int error = errno;
        return Failure(CriteriaFileStatus::kCannotOpen, StringPrintf("Cannot open the criteria file \"%s\": %s.",
                                                                     path.c_str(), SystemReason(error).c_str()));
    }
    std::string bytes;
    char buffer[4096];
    while (bytes.size() < kMaxReadBytes) {
        const std::size_t got = std::fread(buffer, 1, sizeof buffer, file);
        bytes.append(buffer, got);
        if (got < sizeof buffer) {
            break;
        }
    }
    const bool readError = std::ferror(file) != 0;
    const int error = errno;
    std::fclose(file);
    if (readError) {
        return Failure(CriteriaFileStatus::kCannotOpen, StringPrintf("Cannot read the criteria file \"%s\": %s.",
                                                                     path.c_str(), SystemReason(error).c_str()));
    }
    return DecodeCriteria(bytes, tagCheck, path);
}

CriteriaWriteStatus WriteCriteria(const std::string& path, const CCriteriaSet& criteria)
{
    if (const auto reason = ReplaceFileContents(path, EncodeCriteria(criteria))) {
        return CriteriaWriteStatus{false, StringPrintf("Cannot write the criteria file \"%s\": %s.", path.c_str(),
                                                       reason->c_str())};
    }
    return CriteriaWriteStatus{true, {}};
}

}  // namespace korvanes
