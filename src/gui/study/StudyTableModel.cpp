#include "study/StudyTableModel.h"

#include <QColor>
#include <QStringList>
#include <iterator>

#include "text/TextEncoding.h"

namespace korvanes::gui {
namespace {

QString Bytes(const std::string& text) { return QString::fromStdU16String(ToUtf16(text)); }

QString Number(double value, int decimals) { return QString::number(value, 'f', decimals); }

QString StateText(const StudySpecimen& specimen)
{
    QString text;
    switch (ChoiceOf(specimen)) {
    case SpecimenChoice::kAutomatic:
        text = QObject::tr("automatic");
        break;
    case SpecimenChoice::kOwnRange:
        text = QObject::tr("own range");
        break;
    case SpecimenChoice::kRejected:
        text = QObject::tr("rejected");
        break;
    }
    switch (specimen.state) {
    case DataState::kMissing:
        return text + QObject::tr(", missing");
    case DataState::kChanged:
        return text + QObject::tr(", file changed");
    case DataState::kUnreadable:
        return text + QObject::tr(", unreadable");
    case DataState::kOk:
        break;
    }
    return text;
}

QString ClassOf(const StudySpecimen& specimen)
{
    if (specimen.rejected) {
        return QStringLiteral("rejected");
    }
    const std::string& grade = specimen.doc.m_result.resultClass;
    return grade.empty() ? QStringLiteral("none") : QString(QLatin1Char(grade[0]));
}

bool HasResult(const StudySpecimen& specimen) { return specimen.doc.m_result.paleointensity != 0.0; }

using S = StandardStatistic;

// The statistics of the standard columns, from kFirstStandardColumn on.
constexpr S kStandardColumns[] = {S::kFrac, S::kBeta, S::kGapMax, S::kScat, S::kKPrime,
                                  S::kDrats, S::kMadFree, S::kDang};
static_assert(std::size(kStandardColumns) == StudyTableModel::kVerdict - StudyTableModel::kFirstStandardColumn);

QString StandardTitle(int column)
{
    if (column == StudyTableModel::kVerdict) {
        return QObject::tr("Criteria set");
    }
    const StandardStatisticInfo& info = InfoOf(kStandardColumns[column - StudyTableModel::kFirstStandardColumn]);
    const QString label = QString::fromUtf8(info.label);
    return *info.unit != '\0' ? QStringLiteral("%1 (%2)").arg(label, QString::fromUtf8(info.unit)) : label;
}

}  // namespace

std::optional<StandardStatistic> StudyTableModel::StatisticOfColumn(int column)
{
    if (column < kFirstStandardColumn || column >= kVerdict) {
        return std::nullopt;
    }
    return kStandardColumns[column - kFirstStandardColumn];
}

void StudyTableModel::SetCriteriaSet(const std::optional<StatisticCriteriaSet>& set)
{
    m_set = set;
    m_statistics.clear();  // SCAT follows the set's β
    AllChanged();
}

const StandardStatistics& StudyTableModel::StatisticsOf(int row) const
{
    if (m_statistics.size() != m_study.specimens.size()) {
        m_statistics.assign(m_study.specimens.size(), std::nullopt);
    }
    std::optional<StandardStatistics>& kept = m_statistics[static_cast<std::size_t>(row)];
    if (!kept) {
        kept = StandardStatisticsOfResult(m_study.specimens[static_cast<std::size_t>(row)].doc,
                                          ScatBetaOf(m_set ? &*m_set : nullptr));
    }
    return *kept;
}

QVariant StudyTableModel::StandardData(int row, int column, bool sort) const
{
    const StandardStatistics& st = StatisticsOf(row);
    if (column == kVerdict) {
        if (!m_set || !st[S::kN]) {
            return sort ? QVariant(-1) : QVariant(QString());
        }
        const CriteriaVerdict verdict = EvaluateCriteria(*m_set, st);
        if (sort) {
            return verdict.pass ? 1 : 0;
        }
        if (verdict.pass) {
            return tr("pass");
        }
        QStringList failed;
        for (const std::string& name : verdict.Failed()) {
            failed << QString::fromStdString(name);
        }
        return tr("fail: %1").arg(failed.join(QStringLiteral(", ")));
    }
    const StandardStatistic statistic = *StatisticOfColumn(column);
    const std::optional<double> value = st[statistic];
    if (!value) {
        return sort ? QVariant(-1e300) : QVariant(QString());
    }
    if (sort) {
        return *value;
    }
    if (InfoOf(statistic).kind == StatisticKind::kFlag) {
        return *value != 0.0 ? tr("true") : tr("false");
    }
    const int decimals = statistic == S::kMadFree || statistic == S::kDang || statistic == S::kDrats ? 1 : 3;
    return Number(*value, decimals);
}

StudyTableModel::StudyTableModel(const Study& study, QObject* parent) : QAbstractTableModel(parent), m_study(study) {}

int StudyTableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_study.specimens.size());
}

int StudyTableModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : kColumnCount; }

QVariant StudyTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) {
        return {};
    }
    static const char* const kTitles[kFirstStandardColumn] = {
        QT_TR_NOOP("Specimen"), QT_TR_NOOP("Site"),  QT_TR_NOOP("Sample"), QT_TR_NOOP("Lab field"),
        QT_TR_NOOP("Type"),     QT_TR_NOOP("Class"), QT_TR_NOOP("Paleoint."), QT_TR_NOOP("\u00B1 \u03C3"),
        QT_TR_NOOP("Range"),    QT_TR_NOOP("N"),     QT_TR_NOOP("f"),      QT_TR_NOOP("g"),
        QT_TR_NOOP("q"),        QT_TR_NOOP("w"),     QT_TR_NOOP("State"),  QT_TR_NOOP("Note"),
    };
    if (section >= kFirstStandardColumn && section < kColumnCount) {
        return StandardTitle(section);
    }
    return section >= 0 && section < kFirstStandardColumn ? tr(kTitles[section]) : QVariant();
}

QVariant StudyTableModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount()) {
        return {};
    }
    const StudySpecimen& specimen = m_study.specimens[static_cast<std::size_t>(index.row())];
    const CSpecimenResult& r = specimen.doc.m_result;
    const bool result = HasResult(specimen);
    if (role == kClassRole) {
        return ClassOf(specimen);
    }
    if (role == Qt::ForegroundRole) {
        if (specimen.rejected || specimen.state != DataState::kOk) {
            return QColor(Qt::gray);
        }
        return {};
    }
    if (role == Qt::TextAlignmentRole) {
        const int column = index.column();
        const bool text = column == kName || column == kSite || column == kSample || column == kState ||
                          column == kNote || column == kMethod || column == kClass || column == kVerdict;
        return QVariant::fromValue(Qt::AlignVCenter | (text ? Qt::AlignLeft : Qt::AlignRight));
    }
    if (role != Qt::DisplayRole && role != kSortRole && role != Qt::ToolTipRole) {
        return {};
    }
    const bool sort = role == kSortRole;
    if (role == Qt::ToolTipRole) {
        return specimen.problem.empty() ? QVariant() : Bytes(specimen.problem);
    }
    const auto number = [&](double value, int decimals) -> QVariant {
        if (!result) {
            return sort ? QVariant(-1e300) : QVariant(QString());
        }
        return sort ? QVariant(value) : QVariant(Number(value, decimals));
    };
    switch (index.column()) {
    case kName:
        return Bytes(specimen.name);
    case kSite:
        return Bytes(specimen.site);
    case kSample:
        return Bytes(specimen.sample);
    case kLabField:
        return sort ? QVariant(static_cast<double>(specimen.inputs.labField))
                    : QVariant(Number(specimen.inputs.labField, 1));
    case kMethod:
        return Bytes(r.methodType);
    case kClass:
        return specimen.rejected ? tr("rejected") : Bytes(r.resultClass);
    case kPaleointensity:
        return number(r.paleointensity, 2);
    case kSigma:
        return number(r.stdDev, 2);
    case kRange:
        if (!result) {
            return sort ? QVariant(-1) : QVariant(QString());
        }
        return sort ? QVariant(r.tMin * 10000 + r.tMax) : QVariant(QStringLiteral("%1\u2013%2").arg(r.tMin).arg(r.tMax));
    case kN:
        return sort ? QVariant(r.n) : (result ? QVariant(QString::number(r.n)) : QVariant(QString()));
    case kF:
        return number(r.f, 2);
    case kG:
        return number(r.g, 2);
    case kQ:
        return number(r.q, 1);
    case kW:
        return number(r.w, 1);
    case kState:
        return StateText(specimen);
    case kNote:
        return QString::fromStdString(specimen.note);
    default:
        if (index.column() >= kFirstStandardColumn && index.column() < kColumnCount) {
            if (!result) {
                return sort ? QVariant(-1e300) : QVariant(QString());
            }
            return StandardData(index.row(), index.column(), sort);
        }
        return {};
    }
}

void StudyTableModel::RowChanged(int row)
{
    if (row >= 0 && static_cast<std::size_t>(row) < m_statistics.size()) {
        m_statistics[static_cast<std::size_t>(row)].reset();
    }
    emit dataChanged(index(row, 0), index(row, kColumnCount - 1));
}

void StudyTableModel::AllChanged()
{
    m_statistics.clear();
    if (rowCount() > 0) {
        emit dataChanged(index(0, 0), index(rowCount() - 1, kColumnCount - 1));
    }
}

void StudyTableModel::Reset()
{
    m_statistics.clear();
    beginResetModel();
    endResetModel();
}

StudyFilter::StudyFilter(QObject* parent) : QSortFilterProxyModel(parent)
{
    setSortRole(StudyTableModel::kSortRole);
    setDynamicSortFilter(true);
}

void StudyFilter::SetText(const QString& text)
{
    m_text = text.trimmed();
    invalidateFilter();
}

void StudyFilter::SetClass(const QString& grade)
{
    m_class = grade;
    invalidateFilter();
}

bool StudyFilter::filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const
{
    const QAbstractItemModel* model = sourceModel();
    if (!m_class.isEmpty() &&
        model->index(sourceRow, 0, sourceParent).data(StudyTableModel::kClassRole).toString() != m_class) {
        return false;
    }
    if (m_text.isEmpty()) {
        return true;
    }
    for (int column : {StudyTableModel::kName, StudyTableModel::kSite, StudyTableModel::kSample,
                       StudyTableModel::kNote}) {
        if (model->index(sourceRow, column, sourceParent).data().toString().contains(m_text, Qt::CaseInsensitive)) {
            return true;
        }
    }
    return false;
}

}  // namespace korvanes::gui
