#include "ChildFrame.h"

#include <QEvent>
#include <QMenu>
#include <QShortcut>
#include <QSplitter>
#include <QStyle>
#include <QTimer>
#include <QVBoxLayout>

#include "DocumentNotice.h"
#include "KorvanesToolApp.h"
#include "KorvanesToolView.h"
#include "ResultForm.h"
#include "analysis/AraiFit.h"
#include "results/ResultNotes.h"
#include "text/TextEncoding.h"

namespace korvanes::gui {

CChildFrame::CChildFrame(std::shared_ptr<OpenDocument> document, DocumentWindowSettings& settings)
    : m_document(std::move(document)),
      m_settings(settings),
      m_view(new CKorvanesToolView(*m_document)),
      m_form(new CResultForm(*m_document)),
      m_notice(new DocumentNotice),
      m_splitter(new QSplitter(Qt::Horizontal))
{
    InitGuiResources();
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowIcon(QIcon(QStringLiteral(":/icons/korvanestool.svg")));
    SetWindowNumber(0);

    m_splitter->addWidget(m_view);
    m_splitter->addWidget(m_form);
    m_splitter->setChildrenCollapsible(false);
    // The plot pane keeps its width; the form pane takes what is left over.
    m_splitter->setStretchFactor(0, 0);
    m_splitter->setStretchFactor(1, 1);
    m_splitter->setSizes({m_settings.current.frameSplit0x, m_settings.current.frameSplit1x});
    connect(m_splitter, &QSplitter::splitterMoved, this, [this] {
        // The user's width stands until the user moves it again.
        m_squeezed = false;
        RememberPaneWidth();
    });
    m_splitter->installEventFilter(this);

    auto* content = new QWidget;
    auto* layout = new QVBoxLayout(content);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_notice);
    layout->addWidget(m_splitter, 1);
    setWidget(content);
    RefreshNotice();
    connect(m_document.get(), &OpenDocument::Analysed, this, &CChildFrame::RefreshNotice);

    auto* nextPane = new QShortcut(QKeySequence(Qt::Key_F6), this);
    auto* previousPane = new QShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F6), this);
    for (QShortcut* shortcut : {nextPane, previousPane}) {
        shortcut->setContext(Qt::WidgetWithChildrenShortcut);
        connect(shortcut, &QShortcut::activated, this, &CChildFrame::FocusOtherPane);
    }

    // The window menu's Close and Close All stand for the window's own menu
    // entries: each window binding Ctrl+W and Ctrl+F4 again would make the
    // keys ambiguous as soon as two windows are open, so that they did nothing.
    if (QMenu* menu = systemMenu()) {
        for (QAction* action : menu->actions()) {
            action->setShortcuts({});
        }
    }

    m_view->OnInitialUpdate();
    m_form->OnInitialUpdate();
    setFocusProxy(m_view);
}

CChildFrame::~CChildFrame()
{
    // The panes refer to the document: they go before it can.
    delete widget();
}

void CChildFrame::SetWindowNumber(int number)
{
    QString title = m_document->FileName();
    if (number > 0) {
        title += QStringLiteral(":%1").arg(number);
    }
    setWindowTitle(title);
}

void CChildFrame::ShowAsRemembered()
{
    if (m_settings.current.showCmd == 3) {
        showMaximized();
    } else {
        showNormal();
    }
    m_view->setFocus(Qt::OtherFocusReason);
}

void CChildFrame::FocusOtherPane()
{
    if (m_view->hasFocus()) {
        // The first control of the form that takes the keyboard.
        QWidget* target = m_form->widget();
        do {
            target = target->nextInFocusChain();
        } while (target != m_form->widget() && !(target->focusPolicy() & Qt::TabFocus && target->isEnabled() &&
                                                 target->isVisible() && m_form->isAncestorOf(target)));
        target->setFocus(Qt::ShortcutFocusReason);
    } else {
        m_view->setFocus(Qt::ShortcutFocusReason);
    }
}

void CChildFrame::showEvent(QShowEvent* event)
{
    QMdiSubWindow::showEvent(event);
    if (!m_panesSized) {
        // Sized once the window has its real width, so that a provisional
        // small size cannot squeeze the plot pane for good.
        m_panesSized = true;
        const int width = m_splitter->width();
        const int left = m_settings.current.frameSplit0x;
        m_splitter->setSizes({left, std::max(1, width - left - m_splitter->handleWidth())});
        FitPanes();
        QTimer::singleShot(0, this, [this] { m_remembering = true; });
        return;
    }
    RememberPaneWidth();
}

void CChildFrame::resizeEvent(QResizeEvent* event)
{
    QMdiSubWindow::resizeEvent(event);
    RememberPaneWidth();
    RememberShowState();
}

void CChildFrame::changeEvent(QEvent* event)
{
    QMdiSubWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange) {
        RememberShowState();
    }
}

bool CChildFrame::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_splitter && event->type() == QEvent::Resize && m_panesSized) {
        FitPanes();
    }
    return QMdiSubWindow::eventFilter(watched, event);
}

void CChildFrame::FitPanes()
{
    // The form wants its whole width; the plot pane, which scales its
    // diagram to what it gets, gives way down to a minimum in a narrow
    // window and takes the remembered width again when there is room.
    constexpr int kMinimumPlotWidth = 240;
    const int total = m_splitter->width() - m_splitter->handleWidth();
    QWidget* page = m_form->widget();
    int formWidth = page->sizeHint().width() + 2 * m_form->frameWidth();
    if (page->minimumSizeHint().height() > m_splitter->height()) {
        formWidth += m_form->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    }
    const int wanted = m_settings.current.frameSplit0x;
    const int plot = std::max(std::min(wanted, total - formWidth), std::min(kMinimumPlotWidth, wanted));
    m_squeezed = plot < wanted;
    if (m_splitter->sizes().value(0) != plot) {
        m_splitter->setSizes({plot, std::max(1, total - plot)});
    }
}

void CChildFrame::RefreshNotice()
{
    const std::vector<ReadWarning>& warnings = m_document->ReadWarnings();
    const std::vector<LeftOutStep> leftOut = LeftOutAraiSteps(m_document->Doc());
    QStringList summary;
    QStringList details = ReadWarningLines(warnings);
    if (!warnings.empty()) {
        summary << ReadWarningsSummary(warnings);
    }
    if (!leftOut.empty()) {
        QStringList temperatures;
        for (const LeftOutStep& step : leftOut) {
            const QString temperature = QStringLiteral("%1 \u00B0C").arg(step.temperature);
            temperatures << temperature;
            details << tr("%1%2: left out of the Arai fit: %3")
                           .arg(temperature, step.inFittedRange ? tr(" (in the fitted range)") : QString(),
                                QString::fromStdU16String(ToUtf16(step.reason)));
        }
        summary << tr("Left out of the Arai fit, for want of a pTRM step at the same temperature: %1")
                       .arg(temperatures.join(QStringLiteral(", ")));
    }
    // Without a result the window says why, as the command line does.
    const std::string noResult = NoResultReason(m_document->Doc());
    if (!noResult.empty()) {
        summary << tr("No result: %1.").arg(QString::fromStdU16String(ToUtf16(noResult)));
    }
    m_notice->SetNotice(summary.join(QLatin1Char('\n')), details);
}

void CChildFrame::RememberPaneWidth()
{
    // A plot pane narrowed for the form is not the width the user chose.
    if (m_remembering && !m_squeezed && isVisible() && !isMinimized()) {
        m_settings.current.frameSplit0x = m_splitter->sizes().value(0, m_settings.current.frameSplit0x);
    }
}

void CChildFrame::RememberShowState()
{
    if (!m_remembering || !isVisible() || isMinimized()) {
        return;
    }
    m_settings.current.showCmd = isMaximized() ? 3 : 1;
}

}  // namespace korvanes::gui
