#pragma once
// The study's sites as a tree: site → sample → specimen, each row with its
// N, mean ± σ, σ %, acceptance (or why a specimen does not count) and, for
// a site with a latitude, its VADM. It follows the study table: whatever
// changes a specimen's row recomputes the summary at once, so the site's row
// (and the site diagram, through SummaryChanged) shows the change.

#include <QAbstractItemModel>
#include <QStringList>

#include "study/SiteMeans.h"
#include "study/Study.h"

namespace korvanes::gui {

class StudyTableModel;

class SiteTreeModel final : public QAbstractItemModel {
    Q_OBJECT
public:
    enum Column { kName, kN, kMean, kSigmaPercent, kVerdict, kVadm, kColumnCount };
    // The study's index of a specimen row (int), absent on site and sample rows.
    static constexpr int kSpecimenRole = Qt::UserRole + 10;

    // Follows `table`, the table model of `study`.
    SiteTreeModel(const Study& study, StudyTableModel& table, QObject* parent = nullptr);

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    const SiteSummary& Summary() const { return m_summary; }
    const std::vector<SpecimenEstimate>& Estimates() const { return m_estimates; }
    // The row of the study's specimen `specimen` (column 0), or an invalid index.
    QModelIndex IndexOfSpecimen(int specimen) const;
    // Why the sites table beside the study could not be used (one line each), empty when it could.
    const QStringList& SitesFileErrors() const { return m_sitesFileErrors; }
    // The sites table beside the study (korvanes-sites.txt in its folder).
    QString SitesFilePath() const;

    // Computes the summary anew (the sites table read again).
    void Recompute();
    // Which specimens count and when a site is accepted; recomputes.
    void SetSettings(const SiteMeanSettings& settings);
    const SiteMeanSettings& Settings() const { return m_settings; }

signals:
    void SummaryChanged();

private:
    // A row of the tree: its parent row (-1 for a site) and what it shows.
    struct Node {
        int parent = -1;
        int site = 0;
        int sample = -1;
        int specimen = -1;  // position in the sample's verdicts
        std::vector<int> children;
    };
    void BuildNodes();

    const Study& m_study;
    SiteMeanSettings m_settings;
    SiteSummary m_summary;
    std::vector<SpecimenEstimate> m_estimates;
    QStringList m_sitesFileErrors;
    std::vector<Node> m_nodes;
    std::vector<int> m_sites;  // the nodes of the sites
};

}  // namespace korvanes::gui
