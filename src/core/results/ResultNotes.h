#pragma once
// Why a result reads as it does, for people: why a specimen has no result,
// and which statistics stand for a check the specimen does not have. Shared
// by the desktop program and the command line.

#include <string>

#include "document/Document.h"

namespace korvanes {

// Why the analysed `doc` has no result (paleointensity 0), or empty when it
// has one.
std::string NoResultReason(const CKorvanesToolDoc& doc);

// For the statistic shown in form field `controlId`: "no pTRM checks",
// "no tail checks" or "no additivity checks" when the analysed `doc` has no
// check of that kind (the statistic is then 0 without meaning), else empty.
std::string MissingCheck(int controlId, const CKorvanesToolDoc& doc);

}  // namespace korvanes
