#pragma once
// The plot pane of a document window: a scrolling area of 1000 × 1000
// logical units on which every paint draws the diagram the document's view
// options choose from its analysis (the document analyses itself when its
// inputs change; a paint computes nothing).

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
    void OnDraw(QPainter& painter, QSize client);

    // Paints run so far, for tests and measurements.
    int PaintCount() const { return m_paintCount; }

signals:
    // After every paint on the screen.
    void Painted();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    void OnDocumentUpdated();
    void UpdateScrollBars();

    OpenDocument& m_document;
    int m_paintCount = 0;
};

}  // namespace korvanes::gui
