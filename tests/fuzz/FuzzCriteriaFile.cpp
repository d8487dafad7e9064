// Any bytes as a criteria file, with and without the tag check. Promises
// checked: a set that is read is written back to the same bytes it is read
// from again (a bit-exact round trip), and grading with it works.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "FuzzCheck.h"
#include "analysis/RangeSearch.h"
#include "criteria/CriteriaFile.h"
#include "results/CriteriaMarks.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace korvanes;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    for (const TagCheck tagCheck : {TagCheck::kCheck, TagCheck::kSkip}) {
        const CriteriaFileResult read = DecodeCriteria(bytes, tagCheck, "fuzz.cri");
        fuzz::Require(read.ok() == read.message.empty(), "a message exactly when the file is refused");
        if (!read.ok()) {
            continue;
        }
        const std::string encoded = EncodeCriteria(read.criteria);
        fuzz::Require(encoded.size() == kCriteriaFileSize, "a written set has the file size");
        const CriteriaFileResult again = DecodeCriteria(encoded, TagCheck::kCheck, "again.cri");
        fuzz::Require(again.ok() && again.criteria == read.criteria && EncodeCriteria(again.criteria) == encoded,
                      "a set read back from its bytes is the same, bit for bit");
        CSpecimenResult result;
        result.n = 9;
        result.f = 0.6;
        result.q = 8.0;
        result.paleointensity = 30.0;
        GradeResult(result, read.criteria);
        CriteriaMarks(result, read.criteria);
    }
    return 0;
}
