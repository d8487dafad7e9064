#include "MainFrame.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QDockWidget>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMdiArea>
#include <QMenuBar>
#include <QMimeData>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QUndoGroup>
#include <QUndoView>
#include <QWindow>

#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrintPreviewDialog>

#include "AboutBox.h"
#include "ChildFrame.h"
#include "CriteriaDialog.h"
#include "GraphExport.h"
#include "KorvanesToolView.h"
#include "Printing.h"
#include "RawDataViewer.h"
#include "ResultForm.h"
#include "ResultsSaving.h"
#include "text/TextEncoding.h"
#include "KorvanesToolApp.h"
#include "Messages.h"
#include "StatisticsDock.h"
#include "OpenDocument.h"
#include "WindowPlacement.h"
#include "criteria/ApplicationCriteria.h"
#include "magic/MagicSpecimens.h"
#include "study/SiteCommands.h"
#include "study/SiteDiagramDock.h"
#include "study/StudyDock.h"
#include "study/StudyOpening.h"
#include "study/StudySession.h"
#include "results/ResultNotes.h"

namespace korvanes::gui {
namespace {

constexpr const char* kWindowPosKey = "WindowPos";

QIcon ThemeIcon(const char* themeName, const char* ownName)
{
    return QIcon::fromTheme(QString::fromLatin1(themeName),
                            QIcon(QStringLiteral(":/icons/%1.svg").arg(QString::fromLatin1(ownName))));
}

QAction* MakeAction(QObject* parent, const QString& text, const QString& statusTip, const QIcon& icon = {})
{
    auto* action = new QAction(icon, text, parent);
    action->setStatusTip(statusTip);
    return action;
}

// The data files among dropped URLs.
QStringList LocalFiles(const QMimeData* data)
{
    QStringList files;
    if (data == nullptr || !data->hasUrls()) {
        return files;
    }
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile()) {
            files << url.toLocalFile();
        }
    }
    return files;
}

}  // namespace

CMainFrame::CMainFrame(CKorvanesToolApp& app) : m_app(app), m_mdiArea(new QMdiArea), m_undoGroup(new QUndoGroup(this))
{
    setWindowTitle(kProgramName);
    setWindowIcon(QIcon(QStringLiteral(":/icons/korvanestool.svg")));
    setObjectName(QStringLiteral("mainFrame"));
    m_mdiArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_mdiArea->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_mdiArea->setBackground(palette().brush(QPalette::Dark));
    setCentralWidget(m_mdiArea);
    setAcceptDrops(true);
    setDockNestingEnabled(true);
    m_lastFolder = QDir::currentPath();
    qApp->installEventFilter(this);

    m_statistics = new StatisticsDock(m_app.Settings(), this);
    addDockWidget(Qt::RightDockWidgetArea, m_statistics);
    m_statistics->setVisible(m_statistics->StoredShown());
    m_studyDock = new StudyDock(m_app.Settings(), this);
    addDockWidget(Qt::LeftDockWidgetArea, m_studyDock);
    // The study table's verdict column follows the set the panel evaluates.
    connect(m_statistics, &StatisticsDock::CriteriaSetChanged, this, [this] {
        if (m_study) {
            m_study->Model().SetCriteriaSet(m_statistics->CriteriaSet());
        }
    });
    m_studyDock->hide();
    m_siteDiagram = new SiteDiagramDock(this);
    addDockWidget(Qt::BottomDockWidgetArea, m_siteDiagram);
    m_siteDiagram->hide();

    CreateActions();
    CreateMenus();
    CreateToolBar();
    CreateStatusBar();
    connect(m_mdiArea, &QMdiArea::subWindowActivated, this, &CMainFrame::OnActiveFrameChanged);
    OnActiveFrameChanged();
    UpdateStudyActions();
}

CMainFrame::~CMainFrame()
{
    // The document windows end with the window area, after this object's
    // own parts: what they announce about their end is no longer heard.
    // (Closed windows waiting for deletion are no longer in the area's list.)
    for (CChildFrame* frame : m_mdiArea->findChildren<CChildFrame*>()) {
        disconnect(frame, nullptr, this, nullptr);
    }
}

void CMainFrame::CreateActions()
{
    Actions& a = m_actions;
    a.newFile = MakeAction(this, tr("&New"), tr("Create a new document"), ThemeIcon("document-new", "new"));
    a.newFile->setShortcuts(QKeySequence::New);
    a.newFile->setEnabled(false);  // a document only comes from a data file

    a.open = MakeAction(this, tr("&Open..."), tr("Open an existing data file"), ThemeIcon("document-open", "open"));
    a.open->setShortcuts(QKeySequence::Open);
    connect(a.open, &QAction::triggered, this, &CMainFrame::OnOpen);

    a.openStudy = MakeAction(this, tr("Open &Study..."),
                             tr("Open several data files, a MagIC file or a study file as a study"));
    connect(a.openStudy, &QAction::triggered, this, &CMainFrame::OnOpenStudy);
    a.openStudyFolder = MakeAction(this, tr("Open Study &Folder..."), tr("Open the data files of a folder as a study"));
    connect(a.openStudyFolder, &QAction::triggered, this, &CMainFrame::OnOpenStudyFolder);
    a.saveStudyAs = MakeAction(this, tr("Save Study &As..."), tr("Keep the study's choices in another file"));
    connect(a.saveStudyAs, &QAction::triggered, this, &CMainFrame::OnSaveStudyAs);
    a.saveStudyResults = MakeAction(this, tr("Save Study &Results..."),
                                    tr("Append the results of the study's specimens to a results file"));
    connect(a.saveStudyResults, &QAction::triggered, this, &CMainFrame::OnSaveStudyResults);
    a.closeStudy = MakeAction(this, tr("Close Stud&y"), tr("Close the study and its window"));
    connect(a.closeStudy, &QAction::triggered, this, &CMainFrame::CloseStudy);
    a.nameRule = MakeAction(this, tr("Site and Sample &Names..."),
                            tr("Choose the characters after which a specimen's name no longer names its sample and site"));
    connect(a.nameRule, &QAction::triggered, this, &CMainFrame::OnNameRule);
    a.siteSettings = MakeAction(this, tr("Site &Means..."),
                                tr("Choose which specimens count for the site means and when a site is accepted"));
    connect(a.siteSettings, &QAction::triggered, this, [this] {
        SiteMeanSettings settings = LoadSiteSettings(m_app.Settings());
        if (EditSiteSettings(this, settings)) {
            StoreSiteSettings(m_app.Settings(), settings);
            if (m_study) {
                m_study->Sites().SetSettings(settings);
            }
        }
    });
    a.sitesTable = MakeAction(this, tr("Sites &Table"),
                              tr("Make the table of the sites' latitudes beside the study, or check the one there"));
    connect(a.sitesTable, &QAction::triggered, this, [this] {
        if (m_study) {
            ShowSitesTable(this, *m_study);
        }
    });
    a.saveSiteTables = MakeAction(this, tr("Save MagIC Site Ta&bles..."),
                                  tr("Write the sample and site means as MagIC samples and sites tables"));
    connect(a.saveSiteTables, &QAction::triggered, this, [this] {
        if (m_study) {
            SaveSiteTables(this, *m_study);
        }
    });
    a.nextSpecimen = MakeAction(this, tr("&Next Specimen"), tr("Show the next specimen of the study table"));
    a.nextSpecimen->setShortcuts({QKeySequence(Qt::Key_PageDown), QKeySequence(Qt::CTRL | Qt::Key_BracketRight)});
    connect(a.nextSpecimen, &QAction::triggered, this, [this] { StepSpecimen(1); });
    a.previousSpecimen = MakeAction(this, tr("&Previous Specimen"), tr("Show the previous specimen of the study table"));
    a.previousSpecimen->setShortcuts({QKeySequence(Qt::Key_PageUp), QKeySequence(Qt::CTRL | Qt::Key_BracketLeft)});
    connect(a.previousSpecimen, &QAction::triggered, this, [this] { StepSpecimen(-1); });
    for (QAction* step : {a.nextSpecimen, a.previousSpecimen}) {
        step->setShortcutContext(Qt::WindowShortcut);
        addAction(step);
    }

    a.close = MakeAction(this, tr("&Close"), tr("Close the active document window"));
    a.close->setShortcuts(QKeySequence::Close);
    connect(a.close, &QAction::triggered, m_mdiArea, &QMdiArea::closeActiveSubWindow);
    a.closeAll = MakeAction(this, tr("Close A&ll"), tr("Close every document window"));
    a.closeAll->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_W));
    connect(a.closeAll, &QAction::triggered, m_mdiArea, &QMdiArea::closeAllSubWindows);

    a.saveGraph = MakeAction(this, tr("&Save Graph"), tr("Save Plot as enhanced metafile"),
                             ThemeIcon("document-save-as", "save-graph"));
    a.print = MakeAction(this, tr("&Print..."), tr("Print the active diagram"), ThemeIcon("document-print", "print"));
    a.print->setShortcuts(QKeySequence::Print);
    a.printPreview = MakeAction(this, tr("Print Pre&view"), tr("Show the page as it will be printed"),
                                QIcon::fromTheme(QStringLiteral("document-print-preview")));
    a.printSetup = MakeAction(this, tr("P&rint Setup..."), tr("Change the printer and printing options"));
    connect(a.saveGraph, &QAction::triggered, this, &CMainFrame::OnSaveGraph);
    connect(a.print, &QAction::triggered, this, &CMainFrame::OnPrint);
    connect(a.printPreview, &QAction::triggered, this, &CMainFrame::OnPrintPreview);
    connect(a.printSetup, &QAction::triggered, this, &CMainFrame::OnPrintSetup);

    a.exit = MakeAction(this, tr("E&xit"), tr("Quit the application"), QIcon::fromTheme(QStringLiteral("application-exit")));
    a.exit->setShortcuts(QKeySequence::Quit);
    a.exit->setMenuRole(QAction::QuitRole);
    connect(a.exit, &QAction::triggered, this, &QWidget::close);

    // Undo and redo act on the analysis choices of the active document (or
    // study); the editing commands that have nothing to act on in a diagram
    // stay disabled.
    a.undo = m_undoGroup->createUndoAction(this, tr("&Undo"));
    a.undo->setIcon(QIcon::fromTheme(QStringLiteral("edit-undo")));
    a.undo->setShortcuts(QKeySequence::Undo);
    a.undo->setStatusTip(tr("Undo the last analysis choice"));
    a.redo = m_undoGroup->createRedoAction(this, tr("&Redo"));
    a.redo->setIcon(QIcon::fromTheme(QStringLiteral("edit-redo")));
    a.redo->setShortcuts({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
    a.redo->setStatusTip(tr("Redo the last analysis choice undone"));
    a.cut = MakeAction(this, tr("Cu&t"), tr("Cut the selection and put it on the clipboard"), ThemeIcon("edit-cut", "cut"));
    a.cut->setShortcuts(QKeySequence::Cut);
    a.copy = MakeAction(this, tr("&Copy"), tr("Copy the diagram and put it on the clipboard"), ThemeIcon("edit-copy", "copy"));
    a.copy->setShortcuts(QKeySequence::Copy);
    a.paste = MakeAction(this, tr("&Paste"), tr("Insert the clipboard contents"), ThemeIcon("edit-paste", "paste"));
    a.paste->setShortcuts(QKeySequence::Paste);
    for (QAction* inactive : {a.cut, a.paste}) {
        inactive->setEnabled(false);
    }
    connect(a.copy, &QAction::triggered, this, &CMainFrame::OnCopy);

    a.criteria = MakeAction(this, tr("&Criteria"), tr("modify calculation criteria"), ThemeIcon("preferences-system", "criteria"));
    connect(a.criteria, &QAction::triggered, this, &CMainFrame::OnCriteria);

    a.newWindow = MakeAction(this, tr("&New Window"), tr("Open another window for the active document"),
                             QIcon::fromTheme(QStringLiteral("window-new")));
    connect(a.newWindow, &QAction::triggered, this, &CMainFrame::OnNewWindow);
    a.cascade = MakeAction(this, tr("&Cascade"), tr("Arrange windows so they overlap"));
    connect(a.cascade, &QAction::triggered, m_mdiArea, &QMdiArea::cascadeSubWindows);
    a.tile = MakeAction(this, tr("&Tile"), tr("Arrange windows as non-overlapping tiles"));
    connect(a.tile, &QAction::triggered, m_mdiArea, &QMdiArea::tileSubWindows);
    // Minimised windows line up by themselves, and the panes of a document
    // window are fixed: these two have nothing to do.
    a.arrangeIcons = MakeAction(this, tr("&Arrange Icons"), tr("Arrange icons at the bottom of the window"));
    a.split = MakeAction(this, tr("S&plit"), tr("Split the active window into panes"));
    a.arrangeIcons->setEnabled(false);
    a.split->setEnabled(false);

    a.rangeMap = MakeAction(this, tr("&Range Map"),
                            tr("Show every temperature range of the specimen, graded, with the chosen one outlined"));
    connect(a.rangeMap, &QAction::triggered, this, &CMainFrame::OnRangeMap);

    // The diagram fitted to its pane, or the scrolling page at a zoom.
    a.fitToWindow = MakeAction(this, tr("&Fit to Window"), tr("Scale the diagram to fill the plot pane"));
    a.fitToWindow->setCheckable(true);
    a.fitToWindow->setChecked(true);
    a.fitToWindow->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_0));
    connect(a.fitToWindow, &QAction::triggered, this, [this](bool fit) {
        if (CChildFrame* frame = ActiveFrame()) {
            frame->View()->SetFitToWindow(fit);
        }
    });
    a.zoomIn = MakeAction(this, tr("Zoom &In"), tr("Show the diagram larger"), QIcon::fromTheme(QStringLiteral("zoom-in")));
    a.zoomIn->setShortcuts({QKeySequence::ZoomIn, QKeySequence(Qt::CTRL | Qt::Key_Equal)});
    connect(a.zoomIn, &QAction::triggered, this, [this] {
        if (CChildFrame* frame = ActiveFrame()) {
            frame->View()->ZoomIn();
        }
    });
    a.zoomOut = MakeAction(this, tr("Zoom &Out"), tr("Show the diagram smaller"),
                           QIcon::fromTheme(QStringLiteral("zoom-out")));
    a.zoomOut->setShortcuts(QKeySequence::ZoomOut);
    connect(a.zoomOut, &QAction::triggered, this, [this] {
        if (CChildFrame* frame = ActiveFrame()) {
            frame->View()->ZoomOut();
        }
    });

    a.about = MakeAction(this, tr("&About KorvanesTool..."), tr("Display program information and version number"),
                         ThemeIcon("help-about", "about"));
    a.about->setMenuRole(QAction::AboutRole);
    connect(a.about, &QAction::triggered, this, &CMainFrame::OnAbout);

    for (int i = 0; i < RecentFileList::kSize; ++i) {
        QAction* recent = MakeAction(this, QString(), tr("Open this data file"));
        connect(recent, &QAction::triggered, this, [this, recent] { OpenDocumentFile(recent->data().toString()); });
        a.recent.push_back(recent);
    }
}

void CMainFrame::CreateMenus()
{
    Actions& a = m_actions;
    QMenu* file = menuBar()->addMenu(tr("&File"));
    file->addActions({a.newFile, a.open, a.close, a.closeAll, a.saveGraph});
    file->addSeparator();
    file->addActions({a.print, a.printPreview, a.printSetup});
    a.recentSeparator = file->addSeparator();
    for (QAction* recent : a.recent) {
        file->addAction(recent);
    }
    file->addSeparator();
    file->addAction(a.exit);
    UpdateRecentFileMenu();

    m_editMenu = menuBar()->addMenu(tr("&Edit"));
    m_editMenu->addActions({a.undo, a.redo});
    m_editMenu->addSeparator();
    m_editMenu->addActions({a.cut, a.copy, a.paste});

    QMenu* study = menuBar()->addMenu(tr("&Study"));
    study->addActions({a.nextSpecimen, a.previousSpecimen});
    study->addSeparator();
    study->addAction(a.nameRule);
    study->addSeparator();
    study->addActions({a.siteSettings, a.sitesTable, a.saveSiteTables});
    study->addSeparator();
    QAction* table = m_studyDock->toggleViewAction();
    table->setText(tr("Study &Table"));
    study->addAction(table);

    QMenu* options = menuBar()->addMenu(tr("&Options"));
    options->addAction(a.criteria);
    options->addMenu(m_statistics->CriteriaSetMenu());

    QMenu* view = menuBar()->addMenu(tr("&View"));
    view->setObjectName(QStringLiteral("viewMenu"));
    view->addActions({a.fitToWindow, a.zoomIn, a.zoomOut});
    view->addSeparator();
    view->addAction(a.rangeMap);
    QAction* siteDiagram = m_siteDiagram->toggleViewAction();
    siteDiagram->setText(tr("&Site Diagram"));
    siteDiagram->setStatusTip(tr("Show or hide the diagram of the study's sites: each specimen's paleointensity "
                                 "and each site's mean"));
    view->addAction(siteDiagram);
    view->addAction(m_statistics->toggleViewAction());
    view->addSeparator();
    // The history of the active document's (or study's) analysis choices:
    // clicking an entry goes back or forward to it.
    m_undoDock = new QDockWidget(tr("Undo History"), this);
    m_undoDock->setObjectName(QStringLiteral("undoHistory"));
    auto* undoView = new QUndoView(m_undoGroup);
    undoView->setEmptyLabel(tr("<opened>"));
    m_undoDock->setWidget(undoView);
    addDockWidget(Qt::RightDockWidgetArea, m_undoDock);
    m_undoDock->hide();
    QAction* history = m_undoDock->toggleViewAction();
    history->setText(tr("Undo &History"));
    history->setStatusTip(tr("Show or hide the list of analysis choices that can be undone"));
    view->addAction(history);
    view->addSeparator();

    m_windowMenu = menuBar()->addMenu(tr("&Window"));
    m_windowMenu->addActions({a.newWindow, a.cascade, a.tile, a.arrangeIcons, a.split});
    connect(m_windowMenu, &QMenu::aboutToShow, this, &CMainFrame::UpdateWindowMenu);

    QMenu* help = menuBar()->addMenu(tr("&Help"));
    help->addAction(a.about);
}

void CMainFrame::CreateToolBar()
{
    Actions& a = m_actions;
    QToolBar* toolBar = addToolBar(tr("Toolbar"));
    toolBar->setObjectName(QStringLiteral("toolBar"));
    toolBar->addActions({a.newFile, a.open, a.saveGraph});
    toolBar->addSeparator();
    toolBar->addActions({a.cut, a.copy, a.paste});
    toolBar->addSeparator();
    toolBar->addAction(a.print);
    toolBar->addSeparator();
    toolBar->addActions({a.about, a.criteria});

    QMenu* view = menuBar()->findChild<QMenu*>(QStringLiteral("viewMenu"));
    QAction* toggle = toolBar->toggleViewAction();
    toggle->setText(tr("&Toolbar"));
    toggle->setStatusTip(tr("Show or hide the toolbar"));
    view->addAction(toggle);
}

void CMainFrame::CreateStatusBar()
{
    QStatusBar* bar = statusBar();
    // Between prompts the status bar says that the program waits for the user.
    connect(bar, &QStatusBar::messageChanged, this, [bar](const QString& text) {
        if (text.isEmpty()) {
            bar->showMessage(tr("Ready"));
        }
    });
    bar->showMessage(tr("Ready"));

    QMenu* view = menuBar()->findChild<QMenu*>(QStringLiteral("viewMenu"));
    QAction* toggle = view->addAction(tr("&Status Bar"));
    toggle->setCheckable(true);
    toggle->setChecked(true);
    toggle->setStatusTip(tr("Show or hide the status bar"));
    connect(toggle, &QAction::toggled, bar, &QWidget::setVisible);
}

int CMainFrame::OpenFiles(const QStringList& paths)
{
    int opened = 0;
    for (const QString& path : paths) {
        if (OpenDocumentFile(path) != nullptr) {
            ++opened;
        }
    }
    return opened;
}

CChildFrame* CMainFrame::OpenDocumentFile(const QString& path)
{
    const QString absolute = QFileInfo(path).absoluteFilePath();
    for (CChildFrame* frame : Frames()) {
        if (frame != m_studyFrame && QFileInfo(frame->Document()->Path()) == QFileInfo(absolute)) {
            m_mdiArea->setActiveSubWindow(frame);
            return frame;
        }
    }
    // A MagIC table holds many specimens, not one: it opens as a study.
    if (QFileInfo(absolute).suffix().compare(QStringLiteral("kvd"), Qt::CaseInsensitive) != 0 &&
        IsMagicFile(absolute)) {
        return OpenStudyPaths({absolute}) ? StudyFrame() : nullptr;
    }
    QString error;
    std::shared_ptr<OpenDocument> document = OpenDocument::Open(absolute, m_app.Criteria(), error);
    if (!document) {
        m_app.RecentFiles().Remove(QFile::encodeName(absolute).toStdString());
        m_app.RecentFiles().Store(m_app.Settings());
        UpdateRecentFileMenu();
        ShowMessage(this, tr("The data file \"%1\" could not be opened.").arg(QDir::toNativeSeparators(absolute)),
                    error, QMessageBox::Warning);
        return nullptr;
    }
    m_lastFolder = QFileInfo(absolute).absolutePath();
    m_app.RecentFiles().Add(QFile::encodeName(absolute).toStdString());
    m_app.RecentFiles().Store(m_app.Settings());
    UpdateRecentFileMenu();
    CChildFrame* frame = AddFrame(document);
    return frame;
}

CChildFrame* CMainFrame::AddFrame(const std::shared_ptr<OpenDocument>& document)
{
    auto* frame = new CChildFrame(document, m_app.WindowSettings());
    m_mdiArea->addSubWindow(frame);
    if (!m_undoGroup->stacks().contains(document->UndoStack())) {
        m_undoGroup->addStack(document->UndoStack());
    }
    connect(frame->Form(), &CResultForm::SaveResultsRequested, this, [this, frame] { OnSaveResults(frame); });
    connect(frame->Form(), &CResultForm::ViewRawDataRequested, this, [this, frame] { OnViewRawData(frame); });
    connect(frame->View(), &CKorvanesToolView::ZoomChanged, this, &CMainFrame::ShowZoomOfActiveFrame);
    NumberWindows(*document);
    connect(frame, &QObject::destroyed, this, [this, raw = document.get()] {
        // The frame has gone; renumber the windows left on its document.
        for (CChildFrame* other : Frames()) {
            if (other->Document().get() == raw) {
                NumberWindows(*raw);
                break;
            }
        }
        OnActiveFrameChanged();
    });
    frame->ShowAsRemembered();
    return frame;
}

void CMainFrame::NumberWindows(const OpenDocument& document)
{
    std::vector<CChildFrame*> windows;
    for (CChildFrame* frame : Frames()) {
        if (frame->Document().get() == &document) {
            windows.push_back(frame);
        }
    }
    for (std::size_t i = 0; i < windows.size(); ++i) {
        windows[i]->SetWindowNumber(windows.size() == 1 ? 0 : static_cast<int>(i) + 1);
    }
    OnActiveFrameChanged();
}

CChildFrame* CMainFrame::ActiveFrame() const
{
    return qobject_cast<CChildFrame*>(m_mdiArea->activeSubWindow());
}

std::vector<CChildFrame*> CMainFrame::Frames() const
{
    std::vector<CChildFrame*> frames;
    for (QMdiSubWindow* window : m_mdiArea->subWindowList(QMdiArea::CreationOrder)) {
        if (auto* frame = qobject_cast<CChildFrame*>(window)) {
            frames.push_back(frame);
        }
    }
    return frames;
}

void CMainFrame::OnOpen()
{
    const QStringList files = QFileDialog::getOpenFileNames(this, tr("Open"), m_lastFolder,
                                                            tr("Korvanes Files (*.kvd);;All Files (*)"));
    OpenFiles(files);
}

void CMainFrame::OnSaveGraph()
{
    CChildFrame* frame = ActiveFrame();
    if (frame == nullptr) {
        return;
    }
    QFileDialog dialog(this, tr("Save Graph"), m_lastFolder);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilters(GraphFileFilters());
    dialog.setDefaultSuffix(QStringLiteral("emf"));
    connect(&dialog, &QFileDialog::filterSelected, &dialog,
            [&dialog](const QString& filter) { dialog.setDefaultSuffix(GraphFilterSuffix(filter)); });
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return;
    }
    QString path = dialog.selectedFiles().front();
    const PictureFormat format = GraphFormat(path, dialog.selectedNameFilter());
    QString error;
    if (!SaveGraphFile(*frame->View(), path, format, error)) {
        ShowMessage(this, tr("The diagram could not be saved to \"%1\".").arg(QDir::toNativeSeparators(path)), error,
                    QMessageBox::Warning);
        return;
    }
    statusBar()->showMessage(tr("Diagram saved to %1").arg(QDir::toNativeSeparators(path)), 5000);
}

void CMainFrame::OnCopy()
{
    CChildFrame* frame = ActiveFrame();
    if (frame == nullptr) {
        return;
    }
    QString error;
    if (CopyPlot(*frame->View(), error)) {
        statusBar()->showMessage(tr("Diagram copied to the clipboard"), 5000);
    } else {
        ShowMessage(this, tr("The diagram could not be copied to the clipboard."), error, QMessageBox::Warning);
    }
}

void CMainFrame::OnPrint()
{
    CChildFrame* frame = ActiveFrame();
    if (frame == nullptr) {
        return;
    }
    QPrinter& printer = m_app.Printer();
    printer.setDocName(frame->windowTitle());
    QPrintDialog dialog(&printer, this);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
    if (dialog.exec() != QDialog::Accepted) {
        return;
    }
    if (!PrintPage(printer, *frame->View())) {
        const QString target = printer.outputFileName().isEmpty()
                                   ? printer.printerName()
                                   : QDir::toNativeSeparators(printer.outputFileName());
        ShowMessage(this, tr("The printer \"%1\" could not be started.").arg(target), QMessageBox::Warning);
    }
}

void CMainFrame::OnPrintPreview()
{
    CChildFrame* frame = ActiveFrame();
    if (frame == nullptr) {
        return;
    }
    QPrinter& printer = m_app.Printer();
    printer.setDocName(frame->windowTitle());
    QPrintPreviewDialog preview(&printer, this);
    preview.setWindowTitle(tr("Print Preview - %1").arg(frame->windowTitle()));
    connect(&preview, &QPrintPreviewDialog::paintRequested, this,
            [frame](QPrinter* target) { PrintPage(*target, *frame->View()); });
    preview.resize(900, 1000);
    preview.exec();
}

void CMainFrame::OnPrintSetup()
{
    QPageSetupDialog dialog(&m_app.Printer(), this);
    dialog.exec();
}

void CMainFrame::OnCriteria()
{
    CChildFrame* frame = ActiveFrame();
    if (frame == nullptr) {
        return;
    }
    OpenDocument& document = *frame->Document();
    CCriteriaDialog dialog(m_app.Criteria(), document.Inputs().criteria, this);
    if (dialog.exec() != QDialog::Accepted || !dialog.Applied()) {
        return;
    }
    if (frame == m_studyFrame && m_study) {
        const auto answer = QMessageBox::question(
            this, kProgramName,
            tr("Apply these criteria to the whole study (%n specimens)?", nullptr,
               static_cast<int>(m_study->Data().specimens.size())),
            QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Yes);
        if (answer == QMessageBox::Cancel) {
            return;
        }
        if (answer == QMessageBox::Yes) {
            m_study->ApplyCriteriaToAll(*dialog.Applied());
            return;
        }
    }
    AnalysisInputs inputs = document.Inputs();
    inputs.criteria = *dialog.Applied();
    document.ChangeInputs(inputs);
}

void CMainFrame::OnRangeMap()
{
    if (CChildFrame* frame = ActiveFrame()) {
        // The form's diagram buttons lead back to the diagrams.
        frame->Document()->SetPlotType(kRangeMapPlot);
    }
}

bool CMainFrame::eventFilter(QObject* watched, QEvent* event)
{
    // A text box claims Ctrl+Z for its own typing even when it has none (as
    // after a range was typed and applied): then the shortcut goes to the
    // Edit menu, as the user means it.
    if (event->type() == QEvent::ShortcutOverride) {
        auto* edit = qobject_cast<QLineEdit*>(watched);
        auto* key = static_cast<QKeyEvent*>(event);
        if (edit != nullptr && isAncestorOf(edit) &&
            ((key->matches(QKeySequence::Undo) && !edit->isUndoAvailable()) ||
             (m_actions.redo->shortcuts().contains(QKeySequence(key->keyCombination())) &&
              !edit->isRedoAvailable()))) {
            event->ignore();
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void CMainFrame::OnSaveResults(CChildFrame* frame)
{
    // The line describes the analysis shown: values typed and not applied
    // yet are applied first, and a value that cannot be applied stops the
    // save (the form has said why).
    if (frame->Form()->HasTypedValues() && !frame->Form()->ApplyChanges()) {
        return;
    }
    const QString path = ChooseResultsFile(tr("Save results"));
    if (path.isEmpty()) {
        return;
    }
    const FormValues& held = frame->Form()->HeldValues();
    const AppendStatus status = SaveResults(held, path);
    const QString message = QString::fromStdU16String(ToUtf16(status.message));
    const QString shownPath = QDir::toNativeSeparators(path);
    switch (status.outcome) {
    case AppendOutcome::kOk:
        if (!HasResult(held)) {
            // The line of zeros keeps the specimen in the table; the user
            // must not take it for a result.
            ShowMessage(this,
                        tr("\"%1\" has no result, so a line of zeros with an empty class was appended to \"%2\": "
                           "the table lists every specimen, and these zeros are not values.")
                            .arg(QString::fromStdU16String(ToUtf16(held.sample)), shownPath),
                        QString::fromStdU16String(ToUtf16(NoResultReason(frame->Document()->Doc()))) +
                            QLatin1Char('.'),
                        QMessageBox::Information);
        }
        statusBar()->showMessage(HasResult(held) ? tr("Result appended to %1").arg(shownPath)
                                                 : tr("No result: a line of zeros appended to %1").arg(shownPath),
                                 5000);
        break;
    case AppendOutcome::kRefused:
        if (IsDataFile(path)) {
            // The table's own message would call a data file "not a data file".
            ShowMessage(this,
                        tr("\"%1\" is a data file, not a results table: the result was not appended, and the "
                           "file is unchanged.")
                            .arg(shownPath),
                        tr("Choose a results table (.krv) or a new file name."), QMessageBox::Warning);
        } else {
            ShowMessage(this, message);
        }
        break;
    case AppendOutcome::kError:
        ShowMessage(this, tr("The result was not saved to \"%1\".").arg(shownPath), message, QMessageBox::Warning);
        break;
    }
}

void CMainFrame::OnViewRawData(CChildFrame* frame)
{
    QString error;
    if (!ViewRawData(frame->Document()->Path(), error)) {
        statusBar()->showMessage(error, 10000);
    }
}

void CMainFrame::OnNewWindow()
{
    if (CChildFrame* active = ActiveFrame()) {
        AddFrame(active->Document());
    }
}

void CMainFrame::OnAbout()
{
    AboutBox box(this);
    box.exec();
}

bool CMainFrame::OpenStudyPaths(const QStringList& paths, const QString& samples, const QString& sites)
{
    std::unique_ptr<StudySession> session = OpenStudy(this, paths, m_app.Criteria().criteria, samples, sites);
    if (!session) {
        return false;
    }
    CloseStudy();
    m_study = std::move(session);
    m_study->Model().SetCriteriaSet(m_statistics->CriteriaSet());
    m_studyDock->SetSession(m_study.get());
    m_study->Sites().SetSettings(LoadSiteSettings(m_app.Settings()));
    m_siteDiagram->SetModel(&m_study->Sites());
    m_studyDock->show();
    // Room for the usual columns beside the document window.
    resizeDocks({m_studyDock}, {std::max(m_studyDock->width(), std::min(760, width() * 2 / 5))}, Qt::Horizontal);
    m_studyFrame = AddFrame(m_study->Window());
    const auto title = [this] {
        if (m_studyFrame && m_study) {
            QString title = m_study->Window()->FileName();
            if (m_study->ReadOnly()) {
                title += tr(" (study read-only)");
            }
            m_studyFrame->setWindowTitle(title);
        }
    };
    connect(m_study.get(), &StudySession::CurrentChanged, this, title);
    title();
    connect(m_studyFrame, &QObject::destroyed, this, [this] {
        // The study lives in its window: closing it closes the study.
        if (m_study) {
            m_studyDock->SetSession(nullptr);
            m_siteDiagram->SetModel(nullptr);
            m_study.reset();
            UpdateStudyActions();
        }
    });
    connect(m_study.get(), &StudySession::Saved, this, [this] {
        if (m_study && !m_study->SaveError().isEmpty()) {
            statusBar()->showMessage(tr("The study's choices could not be kept: %1").arg(m_study->SaveError()), 10000);
        }
    });
    m_lastFolder = QFileInfo(paths.front()).absolutePath();
    UpdateStudyActions();
    return true;
}

CChildFrame* CMainFrame::StudyFrame() const { return m_studyFrame.data(); }

void CMainFrame::CloseStudy()
{
    if (!m_study) {
        return;
    }
    m_studyDock->SetSession(nullptr);
    m_siteDiagram->SetModel(nullptr);
    if (m_studyFrame) {
        m_studyFrame->StopRemembering();
        delete m_studyFrame.data();
    }
    m_study.reset();
    m_studyDock->hide();
    UpdateStudyActions();
}

void CMainFrame::StepSpecimen(int direction)
{
    if (m_study && m_studyDock->Step(direction) && m_studyFrame) {
        m_mdiArea->setActiveSubWindow(m_studyFrame);
    }
}

void CMainFrame::UpdateStudyActions()
{
    const bool open = m_study != nullptr;
    for (QAction* action : {m_actions.saveStudyAs, m_actions.saveStudyResults, m_actions.closeStudy,
                            m_actions.nameRule, m_actions.nextSpecimen, m_actions.previousSpecimen,
                            m_actions.sitesTable, m_actions.saveSiteTables}) {
        action->setEnabled(open);
    }
}

void CMainFrame::OnNameRule()
{
    if (!m_study) {
        return;
    }
    bool ok = false;
    // A study kept with the earlier rule keeps it: its sites stay as they were.
    NameRule rule = m_study->Data().nameRule;
    const QString separators = QInputDialog::getText(
        this, tr("Site and Sample Names"),
        rule.siteCutsSample ? tr("A specimen's sample is its name up to the last of these characters,\nits site the "
                                 "sample up to the last of them:")
                            : tr("A specimen's sample and site are its name up to the last of these characters:"),
        QLineEdit::Normal, QString::fromStdString(rule.separators), &ok);
    if (ok) {
        rule.separators = separators.toStdString();
        m_study->SetNameRule(rule);
    }
}

void CMainFrame::OnOpenStudy()
{
    const QStringList files = QFileDialog::getOpenFileNames(
        this, tr("Open Study"), m_lastFolder,
        tr("Data files, MagIC files and study files (*.kvd *.txt *.json);;All Files (*)"));
    if (!files.isEmpty()) {
        OpenStudyPaths(files);
    }
}

void CMainFrame::OnOpenStudyFolder()
{
    const QString folder = QFileDialog::getExistingDirectory(this, tr("Open Study Folder"), m_lastFolder);
    if (!folder.isEmpty()) {
        OpenStudyPaths({folder});
    }
}

void CMainFrame::OnSaveStudyAs()
{
    if (!m_study) {
        return;
    }
    QFileDialog dialog(this, tr("Save Study As"), QFileInfo(m_study->StudyFile()).absolutePath());
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("json"));
    dialog.setNameFilter(tr("Study files (*.json)"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return;
    }
    QString error;
    if (!m_study->SaveAs(dialog.selectedFiles().front(), error)) {
        ShowMessage(this, tr("The study could not be saved."), error, QMessageBox::Warning);
        return;
    }
    if (m_studyFrame) {
        m_studyFrame->setWindowTitle(m_study->Window()->FileName());
    }
}

QString CMainFrame::ChooseResultsFile(const QString& caption)
{
    QFileDialog dialog(this, caption, m_resultsFolder);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setOption(QFileDialog::DontConfirmOverwrite);  // results are appended, never overwritten
    dialog.setDefaultSuffix(QStringLiteral("krv"));
    dialog.selectFile(m_app.ResultsFileName());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return {};
    }
    const QString path = dialog.selectedFiles().front();
    m_app.ResultsFileName() = QFileInfo(path).fileName();
    m_resultsFolder = QFileInfo(path).absolutePath();
    return path;
}

void CMainFrame::OnSaveStudyResults()
{
    if (!m_study) {
        return;
    }
    const QString path = ChooseResultsFile(tr("Save Study Results"));
    if (path.isEmpty()) {
        return;
    }
    const std::vector<std::size_t> order = m_studyDock->RowOrder();
    const std::string lines = StudyResultLines(m_study->Data(), order);
    const AppendStatus status = AppendResult(QFile::encodeName(path).toStdString(), lines);
    if (!status.ok()) {
        const QString message = QString::fromStdU16String(ToUtf16(status.message));
        if (status.outcome == AppendOutcome::kRefused) {
            ShowMessage(this, message);
        } else {
            ShowMessage(this, tr("The results were not saved."), message, QMessageBox::Warning);
        }
        return;
    }
    QString saved = tr("Study results appended to %1").arg(QDir::toNativeSeparators(path));
    if (!m_study->Data().magicFile.empty()) {
        // The MagIC specimens table of the same specimens, beside it.
        const QFileInfo info(path);
        const QString specimensPath = info.absoluteDir().filePath(info.completeBaseName() + QStringLiteral("-specimens.txt"));
        std::vector<std::string> rows;
        for (const std::size_t i : order) {
            const StudySpecimen& specimen = m_study->Data().specimens[i];
            if (specimen.rejected) {
                continue;
            }
            if (const auto row = magic::SpecimenRow(specimen.doc, "KorvanesTool criteria")) {
                rows.push_back(magic::SpecimenLine(*row));
            }
        }
        if (const auto error = magic::AppendSpecimenLines(QFile::encodeName(specimensPath).toStdString(), rows)) {
            ShowMessage(this, tr("The MagIC specimens table was not saved."), QString::fromStdString(*error),
                        QMessageBox::Warning);
            return;
        }
        saved += tr(" and the MagIC specimens table to %1").arg(QDir::toNativeSeparators(specimensPath));
    }
    statusBar()->showMessage(saved, 8000);
}

void CMainFrame::OnActiveFrameChanged()
{
    CChildFrame* active = ActiveFrame();
    m_undoGroup->setActiveStack(active != nullptr ? active->Document()->UndoStack() : nullptr);
    const bool hasDocument = active != nullptr;
    for (QAction* documentAction : {m_actions.close, m_actions.closeAll, m_actions.saveGraph, m_actions.print, m_actions.printPreview}) {
        documentAction->setVisible(hasDocument);
        documentAction->setEnabled(hasDocument);
    }
    // The criteria belong to a document: without one there is nothing to
    // apply them to.
    m_actions.criteria->setEnabled(hasDocument);
    m_actions.copy->setEnabled(hasDocument);
    m_actions.rangeMap->setEnabled(hasDocument);
    for (QAction* zoom : {m_actions.fitToWindow, m_actions.zoomIn, m_actions.zoomOut}) {
        zoom->setEnabled(hasDocument);
    }
    ShowZoomOfActiveFrame();
    m_editMenu->menuAction()->setVisible(hasDocument);
    m_windowMenu->menuAction()->setVisible(hasDocument);
    m_actions.newWindow->setEnabled(hasDocument);
    m_statistics->SetDocument(hasDocument ? active->Document().get() : nullptr);
    // The title shows the program's name; while a document window is
    // maximised the window area adds its name: "KorvanesTool - [name.kvd]".
}

void CMainFrame::ShowZoomOfActiveFrame()
{
    // Each window keeps its own zoom; the menu shows the active one's.
    CChildFrame* active = ActiveFrame();
    m_actions.fitToWindow->setChecked(active == nullptr || active->View()->FitsToWindow());
}

void CMainFrame::UpdateRecentFileMenu()
{
    const std::vector<std::string>& entries = m_app.RecentFiles().Entries();
    for (std::size_t i = 0; i < m_actions.recent.size(); ++i) {
        QAction* action = m_actions.recent[i];
        if (i < entries.size()) {
            const QString path = QFile::decodeName(QByteArray::fromStdString(entries[i]));
            QString shown = QDir::toNativeSeparators(path);
            shown.replace(QLatin1Char('&'), QStringLiteral("&&"));
            action->setText(QStringLiteral("&%1 %2").arg(i + 1).arg(shown));
            action->setData(path);
            action->setVisible(true);
        } else {
            action->setVisible(false);
        }
    }
    m_actions.recentSeparator->setVisible(!entries.empty());
}

void CMainFrame::UpdateWindowMenu()
{
    for (QAction* action : m_windowListActions) {
        m_windowMenu->removeAction(action);
        delete action;
    }
    m_windowListActions.clear();
    const std::vector<CChildFrame*> frames = Frames();
    if (frames.empty()) {
        return;
    }
    m_windowListActions.push_back(m_windowMenu->addSeparator());
    auto* group = new QActionGroup(m_windowMenu);
    for (std::size_t i = 0; i < frames.size(); ++i) {
        CChildFrame* frame = frames[i];
        QString title = frame->windowTitle();
        title.replace(QLatin1Char('&'), QStringLiteral("&&"));
        QAction* action = m_windowMenu->addAction(i < 9 ? QStringLiteral("&%1 %2").arg(i + 1).arg(title) : title);
        action->setCheckable(true);
        action->setChecked(frame == ActiveFrame());
        action->setActionGroup(group);
        connect(action, &QAction::triggered, this, [this, frame] { m_mdiArea->setActiveSubWindow(frame); });
        m_windowListActions.push_back(action);
    }
}

void CMainFrame::ShowWithPlacement()
{
    const std::string stored = m_app.Settings().ReadText(kSettingsSection, kWindowPosKey, "");
    const std::optional<WindowPlacement> placement = ParseWindowPlacement(stored);
    if (!placement) {
        // The first start: room for the plot pane and the whole form, within
        // the screen, in the middle of it.
        if (QScreen* screen = QGuiApplication::primaryScreen()) {
            const QRect available = screen->availableGeometry();
            const QSize size = QSize(1760, 1000).boundedTo(available.size() * 19 / 20);
            setGeometry(QRect(QPoint(0, 0), size).translated(available.center() - QRect(QPoint(0, 0), size).center()));
        }
        show();
        return;
    }
    QRect normal(QPoint(placement->left, placement->top), QPoint(placement->right - 1, placement->bottom - 1));
    // A window left on a screen that is no longer there comes back onto the
    // primary one.
    bool onScreen = false;
    for (QScreen* screen : QGuiApplication::screens()) {
        onScreen = onScreen || screen->availableGeometry().intersects(normal);
    }
    if (!onScreen) {
        if (QScreen* screen = QGuiApplication::primaryScreen()) {
            const QRect available = screen->availableGeometry();
            normal.setSize(normal.size().boundedTo(available.size()));
            normal.moveCenter(available.center());
        }
    }
    setGeometry(normal);
    switch (placement->showCmd) {
    case kShowMaximized:
        showMaximized();
        break;
    case kShowMinimized:
        showMinimized();
        break;
    default:
        showNormal();
        break;
    }
}

void CMainFrame::StorePlacement()
{
    WindowPlacement placement;
    const QRect normal = normalGeometry().isValid() ? normalGeometry() : geometry();
    placement.flags = isMaximized() ? kRestoreToMaximized : 0;
    // A program that starts minimised would look as if it had not started:
    // a minimised window is stored as it will be restored.
    placement.showCmd = isMaximized() ? kShowMaximized : kShowNormal;
    placement.left = normal.left();
    placement.top = normal.top();
    placement.right = normal.left() + normal.width();
    placement.bottom = normal.top() + normal.height();
    m_app.Settings().WriteText(kSettingsSection, kWindowPosKey, FormatWindowPlacement(placement));
}

void CMainFrame::closeEvent(QCloseEvent* event)
{
    StorePlacement();
    for (CChildFrame* frame : Frames()) {
        frame->StopRemembering();
    }
    m_mdiArea->closeAllSubWindows();
    if (!m_mdiArea->subWindowList().isEmpty()) {
        event->ignore();
        return;
    }
    event->accept();
}

void CMainFrame::dragEnterEvent(QDragEnterEvent* event)
{
    if (!LocalFiles(event->mimeData()).isEmpty()) {
        event->acceptProposedAction();
    }
}

void CMainFrame::dropEvent(QDropEvent* event)
{
    const QStringList files = LocalFiles(event->mimeData());
    if (files.isEmpty()) {
        return;
    }
    event->acceptProposedAction();
    activateWindow();
    // Opened once the drop has ended: a message about a file that cannot be
    // read must not hold the other program's drag.
    QTimer::singleShot(0, this, [this, files] { OpenFiles(files); });
}

}  // namespace korvanes::gui
