#include "ChildFrame.h"

#include <QEvent>
#include <QShortcut>
#include <QSplitter>
#include <QTimer>
#include <QVBoxLayout>

#include "DocumentNotice.h"
#include "KorvanesToolApp.h"
#include "KorvanesToolView.h"
#include "ResultForm.h"
#include "analysis/AraiFit.h"
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
    connect(m_splitter, &QSplitter::splitterMoved, this, [this] { RememberPaneWidth(); });

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
    m_notice->SetNotice(summary.join(QLatin1Char('\n')), details);
}

void CChildFrame::RememberPaneWidth()
{
    if (m_remembering && isVisible() && !isMinimized()) {
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
