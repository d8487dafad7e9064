#include "MagicInputFiles.h"

#include <fstream>

#include "magic/MagicFiles.h"
#include "text/TextEncoding.h"

namespace korvanes::report {

bool IsMagicFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    char head[kMagicHeadBytes];
    in.read(head, sizeof head);
    return magic::LooksLikeMagicText(std::string_view(head, static_cast<std::size_t>(in.gcount())));
}

magic::MagicImport ImportMagicInput(const std::string& file, const MagicInputOptions& options)
{
    return magic::ImportMagicFiles({file, options.samples, options.sites});
}

std::string ProblemText(const std::string& file, const magic::ImportMessage& problem)
{
    return Printable(file + (problem.line > 0 ? StringPrintf(":%d", problem.line) : "") + ": " + problem.text);
}

}  // namespace korvanes::report
