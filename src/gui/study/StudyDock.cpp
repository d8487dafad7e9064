#include "study/StudyDock.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QStackedWidget>
#include <QTableView>
#include <QTreeView>
#include <QVBoxLayout>

#include "study/SiteTreeModel.h"
#include "study/StudySession.h"
#include "study/StudyTableModel.h"

namespace korvanes::gui {
namespace {

constexpr const char* kSection = "Study";
constexpr const char* kHiddenColumnsKey = "HiddenColumns";
constexpr const char* kGroupKey = "GroupBySite";
// The standard columns shown (by statistic key, "verdict" for the criteria
// set's): hidden unless named here.
constexpr const char* kShownStatisticsKey = "ShownStatistics";

QString StandardColumnKey(int column)
{
    const std::optional<StandardStatistic> statistic = StudyTableModel::StatisticOfColumn(column);
    return statistic ? QString::fromLatin1(InfoOf(*statistic).key) : QStringLiteral("verdict");
}

}  // namespace

StudyDock::StudyDock(SettingsStore& settings, QWidget* parent)
    : QDockWidget(tr("Study"), parent),
      m_settings(settings),
      m_filter(new StudyFilter(this)),
      m_table(new QTableView),
      m_tree(new QTreeView),
      m_group(new QCheckBox(tr("Group by site"))),
      m_views(new QStackedWidget),
      m_text(new QLineEdit),
      m_class(new QComboBox),
      m_rejected(new QCheckBox(tr("Rejected"))),
      m_note(new QLineEdit)
{
    setObjectName(QStringLiteral("studyDock"));
    m_text->setPlaceholderText(tr("Filter by name, site, sample or note"));
    m_text->setClearButtonEnabled(true);
    m_text->setAccessibleName(tr("Filter"));
    m_class->addItem(tr("All classes"), QString());
    for (const char* grade : {"A", "B", "C"}) {
        m_class->addItem(tr("Class %1").arg(QLatin1String(grade)), QString::fromLatin1(grade));
    }
    m_class->addItem(tr("No result"), QStringLiteral("none"));
    m_class->addItem(tr("Rejected"), QStringLiteral("rejected"));
    m_class->setAccessibleName(tr("Class filter"));
    m_note->setPlaceholderText(tr("Note on the specimen shown"));
    m_note->setAccessibleName(tr("Note"));

    m_table->setModel(m_filter);
    m_table->setSortingEnabled(true);
    m_table->sortByColumn(-1, Qt::AscendingOrder);  // the study's order until a column is chosen
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->verticalHeader()->setVisible(false);
    m_table->verticalHeader()->setDefaultSectionSize(m_table->fontMetrics().height() + 6);
    m_table->horizontalHeader()->setContextMenuPolicy(Qt::CustomContextMenu);
    m_table->horizontalHeader()->setSectionsMovable(true);
    m_table->setAlternatingRowColors(true);
    m_table->setAccessibleName(tr("Study table"));

    m_tree->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_tree->setSelectionMode(QAbstractItemView::SingleSelection);
    m_tree->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_tree->setAlternatingRowColors(true);
    m_tree->setUniformRowHeights(true);
    m_tree->setAccessibleName(tr("Sites"));
    m_group->setToolTip(tr("Show the study as sites, their samples and specimens, with their means"));
    m_views->addWidget(m_table);
    m_views->addWidget(m_tree);

    auto* content = new QWidget;
    auto* layout = new QVBoxLayout(content);
    layout->setContentsMargins(4, 4, 4, 4);
    auto* filters = new QHBoxLayout;
    filters->addWidget(m_text, 1);
    filters->addWidget(m_class);
    filters->addWidget(m_group);
    layout->addLayout(filters);
    layout->addWidget(m_views, 1);
    auto* marks = new QHBoxLayout;
    marks->addWidget(m_rejected);
    marks->addWidget(new QLabel(tr("Note:")));
    marks->addWidget(m_note, 1);
    layout->addLayout(marks);
    setWidget(content);
    setEnabled(false);

    connect(m_table->selectionModel(), &QItemSelectionModel::currentRowChanged, this, &StudyDock::OnRowChosen);
    connect(m_text, &QLineEdit::textChanged, m_filter, &StudyFilter::SetText);
    connect(m_class, &QComboBox::currentIndexChanged, this,
            [this] { m_filter->SetClass(m_class->currentData().toString()); });
    connect(m_table->horizontalHeader(), &QWidget::customContextMenuRequested, this, &StudyDock::ChooseColumns);
    connect(m_rejected, &QCheckBox::clicked, this, [this](bool rejected) {
        if (m_session != nullptr && m_session->Current() >= 0) {
            m_session->ChangeMarks(m_session->Current(), rejected, m_note->text().toStdString());
        }
    });
    connect(m_note, &QLineEdit::editingFinished, this, &StudyDock::CommitNote);
    connect(m_group, &QCheckBox::toggled, this, [this](bool grouped) {
        m_views->setCurrentWidget(grouped ? static_cast<QWidget*>(m_tree) : m_table);
        m_text->setEnabled(!grouped);
        m_class->setEnabled(!grouped);
        m_settings.WriteInt(kSection, kGroupKey, grouped ? 1 : 0);
        if (grouped && m_session != nullptr) {
            FollowInTree(m_session->Current());
        }
    });
    m_group->setChecked(m_settings.ReadInt(kSection, kGroupKey, 0) != 0);
}

void StudyDock::OnTreeRowChosen()
{
    if (m_following || m_session == nullptr) {
        return;
    }
    const QVariant specimen = m_tree->selectionModel()->currentIndex().data(SiteTreeModel::kSpecimenRole);
    if (specimen.isValid()) {
        CommitNote();
        m_session->Show(specimen.toInt());
    }
}

void StudyDock::FollowInTree(int index)
{
    if (m_session == nullptr || !m_group->isChecked()) {
        return;
    }
    const QModelIndex row = m_session->Sites().IndexOfSpecimen(index);
    if (!row.isValid() || row == m_tree->selectionModel()->currentIndex()) {
        return;
    }
    m_following = true;
    m_tree->selectionModel()->setCurrentIndex(row, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    m_tree->scrollTo(row);
    m_following = false;
}

void StudyDock::SetSession(StudySession* session)
{
    m_session = session;
    m_noteIndex = -1;
    m_filter->setSourceModel(session != nullptr ? &session->Model() : nullptr);
    m_tree->setModel(session != nullptr ? &session->Sites() : nullptr);
    setEnabled(session != nullptr);
    if (session == nullptr) {
        return;
    }
    connect(m_tree->selectionModel(), &QItemSelectionModel::currentRowChanged, this, &StudyDock::OnTreeRowChosen);
    connect(&session->Sites(), &QAbstractItemModel::modelReset, this, [this] {
        m_tree->expandToDepth(0);
        if (m_session != nullptr) {
            FollowInTree(m_session->Current());
        }
    });
    m_tree->expandToDepth(0);
    for (int column = 0; column < SiteTreeModel::kColumnCount; ++column) {
        m_tree->resizeColumnToContents(column);
    }
    RestoreColumns();
    m_table->resizeColumnsToContents();
    connect(session, &StudySession::CurrentChanged, this, &StudyDock::OnCurrentChanged);
    connect(session, &StudySession::SpecimenChanged, this, [this](int index) {
        if (m_session != nullptr && index == m_session->Current()) {
            ShowMarks();
        }
    });
    OnCurrentChanged(session->Current());
}

void StudyDock::CommitNote()
{
    // The note belongs to the specimen it was typed for, even when the
    // table has moved on meanwhile.
    if (m_session == nullptr || m_noteIndex < 0 || !m_note->isModified()) {
        return;
    }
    m_note->setModified(false);
    const StudySpecimen& specimen = m_session->Data().specimens.at(static_cast<std::size_t>(m_noteIndex));
    m_session->ChangeMarks(m_noteIndex, specimen.rejected, m_note->text().toStdString());
}

void StudyDock::OnRowChosen()
{
    if (m_following || m_session == nullptr) {
        return;
    }
    CommitNote();
    const QModelIndex current = m_table->selectionModel()->currentIndex();
    if (current.isValid()) {
        m_session->Show(m_filter->mapToSource(current).row());
    }
}

void StudyDock::OnCurrentChanged(int index)
{
    if (m_session == nullptr) {
        return;
    }
    ShowMarks();
    FollowInTree(index);
    const QModelIndex row = m_filter->mapFromSource(m_session->Model().index(index, 0));
    if (!row.isValid()) {
        return;
    }
    m_following = true;
    m_table->selectionModel()->setCurrentIndex(row, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    m_table->scrollTo(row);
    m_following = false;
}

void StudyDock::ShowMarks()
{
    const int index = m_session->Current();
    const bool shown = index >= 0;
    m_rejected->setEnabled(shown && !m_session->ReadOnly());
    m_note->setEnabled(shown && !m_session->ReadOnly());
    if (!shown) {
        return;
    }
    const StudySpecimen& specimen = m_session->Data().specimens[static_cast<std::size_t>(index)];
    m_rejected->setChecked(specimen.rejected);
    if (index != m_noteIndex || !m_note->isModified()) {
        m_note->setText(QString::fromStdString(specimen.note));
        m_note->setModified(false);
        m_noteIndex = index;
    }
}

bool StudyDock::Step(int direction)
{
    if (m_session == nullptr || m_filter->rowCount() == 0) {
        return false;
    }
    CommitNote();
    const QModelIndex current = m_filter->mapFromSource(m_session->Model().index(m_session->Current(), 0));
    const int row = current.isValid() ? current.row() + direction : (direction > 0 ? 0 : m_filter->rowCount() - 1);
    if (row < 0 || row >= m_filter->rowCount()) {
        return false;
    }
    m_session->Show(m_filter->mapToSource(m_filter->index(row, 0)).row());
    return true;
}

std::vector<std::size_t> StudyDock::RowOrder() const
{
    std::vector<std::size_t> order;
    for (int row = 0; row < m_filter->rowCount(); ++row) {
        order.push_back(static_cast<std::size_t>(m_filter->mapToSource(m_filter->index(row, 0)).row()));
    }
    return order;
}

void StudyDock::ChooseColumns(const QPoint& at)
{
    QMenu menu(this);
    QHeaderView* header = m_table->horizontalHeader();
    QMenu* statistics = nullptr;
    for (int column = 0; column < StudyTableModel::kColumnCount; ++column) {
        if (column == StudyTableModel::kFirstStandardColumn) {
            statistics = menu.addMenu(tr("Standard Statistics"));
        }
        QMenu* into = statistics != nullptr ? statistics : &menu;
        QAction* action = into->addAction(m_filter->headerData(column, Qt::Horizontal).toString());
        action->setCheckable(true);
        action->setChecked(!header->isSectionHidden(column));
        action->setEnabled(column != StudyTableModel::kName);  // the name always shows
        connect(action, &QAction::toggled, this, [this, header, column](bool shown) {
            header->setSectionHidden(column, !shown);
            if (shown) {
                m_table->resizeColumnToContents(column);
            }
            StoreColumns();
        });
    }
    menu.exec(header->mapToGlobal(at));
}

void StudyDock::RestoreColumns()
{
    const auto list = [this](const char* key) {
        return QString::fromStdString(m_settings.ReadText(kSection, key, "")).split(QLatin1Char(','), Qt::SkipEmptyParts);
    };
    const QStringList hidden = list(kHiddenColumnsKey);
    const QStringList shown = list(kShownStatisticsKey);
    for (int column = 0; column < StudyTableModel::kColumnCount; ++column) {
        m_table->horizontalHeader()->setSectionHidden(column, column < StudyTableModel::kFirstStandardColumn
                                                                  ? hidden.contains(QString::number(column))
                                                                  : !shown.contains(StandardColumnKey(column)));
    }
}

void StudyDock::StoreColumns()
{
    QStringList hidden;
    QStringList shown;
    for (int column = 0; column < StudyTableModel::kColumnCount; ++column) {
        const bool isHidden = m_table->horizontalHeader()->isSectionHidden(column);
        if (column < StudyTableModel::kFirstStandardColumn && isHidden) {
            hidden << QString::number(column);
        } else if (column >= StudyTableModel::kFirstStandardColumn && !isHidden) {
            shown << StandardColumnKey(column);
        }
    }
    m_settings.WriteText(kSection, kHiddenColumnsKey, hidden.join(QLatin1Char(',')).toStdString());
    m_settings.WriteText(kSection, kShownStatisticsKey, shown.join(QLatin1Char(',')).toStdString());
}

}  // namespace korvanes::gui
