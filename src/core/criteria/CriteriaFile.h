#pragma once
// The binary criteria file (".cri"): 141 bytes, little-endian, field by
// field with no padding. A length-prefixed tag "Criteria", the class A block,
// the class B block (in each block maxIntensityDiff comes before
// maxTailStar), then maximizeQ, allowMt4CheckCorrection and equalAraiScales.

#include <cstddef>
#include <string>
#include <string_view>

#include "criteria/CriteriaSet.h"

namespace korvanes {

inline constexpr std::size_t kCriteriaFileSize = 141;
inline constexpr std::string_view kCriteriaTag = "Criteria";
// The message shown for a file whose tag is not exactly "Criteria".
inline constexpr std::string_view kNoCriteriaFileMessage = "No Criteria File!";

enum class CriteriaFileStatus {
    kOk,
    kCannotOpen,  // the file could not be opened or read
    kWrongTag,    // the tag is not "Criteria" (message "No Criteria File!")
    kDamaged,     // the file ends early or holds a value that is not a finite number
};

// What reading a criteria file gave: the set when status is kOk; otherwise a
// message for the user and a default-constructed set that must not be used.
struct CriteriaFileResult {
    CriteriaFileStatus status = CriteriaFileStatus::kCannotOpen;
    CCriteriaSet criteria;
    std::string message;  // empty when status is kOk

    bool ok() const { return status == CriteriaFileStatus::kOk; }
};

// Whether the reader insists on the tag "Criteria". The start-up load reads
// the tag but does not check it; the dialog's Load does.
enum class TagCheck { kCheck, kSkip };

// The 141 bytes of `criteria` in file order.
std::string EncodeCriteria(const CCriteriaSet& criteria);

// Decodes the bytes of a criteria file. The tag's length byte 255 announces a
// 16-bit length (and a 16-bit 0xFFFF a 32-bit one). Bytes after the last
// field are ignored. Doubles that are not finite make the file damaged.
// `name` is used in messages only.
CriteriaFileResult DecodeCriteria(std::string_view bytes, TagCheck tagCheck, const std::string& name);

// Reads the criteria file at `path`. Never throws; see CriteriaFileResult.
CriteriaFileResult ReadCriteria(const std::string& path, TagCheck tagCheck = TagCheck::kCheck);

struct CriteriaWriteStatus {
    bool ok = false;
    std::string message;  // why the file could not be written; empty when ok
};

// Writes `criteria` to `path`. The bytes go to a new file in the same
// directory first, which replaces `path` only once it is completely written
// and flushed; on any failure an existing file at `path` stays as it was.
CriteriaWriteStatus WriteCriteria(const std::string& path, const CCriteriaSet& criteria);

}  // namespace korvanes
