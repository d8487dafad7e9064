#include "study/SiteTreeModel.h"

#include <QBrush>
#include <QColor>
#include <QDir>
#include <QFile>

#include "study/SitesFile.h"
#include "study/StudyTableModel.h"
#include "text/TextEncoding.h"

namespace korvanes::gui {
namespace {

QString Text(const std::string& bytes) { return QString::fromStdU16String(ToUtf16(bytes)); }

QString MeanText(const MeanAndSpread& m)
{
    if (m.n == 0) {
        return QStringLiteral("-");
    }
    return QString::number(m.mean, 'f', 2) + (m.sd ? QStringLiteral(" \u00B1 ") + QString::number(*m.sd, 'f', 2) : QString());
}

// Whether two summaries group the same specimens into the same rows.
bool SameShape(const SiteSummary& a, const SiteSummary& b)
{
    if (a.sites.size() != b.sites.size()) {
        return false;
    }
    for (std::size_t s = 0; s < a.sites.size(); ++s) {
        const SiteMean& x = a.sites[s];
        const SiteMean& y = b.sites[s];
        if (x.site != y.site || x.samples.size() != y.samples.size()) {
            return false;
        }
        for (std::size_t k = 0; k < x.samples.size(); ++k) {
            if (x.samples[k].sample != y.samples[k].sample ||
                x.samples[k].specimens.size() != y.samples[k].specimens.size()) {
                return false;
            }
            for (std::size_t v = 0; v < x.samples[k].specimens.size(); ++v) {
                if (x.samples[k].specimens[v].index != y.samples[k].specimens[v].index) {
                    return false;
                }
            }
        }
    }
    return true;
}

}  // namespace

SiteTreeModel::SiteTreeModel(const Study& study, StudyTableModel& table, QObject* parent)
    : QAbstractItemModel(parent), m_study(study)
{
    Recompute();
    connect(&table, &QAbstractItemModel::dataChanged, this, &SiteTreeModel::Recompute);
    connect(&table, &QAbstractItemModel::modelReset, this, &SiteTreeModel::Recompute);
    connect(&table, &QAbstractItemModel::rowsInserted, this, &SiteTreeModel::Recompute);
    connect(&table, &QAbstractItemModel::rowsRemoved, this, &SiteTreeModel::Recompute);
}

QString SiteTreeModel::SitesFilePath() const
{
    return QDir(QFile::decodeName(QByteArray::fromStdString(m_study.folder))).filePath(QLatin1String(kSitesFileName));
}

void SiteTreeModel::Recompute()
{
    SiteLocations places = m_study.magicPlaces;
    m_sitesFileErrors.clear();
    const QString path = SitesFilePath();
    if (QFile::exists(path)) {
        const SitesFileRead read = ReadSitesFile(QFile::encodeName(path).toStdString());
        for (const std::string& error : read.errors) {
            m_sitesFileErrors << Text(error);
        }
        for (const auto& [site, given] : read.sites) {
            SiteLocation& place = places[site];
            for (auto [to, from] : {std::pair{&place.lat, &given.lat}, std::pair{&place.lon, &given.lon},
                                    std::pair{&place.age, &given.age}, std::pair{&place.inc, &given.inc}}) {
                if (*from) {
                    *to = *from;
                }
            }
        }
    }
    std::vector<SpecimenEstimate> estimates = EstimatesOfStudy(m_study, m_settings);
    SiteSummary summary = SummariseSites(estimates, m_settings, places);
    if (SameShape(summary, m_summary) && !m_nodes.empty()) {
        m_summary = std::move(summary);
        m_estimates = std::move(estimates);
        // The same rows with new values: the views keep what is open and chosen.
        for (const int site : m_sites) {
            emit dataChanged(index(m_nodes[static_cast<std::size_t>(site)].site, 0),
                             index(m_nodes[static_cast<std::size_t>(site)].site, kColumnCount - 1));
            const QModelIndex parentIndex = index(m_nodes[static_cast<std::size_t>(site)].site, 0);
            const int samples = rowCount(parentIndex);
            if (samples > 0) {
                emit dataChanged(index(0, 0, parentIndex), index(samples - 1, kColumnCount - 1, parentIndex));
            }
            for (int k = 0; k < samples; ++k) {
                const QModelIndex sample = index(k, 0, parentIndex);
                const int specimens = rowCount(sample);
                if (specimens > 0) {
                    emit dataChanged(index(0, 0, sample), index(specimens - 1, kColumnCount - 1, sample));
                }
            }
        }
    } else {
        beginResetModel();
        m_summary = std::move(summary);
        m_estimates = std::move(estimates);
        BuildNodes();
        endResetModel();
    }
    emit SummaryChanged();
}

void SiteTreeModel::SetSettings(const SiteMeanSettings& settings)
{
    m_settings = settings;
    Recompute();
}

void SiteTreeModel::BuildNodes()
{
    m_nodes.clear();
    m_sites.clear();
    for (std::size_t s = 0; s < m_summary.sites.size(); ++s) {
        const int siteNode = static_cast<int>(m_nodes.size());
        m_nodes.push_back({-1, static_cast<int>(s), -1, -1, {}});
        m_sites.push_back(siteNode);
        const SiteMean& site = m_summary.sites[s];
        for (std::size_t k = 0; k < site.samples.size(); ++k) {
            const int sampleNode = static_cast<int>(m_nodes.size());
            m_nodes.push_back({siteNode, static_cast<int>(s), static_cast<int>(k), -1, {}});
            m_nodes[static_cast<std::size_t>(siteNode)].children.push_back(sampleNode);
            for (std::size_t v = 0; v < site.samples[k].specimens.size(); ++v) {
                const int specimenNode = static_cast<int>(m_nodes.size());
                m_nodes.push_back({sampleNode, static_cast<int>(s), static_cast<int>(k), static_cast<int>(v), {}});
                m_nodes[static_cast<std::size_t>(sampleNode)].children.push_back(specimenNode);
            }
        }
    }
}

QModelIndex SiteTreeModel::index(int row, int column, const QModelIndex& parent) const
{
    if (row < 0 || column < 0 || column >= kColumnCount) {
        return {};
    }
    const std::vector<int>& rows =
        parent.isValid() ? m_nodes[static_cast<std::size_t>(parent.internalId())].children : m_sites;
    if (row >= static_cast<int>(rows.size())) {
        return {};
    }
    return createIndex(row, column, static_cast<quintptr>(rows[static_cast<std::size_t>(row)]));
}

QModelIndex SiteTreeModel::parent(const QModelIndex& child) const
{
    if (!child.isValid()) {
        return {};
    }
    const int parentNode = m_nodes[static_cast<std::size_t>(child.internalId())].parent;
    if (parentNode < 0) {
        return {};
    }
    const Node& p = m_nodes[static_cast<std::size_t>(parentNode)];
    const int row = p.parent < 0 ? p.site : p.sample;
    return createIndex(row, 0, static_cast<quintptr>(parentNode));
}

int SiteTreeModel::rowCount(const QModelIndex& parent) const
{
    if (!parent.isValid()) {
        return static_cast<int>(m_sites.size());
    }
    if (parent.column() != 0) {
        return 0;
    }
    return static_cast<int>(m_nodes[static_cast<std::size_t>(parent.internalId())].children.size());
}

int SiteTreeModel::columnCount(const QModelIndex&) const { return kColumnCount; }

QVariant SiteTreeModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) {
        return {};
    }
    static const char* const kTitles[kColumnCount] = {QT_TR_NOOP("Site / sample / specimen"), QT_TR_NOOP("N"),
                                                      QT_TR_NOOP("Mean \u00B1 \u03C3 (\u00B5T)"), QT_TR_NOOP("\u03C3 %"),
                                                      QT_TR_NOOP("Accepted"), QT_TR_NOOP("VADM (ZAm\u00B2)")};
    return section >= 0 && section < kColumnCount ? tr(kTitles[section]) : QVariant();
}

QModelIndex SiteTreeModel::IndexOfSpecimen(int specimen) const
{
    for (std::size_t n = 0; n < m_nodes.size(); ++n) {
        const Node& node = m_nodes[n];
        if (node.specimen >= 0 &&
            m_summary.sites[static_cast<std::size_t>(node.site)]
                    .samples[static_cast<std::size_t>(node.sample)]
                    .specimens[static_cast<std::size_t>(node.specimen)]
                    .index == static_cast<std::size_t>(specimen)) {
            return createIndex(node.specimen, 0, static_cast<quintptr>(n));
        }
    }
    return {};
}

QVariant SiteTreeModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid()) {
        return {};
    }
    const Node& node = m_nodes[static_cast<std::size_t>(index.internalId())];
    const SiteMean& site = m_summary.sites[static_cast<std::size_t>(node.site)];
    if (node.sample < 0) {
        if (role == Qt::DisplayRole) {
            switch (index.column()) {
            case kName:
                return Text(site.site);
            case kN:
                return site.intensity.n;
            case kMean:
                return MeanText(site.intensity);
            case kSigmaPercent:
                return site.intensity.sdPercent ? QString::number(*site.intensity.sdPercent, 'f', 1) : QStringLiteral("-");
            case kVerdict: {
                QString text = site.accepted ? tr("yes") : tr("no");
                for (std::size_t i = 0; i < site.reasons.size(); ++i) {
                    text += (i == 0 ? QStringLiteral(": ") : QStringLiteral("; ")) + Text(site.reasons[i]);
                }
                return text;
            }
            case kVadm:
                return site.vadm ? QString::number(*site.vadm * 1e-21, 'f', 2) +
                                       (site.vadmSigma ? QStringLiteral(" \u00B1 ") +
                                                             QString::number(*site.vadmSigma * 1e-21, 'f', 2)
                                                       : QString())
                                 : QStringLiteral("-");
            default:
                return {};
            }
        }
        if (role == Qt::ForegroundRole && index.column() == kVerdict) {
            return QBrush(site.accepted ? QColor(0, 128, 40) : QColor(190, 30, 30));
        }
        return {};
    }
    const SampleMean& sample = site.samples[static_cast<std::size_t>(node.sample)];
    if (node.specimen < 0) {
        if (role != Qt::DisplayRole) {
            return {};
        }
        switch (index.column()) {
        case kName:
            return Text(sample.sample);
        case kN:
            return sample.intensity.n;
        case kMean:
            return MeanText(sample.intensity);
        case kSigmaPercent:
            return sample.intensity.sdPercent ? QString::number(*sample.intensity.sdPercent, 'f', 1)
                                              : QStringLiteral("-");
        default:
            return {};
        }
    }
    const SpecimenVerdict& verdict = sample.specimens[static_cast<std::size_t>(node.specimen)];
    const SpecimenEstimate& e = m_estimates.at(verdict.index);
    if (role == kSpecimenRole) {
        return static_cast<int>(verdict.index);
    }
    if (role == Qt::ForegroundRole && !verdict.counted) {
        return QBrush(QColor(128, 128, 128));
    }
    if (role != Qt::DisplayRole) {
        return {};
    }
    switch (index.column()) {
    case kName:
        return Text(e.name);
    case kMean:
        return e.paleointensity == 0.0 ? QStringLiteral("-")
                                       : QString::number(e.paleointensity, 'f', 2) + QStringLiteral(" \u00B1 ") +
                                             QString::number(e.sigma, 'f', 2);
    case kVerdict:
        return verdict.counted ? tr("counted") : Text(verdict.whyNot);
    default:
        return {};
    }
}

}  // namespace korvanes::gui
