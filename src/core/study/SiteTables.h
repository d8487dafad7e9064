#pragma once
// A study's sample and site means as MagIC data model 3 `samples` and
// `sites` tables, ready to upload beside its specimens table. Values in the
// units the data model gives their columns (tesla, A m², degrees).

#include <string>
#include <string_view>
#include <vector>

#include "magic/MagicSpecimens.h"
#include "study/SiteMeans.h"
#include "study/Study.h"

namespace korvanes {

// The columns written, in order.
const std::vector<magic::SpecimenColumn>& SampleTableColumns();
const std::vector<magic::SpecimenColumn>& SiteTableColumns();

// One row per sample with a counted specimen, in the summary's order; the
// summary must be of `study`'s estimates (EstimatesOfStudy). result_quality
// is "g" (a sample has no test of its own).
std::vector<std::vector<std::string>> SampleRows(const Study& study, const SiteSummary& summary);
// One row per site with a counted specimen: result_quality "g" when the
// site is accepted, else "b" with the reasons in `description`; vadm,
// vadm_sigma and vadm_n_samples where the latitude is known, vdm and
// vdm_sigma where the inclination is; lon in 0..360.
std::vector<std::vector<std::string>> SiteRows(const Study& study, const SiteSummary& summary);

// "tab\tNAME", the column names and the rows, each line ending in "\n".
std::string MagicTableText(std::string_view name, const std::vector<magic::SpecimenColumn>& columns,
                           const std::vector<std::vector<std::string>>& rows);

// The study's site summary: its estimates, with the sites' places from the
// MagIC tables and, overriding them value by value, from `sitesFile`.
SiteSummary SummariseStudy(const Study& study, const SiteMeanSettings& settings, const SiteLocations& sitesFile);

}  // namespace korvanes
