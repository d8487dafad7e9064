#pragma once
// The site diagram of the open study (View → Site Diagram): redrawn whenever
// the study's site summary changes, saved (EMF, SVG, PDF, PNG), copied and
// printed like the other diagrams.

#include <QDockWidget>
#include <QPointer>

#include "PictureExport.h"

class QToolButton;

namespace korvanes::gui {

class SiteTreeModel;

// The diagram itself, filling the widget.
class SiteDiagramView final : public QWidget {
    Q_OBJECT
public:
    explicit SiteDiagramView(QWidget* parent = nullptr);
    void SetModel(SiteTreeModel* model);
    // Paints the current summary (what the view, the files and the printer show).
    PicturePainter Painter() const;
    // The size of a saved picture: the default for the number of sites.
    PictureSize PictureSizeForFile() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPointer<SiteTreeModel> m_model;
};

class SiteDiagramDock final : public QDockWidget {
    Q_OBJECT
public:
    explicit SiteDiagramDock(QWidget* parent = nullptr);
    // Shows the sites of `model` (null: no study).
    void SetModel(SiteTreeModel* model);
    SiteDiagramView* View() const { return m_view; }

    // Writes the diagram to `path` in `format`; false with the reason.
    bool SaveTo(const QString& path, PictureFormat format, QString& error);

private:
    void OnSave();
    void OnCopy();
    void OnPrint();

    SiteDiagramView* m_view;
    QToolButton* m_save;
    QToolButton* m_copy;
    QToolButton* m_print;
};

}  // namespace korvanes::gui
