#pragma once
// The study table: one row per specimen of a study, in the study's order,
// with what the laboratory compares specimens by. Sorting and filtering are
// the proxy's (StudyFilter); the rows' texts and sort values are here.

#include <QAbstractTableModel>
#include <QSortFilterProxyModel>
#include <optional>
#include <vector>

#include "analysis/StandardStatistics.h"
#include "criteria/StatisticCriteria.h"
#include "study/Study.h"

namespace korvanes::gui {

class StudyTableModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column {
        kName,
        kSite,
        kSample,
        kLabField,
        kMethod,
        kClass,
        kPaleointensity,
        kSigma,
        kRange,
        kN,
        kF,
        kG,
        kQ,
        kW,
        kState,
        kNote,
        // Standard statistics of the fit, hidden until the user shows them.
        kFrac,
        kBeta,
        kGapMax,
        kScat,
        kKPrime,
        kDrats,
        kMadFree,
        kDang,
        kVerdict,  // of the criteria set chosen under Options → Criteria set
        kColumnCount
    };
    static constexpr int kFirstStandardColumn = kFrac;
    // The statistic a standard column shows (none for the verdict and the
    // program's own columns).
    static std::optional<StandardStatistic> StatisticOfColumn(int column);
    // The value a column sorts by (numbers as numbers).
    static constexpr int kSortRole = Qt::UserRole;
    // The class a row counts as for the class filter: "A", "B", "C", "none"
    // or "rejected".
    static constexpr int kClassRole = Qt::UserRole + 1;

    explicit StudyTableModel(const Study& study, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // Row `row` (or every row) shows new values.
    void RowChanged(int row);
    void AllChanged();
    // The study was replaced or rows came and went.
    void Reset();

    // The set whose verdict the verdict column shows (and whose β builds
    // the SCAT box); none: the column is empty.
    void SetCriteriaSet(const std::optional<StatisticCriteriaSet>& set);

private:
    // The standard statistics of a row's fit, worked out when first asked
    // for and kept until the row changes.
    const StandardStatistics& StatisticsOf(int row) const;
    QVariant StandardData(int row, int column, bool sort) const;

    const Study& m_study;
    std::optional<StatisticCriteriaSet> m_set;
    mutable std::vector<std::optional<StandardStatistics>> m_statistics;
};

// Sorting by the sort role, filtering by a text (in name, site, sample or
// note, any letter case) and by class.
class StudyFilter final : public QSortFilterProxyModel {
    Q_OBJECT
public:
    explicit StudyFilter(QObject* parent = nullptr);

    void SetText(const QString& text);
    // "" for every class, else one of the kClassRole values.
    void SetClass(const QString& grade);

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;

private:
    QString m_text;
    QString m_class;
};

}  // namespace korvanes::gui
