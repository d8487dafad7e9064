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
    connect(&m_document, &OpenDocument::Analysed, this, &CKorvanesToolView::OnDocumentUpdated);
    connect(&m_document, &OpenDocument::ViewChanged, this, &CKorvanesToolView::OnDocumentUpdated);
}

void CKorvanesToolView::OnInitialUpdate() { UpdateScrollBars(); }

void CKorvanesToolView::OnDraw(QPainter& painter, QSize client)
{
    ++m_paintCount;
    QtPainterSurface surface(painter);
    DrawPlot(surface, m_document.Doc(), ClientSize{client.width(), client.height()});
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

void CKorvanesToolView::OnDocumentUpdated() { viewport()->update(); }

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
