#pragma once
// The main window: menus, toolbar and status bar around the area in which
// the document windows live. It opens data files (the Open command, the
// recent-file list, files dropped on it) and keeps its own placement in the
// settings.

#include <QMainWindow>
#include <QPointer>
#include <memory>
#include <vector>

class QAction;
class QDockWidget;
class QMdiArea;
class QUndoGroup;
class QMdiSubWindow;
class QMenu;

namespace korvanes::gui {

class CChildFrame;
class CKorvanesToolApp;
class OpenDocument;
class SiteDiagramDock;
class StudyDock;
class StudySession;
class StatisticsDock;

class CMainFrame final : public QMainWindow {
    Q_OBJECT
public:
    explicit CMainFrame(CKorvanesToolApp& app);
    ~CMainFrame() override;

    // Opens each file in its own document window. A file that cannot be read
    // is reported (naming the file and the reason) and the others are still
    // opened. Returns the number of files opened.
    int OpenFiles(const QStringList& paths);
    // Opens one data file, or brings its window forward when it is open
    // already. Null when the file could not be read (reported).
    CChildFrame* OpenDocumentFile(const QString& path);

    // Opens the study of a folder, of several data files, of a MagIC file
    // (with its samples and sites tables when given) or of a study file, in
    // place of the study open now. False when nothing was opened (the user
    // has been told why).
    bool OpenStudyPaths(const QStringList& paths, const QString& samples = {}, const QString& sites = {});
    StudySession* Study() const { return m_study.get(); }
    StudyDock* StudyTable() const { return m_studyDock; }
    SiteDiagramDock* SiteDiagram() const { return m_siteDiagram; }
    CChildFrame* StudyFrame() const;
    // Shows the next (1) or previous (-1) specimen in the study table's order.
    void StepSpecimen(int direction);

    // Shows the window with the placement stored at the last close.
    void ShowWithPlacement();

    // The active document window, or null.
    CChildFrame* ActiveFrame() const;
    std::vector<CChildFrame*> Frames() const;
    QMdiArea* MdiArea() const { return m_mdiArea; }
    // The undo histories of the open documents; the active one is the
    // active window's.
    QUndoGroup* UndoGroup() const { return m_undoGroup; }
    StatisticsDock* Statistics() const { return m_statistics; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    // Lets Undo and Redo reach the analysis choices from a text box that has
    // no typing of its own to undo.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateActions();
    void CreateMenus();
    void CreateToolBar();
    void CreateStatusBar();

    void OnOpen();
    void OnSaveGraph();
    void OnCopy();
    void OnPrint();
    void OnPrintPreview();
    void OnPrintSetup();
    void OnCriteria();
    void OnRangeMap();
    void OnSaveResults(CChildFrame* frame);
    void OnViewRawData(CChildFrame* frame);
    void OnNewWindow();
    void OnAbout();
    void OnOpenStudy();
    void OnOpenStudyFolder();
    void OnSaveStudyAs();
    void OnSaveStudyResults();
    // Asks for the results file to append to (remembered for the run);
    // empty when the user cancels.
    QString ChooseResultsFile(const QString& caption);
    void OnNameRule();
    void CloseStudy();
    void UpdateStudyActions();
    void OnActiveFrameChanged();
    void ShowZoomOfActiveFrame();
    void UpdateRecentFileMenu();
    void UpdateWindowMenu();
    CChildFrame* AddFrame(const std::shared_ptr<OpenDocument>& document);
    void NumberWindows(const OpenDocument& document);
    void StorePlacement();

    CKorvanesToolApp& m_app;
    QMdiArea* m_mdiArea;
    QUndoGroup* m_undoGroup;
    std::unique_ptr<StudySession> m_study;
    StudyDock* m_studyDock = nullptr;
    SiteDiagramDock* m_siteDiagram = nullptr;
    QPointer<CChildFrame> m_studyFrame;
    QDockWidget* m_undoDock = nullptr;
    QString m_lastFolder;
    QString m_resultsFolder;

    struct Actions {
        QAction* newFile = nullptr;
        QAction* open = nullptr;
        QAction* close = nullptr;
        QAction* closeAll = nullptr;
        QAction* saveGraph = nullptr;
        QAction* print = nullptr;
        QAction* printPreview = nullptr;
        QAction* printSetup = nullptr;
        QAction* exit = nullptr;
        QAction* undo = nullptr;
        QAction* redo = nullptr;
        QAction* cut = nullptr;
        QAction* copy = nullptr;
        QAction* paste = nullptr;
        QAction* criteria = nullptr;
        QAction* newWindow = nullptr;
        QAction* cascade = nullptr;
        QAction* tile = nullptr;
        QAction* arrangeIcons = nullptr;
        QAction* split = nullptr;
        QAction* rangeMap = nullptr;
        QAction* fitToWindow = nullptr;
        QAction* zoomIn = nullptr;
        QAction* zoomOut = nullptr;
        QAction* about = nullptr;
        QAction* openStudy = nullptr;
        QAction* openStudyFolder = nullptr;
        QAction* saveStudyAs = nullptr;
        QAction* saveStudyResults = nullptr;
        QAction* closeStudy = nullptr;
        QAction* nameRule = nullptr;
        QAction* siteSettings = nullptr;
        QAction* sitesTable = nullptr;
        QAction* saveSiteTables = nullptr;
        QAction* nextSpecimen = nullptr;
        QAction* previousSpecimen = nullptr;
        QAction* recentSeparator = nullptr;
        std::vector<QAction*> recent;
    } m_actions;
    StatisticsDock* m_statistics = nullptr;
    QMenu* m_editMenu = nullptr;
    QMenu* m_windowMenu = nullptr;
    std::vector<QAction*> m_windowListActions;
};

}  // namespace korvanes::gui
