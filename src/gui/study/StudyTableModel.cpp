#include "study/StudyTableModel.h"

#include <QColor>

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

}  // namespace

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
    static const char* const kTitles[kColumnCount] = {
        QT_TR_NOOP("Specimen"), QT_TR_NOOP("Site"),  QT_TR_NOOP("Sample"), QT_TR_NOOP("Lab field"),
        QT_TR_NOOP("Type"),     QT_TR_NOOP("Class"), QT_TR_NOOP("Paleoint."), QT_TR_NOOP("\u00B1 \u03C3"),
        QT_TR_NOOP("Range"),    QT_TR_NOOP("N"),     QT_TR_NOOP("f"),      QT_TR_NOOP("g"),
        QT_TR_NOOP("q"),        QT_TR_NOOP("w"),     QT_TR_NOOP("State"),  QT_TR_NOOP("Note"),
    };
    return section >= 0 && section < kColumnCount ? tr(kTitles[section]) : QVariant();
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
                          column == kNote || column == kMethod || column == kClass;
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
        return {};
    }
}

void StudyTableModel::RowChanged(int row)
{
    emit dataChanged(index(row, 0), index(row, kColumnCount - 1));
}

void StudyTableModel::AllChanged()
{
    if (rowCount() > 0) {
        emit dataChanged(index(0, 0), index(rowCount() - 1, kColumnCount - 1));
    }
}

void StudyTableModel::Reset()
{
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
