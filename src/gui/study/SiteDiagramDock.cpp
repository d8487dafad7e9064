#include "study/SiteDiagramDock.h"

#include <QFile>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QMessageBox>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QToolButton>
#include <QVBoxLayout>

#include "GraphExport.h"
#include "Printing.h"
#include "QtPainterSurface.h"
#include "plots/SiteDiagram.h"
#include "study/SiteTreeModel.h"

namespace korvanes::gui {

SiteDiagramView::SiteDiagramView(QWidget* parent) : QWidget(parent)
{
    setMinimumSize(320, 220);
    setAccessibleName(tr("Site diagram"));
}

void SiteDiagramView::SetModel(SiteTreeModel* model)
{
    if (m_model) {
        disconnect(m_model, nullptr, this, nullptr);
    }
    m_model = model;
    if (model != nullptr) {
        connect(model, &SiteTreeModel::SummaryChanged, this, qOverload<>(&QWidget::update));
    }
    update();
}

PicturePainter SiteDiagramView::Painter() const
{
    // The picture keeps its own copy: a change made while it is written does not reach it.
    const SiteSummary summary = m_model ? m_model->Summary() : SiteSummary{};
    const std::vector<SpecimenEstimate> estimates = m_model ? m_model->Estimates() : std::vector<SpecimenEstimate>{};
    return [summary, estimates](DrawingSurface& surface, ClientSize client) {
        PaintSiteDiagram(surface, summary, estimates, client);
    };
}

PictureSize SiteDiagramView::PictureSizeForFile() const
{
    const ClientSize size = DefaultSiteDiagramSize(m_model ? m_model->Summary().sites.size() : 0);
    return {size.width, size.height};
}

void SiteDiagramView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    if (!m_model) {
        return;
    }
    QtPainterSurface surface(painter);
    PaintSiteDiagram(surface, m_model->Summary(), m_model->Estimates(), ClientSize{width(), height()});
}

SiteDiagramDock::SiteDiagramDock(QWidget* parent)
    : QDockWidget(tr("Site Diagram"), parent),
      m_view(new SiteDiagramView),
      m_save(new QToolButton),
      m_copy(new QToolButton),
      m_print(new QToolButton)
{
    setObjectName(QStringLiteral("siteDiagram"));
    m_save->setText(tr("Save Graph..."));
    m_copy->setText(tr("Copy"));
    m_print->setText(tr("Print..."));
    auto* content = new QWidget;
    auto* layout = new QVBoxLayout(content);
    layout->setContentsMargins(4, 4, 4, 4);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_save);
    buttons->addWidget(m_copy);
    buttons->addWidget(m_print);
    buttons->addStretch(1);
    layout->addLayout(buttons);
    layout->addWidget(m_view, 1);
    setWidget(content);
    setEnabled(false);
    connect(m_save, &QToolButton::clicked, this, &SiteDiagramDock::OnSave);
    connect(m_copy, &QToolButton::clicked, this, &SiteDiagramDock::OnCopy);
    connect(m_print, &QToolButton::clicked, this, &SiteDiagramDock::OnPrint);
}

void SiteDiagramDock::SetModel(SiteTreeModel* model)
{
    m_view->SetModel(model);
    setEnabled(model != nullptr);
}

bool SiteDiagramDock::SaveTo(const QString& path, PictureFormat format, QString& error)
{
    std::string reason;
    if (!ExportPicture(m_view->Painter(), format, QFile::encodeName(path).toStdString(), m_view->PictureSizeForFile(),
                       reason)) {
        error = QString::fromStdString(reason);
        return false;
    }
    return true;
}

void SiteDiagramDock::OnSave()
{
    QString filter;
    QString path = QFileDialog::getSaveFileName(this, tr("Save Site Diagram"), QString(),
                                                GraphFileFilters().join(QStringLiteral(";;")), &filter);
    if (path.isEmpty()) {
        return;
    }
    const PictureFormat format = GraphFormat(path, filter);
    QString error;
    if (!SaveTo(path, format, error)) {
        QMessageBox::warning(this, tr("Save Site Diagram"), tr("The diagram could not be saved: %1").arg(error));
    }
}

void SiteDiagramDock::OnCopy()
{
    QString error;
    if (!CopyPicture(m_view->Painter(), PictureSize{m_view->width(), m_view->height()}, m_view->PictureSizeForFile(),
                     error)) {
        QMessageBox::warning(this, tr("Copy"), tr("The diagram could not be copied: %1").arg(error));
    }
}

void SiteDiagramDock::OnPrint()
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageOrientation(QPageLayout::Landscape);
    QPrintDialog dialog(&printer, this);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
    if (dialog.exec() != QDialog::Accepted) {
        return;
    }
    if (!PrintPicture(printer, m_view->Painter())) {
        QMessageBox::warning(this, tr("Print"), tr("The printer could not be started."));
    }
}

}  // namespace korvanes::gui
