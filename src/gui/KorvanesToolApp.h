#pragma once
// The desktop program as a whole: start-up, exit and what lives as long as
// the program runs — the settings, the application's criteria, the settings
// of document windows, the recent-file list and the main window.

#include <QPrinter>
#include <QStringList>
#include <memory>

#include "DocumentWindowSettings.h"
#include "ProgramVersion.h"
#include "RecentFileList.h"
#include "criteria/ApplicationCriteria.h"

namespace korvanes::gui {

class CMainFrame;

// Makes the program's icons available (once; any later call does nothing).
void InitGuiResources();

// The program's version as the about box and --version show it.
inline constexpr const char* kProgramVersion = korvanes::kVersion;

class CKorvanesToolApp {
public:
    // `settings` is where settings are read and written; the program passes
    // its QSettings store, tests may pass another.
    explicit CKorvanesToolApp(std::unique_ptr<SettingsStore> settings);
    ~CKorvanesToolApp();

    // Start-up: reads the settings, loads the criteria of the last run,
    // creates the main window, opens the data files named in `files` and
    // shows the main window with its stored placement.
    // Opens `files`, and the study at study[0] when given (with the MagIC
    // samples and sites tables for a MagIC file).
    bool InitInstance(const QStringList& files, const QStringList& study = {}, const QString& samples = {},
                      const QString& sites = {});

    // Exit: writes the document-window settings that changed and the
    // criteria path. Safe to call more than once.
    void ExitInstance();

    CMainFrame* MainFrame() const { return m_mainFrame.get(); }
    SettingsStore& Settings() { return *m_settings; }
    ApplicationCriteria& Criteria() { return m_criteria; }
    DocumentWindowSettings& WindowSettings() { return m_windowSettings; }
    RecentFileList& RecentFiles() { return m_recentFiles; }
    // The printer that Print Setup sets up and Print and Print Preview use.
    QPrinter& Printer();
    // The name the results-file chooser offers: the last chosen file's name
    // (without its folder), for every document, as long as the program runs.
    QString& ResultsFileName() { return m_resultsFileName; }

private:
    std::unique_ptr<SettingsStore> m_settings;
    ApplicationCriteria m_criteria;
    DocumentWindowSettings m_windowSettings;
    RecentFileList m_recentFiles;
    std::unique_ptr<QPrinter> m_printer;
    QString m_resultsFileName = QStringLiteral("*.krv");
    std::unique_ptr<CMainFrame> m_mainFrame;
    bool m_exited = false;
};

}  // namespace korvanes::gui
