#pragma once
// The MagIC import on files: reading the tables, writing the data files, and
// opening an imported specimen in memory exactly as its written file opens.

#include <string>
#include <vector>

#include "document/Document.h"
#include "magic/MagicImport.h"

namespace korvanes::magic {

struct MagicSources {
    std::string measurements;  // a measurements table or a contribution holding one
    std::string samples;       // optional: a samples table or a contribution holding one
    std::string sites;         // optional: a sites table (bedding) or a contribution holding one
};

// Reads the files and imports the measurements. Orientation comes from the
// samples file's samples table; bedding the samples lack comes from the sites
// file, else from a sites table in the samples file; which sample a
// specimen belongs to, when the measurements do not say, from a specimens
// table in the samples or the measurements file. Without a samples file, a
// contribution's own samples and sites tables serve. Each specimen's sample
// and site, and where each site lies (SitePlace), come from the same tables.
// A file that cannot be read,
// is no MagIC text, or lacks the table it was given for sets `error`.
MagicImport ImportMagicFiles(const MagicSources& sources);

// The same import on texts already read. `samples` and `sites` may be null;
// the names stand for them in messages.
struct MagicTexts {
    const MagicText* measurements = nullptr;
    std::string measurementsName;
    const MagicText* samples = nullptr;
    std::string samplesName;
    const MagicText* sites = nullptr;
    std::string sitesName;
};
MagicImport ImportMagicTexts(const MagicTexts& texts);

struct WriteOutcome {
    std::vector<std::string> written;   // paths, in import order
    std::vector<std::string> failures;  // "PATH: reason"

    bool ok() const { return failures.empty(); }
};

// Writes every imported specimen's data file into `folder` (created when
// missing). Each file is written completely or not at all; an existing file
// of the same name is replaced.
WriteOutcome WriteImportedSpecimens(const MagicImport& imported, const std::string& folder);

// Fills a fresh document from an imported specimen through the data-file
// parser, as opening its written file would; m_pathName is `sourcePath`.
OpenStatus OpenImportedSpecimen(const ImportedSpecimen& specimen, const std::string& sourcePath, CKorvanesToolDoc& doc);

}  // namespace korvanes::magic
