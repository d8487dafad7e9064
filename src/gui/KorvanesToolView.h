#pragma once
// The plot pane of a document window: every paint draws the diagram the
// document's view options choose from its analysis (the document analyses
// itself when its inputs change; a paint computes nothing).
//
// Fitted to the window (the default), the picture of the diagram, or the
// all-plots page, is scaled to fill the pane and follows its size. Otherwise
// the pane is a scrolling area of 1000 × 1000 logical units, shown at a zoom
// (1: one logical unit per pixel).

#include <QAbstractScrollArea>
#include <QPointer>

#include "OpenDocument.h"

class QPainter;

namespace korvanes::gui {

class CKorvanesToolView final : public QAbstractScrollArea {
    Q_OBJECT
public:
    // The size of the scrollable area in logical units.
    static constexpr int kScrollExtent = 1000;

    CKorvanesToolView(OpenDocument& document, QWidget* parent = nullptr);

    OpenDocument& Document() { return m_document; }

    // Fixes the scrollable area; called once the view sits in its window.
    void OnInitialUpdate();

    // One paint on `painter` (screen, printer, picture): the diagram for a
    // window of `client` pixels.
    // `keepSmallText`: labels under 10 points stay legible however far the
    // painter scales down (a fitted page).
    void OnDraw(QPainter& painter, QSize client, bool keepSmallText = false);

    bool FitsToWindow() const { return m_fit; }
    // Fitted, or the scrolling page at zoom 1.
    void SetFitToWindow(bool fit);
    // The next larger or smaller zoom step from the scale shown now; leaves
    // the fitted mode.
    void ZoomIn();
    void ZoomOut();
    // The scale the picture is shown at now (logical units to pixels).
    double ShownScale() const;

    // Paints run so far, for tests and measurements.
    int PaintCount() const { return m_paintCount; }

signals:
    // After every paint on the screen.
    void Painted();
    // The fitted mode or the zoom changed.
    void ZoomChanged();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    // Where the picture goes in the pane: painter offset and scale, and the
    // client size handed to the paint.
    struct Framing {
        QPointF offset;
        double scale = 1.0;
        QSize client;
    };
    Framing CurrentFraming() const;
    int ScaleUnit() const;
    double FitScale() const;
    void SetZoom(double zoom);
    void OnDocumentUpdated();
    void UpdateScrollBars();

    OpenDocument& m_document;
    int m_paintCount = 0;
    bool m_fit = true;
    double m_zoom = 1.0;
};

}  // namespace korvanes::gui
