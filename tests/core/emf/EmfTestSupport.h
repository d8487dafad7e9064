#pragma once
// Helpers of the metafile tests: a measurer with known widths, and a reader
// that walks the records with libUEMF and runs its safety checks.

#include <algorithm>
#include <cstdint>
#include <limits>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "plots/ArialMetrics.h"
#include "plots/DrawingSurface.h"
#include "text/TextEncoding.h"

extern "C" {
#include <uemf.h>
#include <uemf_safe.h>
}

namespace korvanes::emftest {

// Every character is half the em wide, truncated: 7 units in the writer's
// em of 14 (a cell of 16, the default size). Requests by cell height are
// turned into the em by the same rule as the writer's.
class HalfEmMeasurer final : public TextMeasurer {
public:
    int TextWidth(std::string_view text, int height) const override
    {
        ++calls;
        const int em = height < 0 ? -height : ArialEmForCellHeight(height);
        const int perCharacter = em / 2;
        const auto width = static_cast<long long>(DecodeText(text).size()) * perCharacter;
        return static_cast<int>(std::min<long long>(width, std::numeric_limits<int>::max()));
    }
    mutable int calls = 0;
};

struct Record {
    std::uint32_t type = 0;
    std::uint32_t size = 0;
    std::size_t offset = 0;  // from the start of the file
};

// Walks every record of `bytes` as libUEMF reads them: each record must lie
// inside the file, have a size that is a non-zero multiple of four, and pass
// libUEMF's safety check. Failures are reported to the running test.
inline std::vector<Record> WalkRecords(const std::vector<std::uint8_t>& bytes)
{
    std::vector<Record> records;
    std::size_t offset = 0;
    while (offset + sizeof(U_EMR) <= bytes.size()) {
        U_EMR emr;
        std::memcpy(&emr, bytes.data() + offset, sizeof emr);
        if (emr.nSize < 8 || emr.nSize % 4 != 0 || emr.nSize > bytes.size() - offset) {
            ADD_FAILURE() << "record at " << offset << " has bad size " << emr.nSize;
            return records;
        }
        const auto* data = reinterpret_cast<const char*>(bytes.data() + offset);
        EXPECT_NE(U_emf_record_safe(data), 0) << "libUEMF rejects record type " << emr.iType << " at " << offset;
        records.push_back(Record{emr.iType, emr.nSize, offset});
        offset += emr.nSize;
        if (emr.iType == U_EMR_EOF) {
            break;
        }
    }
    EXPECT_EQ(offset, bytes.size()) << "bytes after the end-of-file record or a truncated record";
    return records;
}

// A copy of the record at `offset` as the libUEMF structure T; fields
// beyond the record's own size (the optional tail of a font record) are zero.
template <typename T>
T RecordAs(const std::vector<std::uint8_t>& bytes, std::size_t offset)
{
    T value{};
    U_EMR emr;
    std::memcpy(&emr, bytes.data() + offset, sizeof emr);
    std::memcpy(&value, bytes.data() + offset, std::min<std::size_t>(sizeof value, emr.nSize));
    return value;
}

inline U_EMRHEADER Header(const std::vector<std::uint8_t>& bytes)
{
    return RecordAs<U_EMRHEADER>(bytes, 0);
}

inline std::vector<std::uint32_t> Types(const std::vector<Record>& records)
{
    std::vector<std::uint32_t> types;
    for (const Record& r : records) {
        types.push_back(r.type);
    }
    return types;
}

inline int Count(const std::vector<Record>& records, std::uint32_t type)
{
    int n = 0;
    for (const Record& r : records) {
        n += r.type == type ? 1 : 0;
    }
    return n;
}

// The UTF-16 text of an EMR_EXTTEXTOUTW record and its advances.
struct TextRecord {
    U_EMREXTTEXTOUTW fixed;
    std::u16string text;
    std::vector<std::int32_t> dx;
};

inline TextRecord ReadText(const std::vector<std::uint8_t>& bytes, const Record& r)
{
    TextRecord t;
    t.fixed = RecordAs<U_EMREXTTEXTOUTW>(bytes, r.offset);
    const U_EMRTEXT& et = t.fixed.emrtext;
    for (std::uint32_t i = 0; i < et.nChars; ++i) {
        std::uint16_t unit = 0;
        std::memcpy(&unit, bytes.data() + r.offset + et.offString + 2 * i, 2);
        t.text.push_back(static_cast<char16_t>(unit));
    }
    std::uint32_t offDx = 0;
    std::memcpy(&offDx, bytes.data() + r.offset + sizeof(U_EMREXTTEXTOUTW) + sizeof(U_RECTL), 4);
    for (std::uint32_t i = 0; i < et.nChars; ++i) {
        std::int32_t dx = 0;
        std::memcpy(&dx, bytes.data() + r.offset + offDx + 4 * i, 4);
        t.dx.push_back(dx);
    }
    return t;
}

}  // namespace korvanes::emftest
