#include "KorvanesToolView.h"

#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>

#include "ArialFont.h"
#include "QtPainterSurface.h"
#include "plots/PaintSequence.h"

namespace korvanes::gui {
namespace {

// The zoom steps of Zoom In and Zoom Out.
constexpr double kZoomSteps[] = {0.25, 0.33, 0.5, 0.67, 0.75, 0.9, 1.0, 1.25, 1.5, 2.0, 2.5, 3.0, 4.0};

}  // namespace

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

void CKorvanesToolView::OnDraw(QPainter& painter, QSize client, bool keepSmallText)
{
    ++m_paintCount;
    QtPainterSurface surface(painter);
    surface.KeepSmallTextSize(keepSmallText);
    DrawPlot(surface, m_document.Doc(), ClientSize{client.width(), client.height()});
}

void CKorvanesToolView::SetFitToWindow(bool fit)
{
    m_fit = fit;
    if (!fit) {
        m_zoom = 1.0;
    }
    UpdateScrollBars();
    viewport()->update();
    emit ZoomChanged();
}

void CKorvanesToolView::ZoomIn()
{
    const double shown = ShownScale();
    double zoom = kZoomSteps[std::size(kZoomSteps) - 1];
    for (double step : kZoomSteps) {
        if (step > shown * 1.001) {
            zoom = step;
            break;
        }
    }
    SetZoom(zoom);
}

void CKorvanesToolView::ZoomOut()
{
    const double shown = ShownScale();
    double zoom = kZoomSteps[0];
    for (double step : kZoomSteps) {
        if (step < shown * 0.999) {
            zoom = step;
        }
    }
    SetZoom(zoom);
}

void CKorvanesToolView::SetZoom(double zoom)
{
    m_fit = false;
    m_zoom = zoom;
    UpdateScrollBars();
    viewport()->update();
    emit ZoomChanged();
}

double CKorvanesToolView::ShownScale() const { return m_fit ? FitScale() : m_zoom; }

int CKorvanesToolView::ScaleUnit() const
{
    // As the paint measures it: "0" in Arial at 10 points over 7.
    const QFontMetrics metrics(ArialForPoints(10, viewport()->logicalDpiY()), viewport());
    return std::max(1, metrics.horizontalAdvance(QLatin1Char('0')) / 7);
}

double CKorvanesToolView::FitScale() const
{
    // The picture in pixels at scale 1: its size in units of the scale unit,
    // times the scale unit of this screen.
    const int c = ScaleUnit();
    const ClientSize picture = DefaultPictureSize(m_document.Doc().m_options.m_plotType);
    const QSize pane = viewport()->size();
    return std::max(0.05, std::min(pane.width() / (static_cast<double>(c) * picture.width),
                                   pane.height() / (static_cast<double>(c) * picture.height)));
}

CKorvanesToolView::Framing CKorvanesToolView::CurrentFraming() const
{
    Framing framing;
    const QSize pane = viewport()->size();
    if (m_fit) {
        // The picture, centred in the pane; a single diagram sits in the
        // middle of the picture, as in an exported one.
        const ClientSize picture = DefaultPictureSize(m_document.Doc().m_options.m_plotType);
        framing.scale = FitScale();
        const int c = ScaleUnit();
        framing.offset = QPointF((pane.width() - framing.scale * c * picture.width) / 2.0,
                                 (pane.height() - framing.scale * c * picture.height) / 2.0);
        framing.client = QSize(picture.width, picture.height);
        return framing;
    }
    framing.scale = m_zoom;
    framing.offset = QPointF(-horizontalScrollBar()->value(), -verticalScrollBar()->value());
    framing.client = QSize(static_cast<int>(pane.width() / m_zoom), static_cast<int>(pane.height() / m_zoom));
    return framing;
}

void CKorvanesToolView::paintEvent(QPaintEvent*)
{
    QPainter painter(viewport());
    const Framing framing = CurrentFraming();
    painter.translate(framing.offset);
    painter.scale(framing.scale, framing.scale);
    OnDraw(painter, framing.client, m_fit);
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
    // Fitted, nothing lies outside the pane.
    const int extent = m_fit ? 0 : static_cast<int>(kScrollExtent * m_zoom);
    const QSize page = viewport()->size();
    horizontalScrollBar()->setRange(0, std::max(0, extent - page.width()));
    horizontalScrollBar()->setPageStep(page.width());
    horizontalScrollBar()->setSingleStep(20);
    verticalScrollBar()->setRange(0, std::max(0, extent - page.height()));
    verticalScrollBar()->setPageStep(page.height());
    verticalScrollBar()->setSingleStep(20);
}

}  // namespace korvanes::gui
