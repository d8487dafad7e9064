#pragma once
// The Study menu's site commands: the settings of the site means (kept per
// user), the sites table beside the study, and the MagIC samples and sites
// tables of the study's means.

#include "criteria/SettingsStore.h"
#include "study/SiteMeans.h"

class QWidget;

namespace korvanes::gui {

class StudySession;

SiteMeanSettings LoadSiteSettings(const SettingsStore& settings);
void StoreSiteSettings(SettingsStore& settings, const SiteMeanSettings& value);

// Asks for the site settings; false when cancelled (`value` unchanged).
bool EditSiteSettings(QWidget* parent, SiteMeanSettings& value);

// Creates the sites table beside the study with empty cells when there is
// none, and says where it is and whether it can be used.
void ShowSitesTable(QWidget* parent, StudySession& session);

// Writes samples.txt and sites.txt (MagIC) into a folder the user chooses,
// asking before replacing either.
void SaveSiteTables(QWidget* parent, StudySession& session);

}  // namespace korvanes::gui
