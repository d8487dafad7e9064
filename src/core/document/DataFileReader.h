#pragma once
// Reader of specimen data files (".kvd"), with or without the
// "Korvanes-kvd" header line.

#include <string>
#include <string_view>
#include <vector>

#include "document/Document.h"

namespace korvanes {

// Reads every line of the file at `path` and parses it into `doc` (appends to
// m_measurements, sets the header values and m_specimenName). A file that
// cannot be read leaves the document unchanged and says why.
OpenStatus ReadDataFile(const std::string& path, CKorvanesToolDoc& doc);

// Parses lines whose line ends are already removed. Accepts any bytes.
void ParseDataLines(const std::vector<std::string>& lines, CKorvanesToolDoc& doc);

}  // namespace korvanes
