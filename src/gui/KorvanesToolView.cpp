#include "KorvanesToolView.h"

#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>

#include "QtPainterSurface.h"
#include "plots/PaintSequence.h"

namespace korvanes::gui {

CKorvanesToolView::CKorvanesToolView(OpenDocument& document, QWidget* parent)
    : QAbstractScrollArea(parent), m_document(document)
{
    setFrameShape(QFrame::NoFrame);
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setAutoFillBackground(true);
    QPalette palette = viewport()->palette();
    palette.setColor(QPalette::Window, Qt::white);
    viewport()->setPalette(palette);
    viewport()->setBackgroundRole(QPalette::Window);
    setAccessibleName(tr("Diagram"));
    connect(&m_document, &OpenDocument::Updated, this, &CKorvanesToolView::OnDocumentUpdated);
}

void CKorvanesToolView::OnInitialUpdate() { UpdateScrollBars(); }

void CKorvanesToolView::OnDraw(QPainter& painter, QSize client)
{
    ++m_paintCount;
    QtPainterSurface surface(painter);
    PaintPlot(surface, m_document.Doc(), ClientSize{client.width(), client.height()},
              [this] { m_document.UpdateAllViews(this); });
}

void CKorvanesToolView::paintEvent(QPaintEvent*)
{
    QPainter painter(viewport());
    painter.translate(-horizontalScrollBar()->value(), -verticalScrollBar()->value());
    OnDraw(painter, viewport()->size());
    emit Painted();
}

void CKorvanesToolView::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    UpdateScrollBars();
}

void CKorvanesToolView::scrollContentsBy(int, int) { viewport()->update(); }

void CKorvanesToolView::OnDocumentUpdated(QObject* sender)
{
    // A view announces a change from inside its paint, after the analysis:
    // that changes nothing another view shows, and repainting for it would
    // send two views of one document back and forth for ever.
    if (qobject_cast<CKorvanesToolView*>(sender) == nullptr) {
        viewport()->update();
    }
}

void CKorvanesToolView::UpdateScrollBars()
{
    const QSize page = viewport()->size();
    horizontalScrollBar()->setRange(0, std::max(0, kScrollExtent - page.width()));
    horizontalScrollBar()->setPageStep(page.width());
    horizontalScrollBar()->setSingleStep(20);
    verticalScrollBar()->setRange(0, std::max(0, kScrollExtent - page.height()));
    verticalScrollBar()->setPageStep(page.height());
    verticalScrollBar()->setSingleStep(20);
}

}  // namespace korvanes::gui
