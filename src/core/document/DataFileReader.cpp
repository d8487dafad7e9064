#include "document/DataFileReader.h"

namespace korvanes {

OpenStatus ReadDataFile(const std::string& path, CKorvanesToolDoc& doc)
{
    (void)path;
    (void)doc;
    return {};
}

void ParseDataLines(const std::vector<std::string>& lines, CKorvanesToolDoc& doc)
{
    (void)lines;
    (void)doc;
}

}  // namespace korvanes
