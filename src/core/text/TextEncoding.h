#pragma once
// Conversions of the program's byte texts. Program texts are Windows-1252
// (the degree sign is 0xB0); specimen names are whatever bytes the data file
// held. A text that is valid UTF-8 is taken as UTF-8, anything else as
// Windows-1252, so both kinds come out readable.

#include <string>
#include <string_view>

namespace korvanes {

std::u32string DecodeText(std::string_view bytes);
std::string ToUtf8(std::string_view bytes);
std::u16string ToUtf16(std::string_view bytes);

// `bytes` as UTF-8 (as ToUtf8) with every control character (C0 with tab,
// CR and line feed, DEL, C1) replaced by "?": the form in which any text that
// came from a file, a cell or a name reaches a terminal, so that such a text
// can neither move the cursor nor start an escape sequence. Line ends are the
// printer's own.
std::string Printable(std::string_view bytes);

// printf-style formatting into a std::string, with the C locale's number
// formats (a decimal point) whatever locale the process has set.
std::string StringPrintf(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace korvanes
