#include "KorvanesToolApp.h"

#include <QtGlobal>

#include "MainFrame.h"

// The icons are compiled into the program's library, which the linker keeps
// only when something asks for them by name.
static void InitResources() { Q_INIT_RESOURCE(korvanestool); }

namespace korvanes::gui {

void InitGuiResources()
{
    static const bool done = [] {
        InitResources();
        return true;
    }();
    (void)done;
}

CKorvanesToolApp::CKorvanesToolApp(std::unique_ptr<SettingsStore> settings) : m_settings(std::move(settings))
{
    InitGuiResources();
}

CKorvanesToolApp::~CKorvanesToolApp() = default;

bool CKorvanesToolApp::InitInstance(const QStringList& files, const QStringList& study, const QString& samples,
                                    const QString& sites)
{
    m_windowSettings.Load(*m_settings);
    LoadStartupCriteria(m_criteria, *m_settings);
    m_recentFiles.Load(*m_settings);
    m_mainFrame = std::make_unique<CMainFrame>(*this);
    m_mainFrame->OpenFiles(files);
    m_mainFrame->ShowWithPlacement();
    if (!study.isEmpty()) {
        m_mainFrame->OpenStudyPaths({study.back()}, samples, sites);
    }
    return true;
}

QPrinter& CKorvanesToolApp::Printer()
{
    if (!m_printer) {
        m_printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    }
    return *m_printer;
}

void CKorvanesToolApp::ExitInstance()
{
    if (m_exited) {
        return;
    }
    m_exited = true;
    m_windowSettings.Store(*m_settings);
    StoreCriteriaPath(m_criteria, *m_settings);
}

}  // namespace korvanes::gui
