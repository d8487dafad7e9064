// The arrangement of the result form: on the left the groups "Input",
// "View options" and "Data", on the right "Results" and "Additional Tools".
// Qt layouts size every field to its text in the user's font, at any scale.

#include <QCheckBox>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "ResultForm.h"

namespace korvanes::gui {
namespace {

// Indent of the radio buttons and check boxes under their heading, in
// average character widths.
constexpr int kIndentChars = 4;

QLabel* Label(const QString& text, QWidget* buddy = nullptr)
{
    auto* label = new QLabel(text);
    if (buddy != nullptr) {
        label->setBuddy(buddy);
    }
    return label;
}

int Indent(const QWidget& widget, int steps)
{
    return steps * kIndentChars * widget.fontMetrics().averageCharWidth();
}

// A list box of fixed-width lines that shows `columns` characters without
// cutting them.
QListWidget* LineList(int columns, int rows, const QString& name)
{
    auto* list = new QListWidget;
    list->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setAccessibleName(name);
    list->setUniformItemSizes(true);
    const QFontMetrics metrics(list->font());
    const int frame = 2 * list->frameWidth();
    list->setMinimumWidth(metrics.horizontalAdvance(QString(columns, QLatin1Char('0'))) + frame +
                          list->style()->pixelMetric(QStyle::PM_ScrollBarExtent) + 8);
    list->setMinimumHeight(rows * metrics.lineSpacing() + frame + 4);
    return list;
}

}  // namespace

void CResultForm::BuildLayout()
{
    setFrameShape(QFrame::NoFrame);
    setWidgetResizable(true);
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("resultFormPage"));
    auto* columns = new QHBoxLayout(page);
    // The form sits beside the plot pane: narrow outer margins leave its
    // width to the fields.
    const int margin = columns->contentsMargins().left() / 2;
    columns->setContentsMargins(margin, margin, margin, margin);

    auto* left = new QVBoxLayout;
    left->addWidget(BuildInputGroup());
    left->addWidget(BuildViewGroup());
    left->addWidget(BuildDataGroup(), 1);

    auto* right = new QVBoxLayout;
    right->addWidget(BuildResultsGroup());
    right->addWidget(BuildToolsGroup());
    right->addStretch(1);

    columns->addLayout(left);
    columns->addLayout(right);
    columns->addStretch(1);
    setWidget(page);
}

QWidget* CResultForm::BuildInputGroup()
{
    auto* group = new QGroupBox(tr("Input"));
    auto* layout = new QVBoxLayout(group);

    m_labField = new FittingLineEdit(8);
    m_labField->setAccessibleName(tr("Laboratory field"));
    m_labField->setAcceptDrops(false);
    auto* fieldRow = new QHBoxLayout;
    fieldRow->addWidget(Label(tr("Laboratory field:"), m_labField));
    fieldRow->addWidget(m_labField);
    fieldRow->addWidget(Label(tr("uT")));
    fieldRow->addStretch(1);
    layout->addLayout(fieldRow);

    auto* automatic = new QRadioButton(tr("automatic calculation"));
    m_includeCheckCorrection = new QCheckBox(tr("include check correction"));
    // Its place stays reserved while it is hidden, so the form does not jump.
    QSizePolicy keep = m_includeCheckCorrection->sizePolicy();
    keep.setRetainSizeWhenHidden(true);
    m_includeCheckCorrection->setSizePolicy(keep);
    auto* selected = new QRadioButton(tr("select temperature range"));
    m_rangeGroup.addButton(automatic, kAutomaticRange);
    m_rangeGroup.addButton(selected, kSelectedRange);
    for (auto [widget, steps] : {std::pair<QWidget*, int>{automatic, 1}, {m_includeCheckCorrection, 2},
                                 {selected, 1}}) {
        auto* row = new QHBoxLayout;
        row->addSpacing(Indent(*group, steps));
        row->addWidget(widget);
        row->addStretch(1);
        layout->addLayout(row);
    }

    m_from = new FittingLineEdit(5);
    m_from->setAccessibleName(tr("Temperature range from"));
    m_to = new FittingLineEdit(5);
    m_to->setAccessibleName(tr("Temperature range to"));
    layout->addWidget(Label(tr("Temperature Range:")));
    auto* rangeRow = new QHBoxLayout;
    rangeRow->addWidget(Label(tr("from"), m_from));
    rangeRow->addWidget(m_from);
    rangeRow->addWidget(Label(QStringLiteral("\u00B0C  ") + tr("to"), m_to));
    rangeRow->addWidget(m_to);
    rangeRow->addWidget(Label(QStringLiteral("\u00B0C")));
    rangeRow->addStretch(1);
    layout->addLayout(rangeRow);
    for (QLineEdit* edit : {static_cast<QLineEdit*>(m_from), static_cast<QLineEdit*>(m_to)}) {
        edit->setAcceptDrops(false);
    }

    m_apply = new QPushButton(tr("Apply changes"));
    auto* applyRow = new QHBoxLayout;
    applyRow->addStretch(1);
    applyRow->addWidget(m_apply);
    layout->addLayout(applyRow);
    return group;
}

QWidget* CResultForm::BuildViewGroup()
{
    auto* group = new QGroupBox(tr("View options"));
    auto* grid = new QGridLayout(group);
    const QString plotNames[] = {tr("Arai Plot"), tr("Zij Plot"), tr("Decay Plot"), tr("Additional Plots"),
                                 tr("All Plots")};
    // Rows of the two columns, in the order they stand from the top.
    const int plotRows[] = {1, 4, 6, 7, 8};
    for (int i = 0; i < 5; ++i) {
        auto* button = new QRadioButton(plotNames[i]);
        m_plotGroup.addButton(button, i);
        grid->addWidget(button, plotRows[i], 0);
    }
    m_showAdditivityChecks = new QCheckBox(tr("show AC"));
    m_checkCorrected = new QCheckBox(tr("check corrected"));
    m_onlyZComponent = new QCheckBox(tr("only z-comp."));
    grid->addWidget(m_showAdditivityChecks, 0, 1);
    grid->addWidget(m_checkCorrected, 1, 1);
    grid->addWidget(m_onlyZComponent, 2, 1);
    const QString coordinateNames[] = {tr("Core co."), tr("Geo"), tr("Bedding")};
    for (int i = 0; i < 3; ++i) {
        auto* button = new QRadioButton(coordinateNames[i]);
        m_coordinateGroup.addButton(button, i);
        grid->addWidget(button, 3 + i, 1);
    }
    grid->setColumnStretch(2, 1);
    return group;
}

QWidget* CResultForm::BuildDataGroup()
{
    auto* group = new QGroupBox(tr("Data"));
    auto* layout = new QVBoxLayout(group);
    m_sample = new ResultField(ResultField::Width::kText, tr("Sample"));
    auto* sampleRow = new QHBoxLayout;
    sampleRow->addWidget(Label(tr("Sample:"), m_sample->Edit()));
    sampleRow->addWidget(m_sample, 1);
    layout->addLayout(sampleRow);

    m_steps = LineList(38, 8, tr("Measurement steps"));
    m_steps->setToolTip(tr("One line per measurement: step type (0 zero field, 1 in field, 2 pTRM check, "
                           "3 tail check, 4 additivity check), temperature (\u00B0C), moment (mA/m), "
                           "declination and inclination (\u00B0) in the chosen coordinates"));
    layout->addWidget(m_steps, 1);

    m_methodText = new ResultField(ResultField::Width::kText, tr("Method of alteration check"));
    layout->addWidget(Label(tr("Method of alteration check:"), m_methodText->Edit()));
    layout->addWidget(m_methodText);
    return group;
}

ResultField* CResultForm::AddResultField(int controlId, ResultField::Width width, const QString& label)
{
    auto* field = new ResultField(width, label);
    field->setObjectName(QStringLiteral("field%1").arg(controlId));
    m_fields[controlId] = field;
    return field;
}

QWidget* CResultForm::BuildResultsGroup()
{
    using Width = ResultField::Width;
    auto* group = new QGroupBox(tr("Results"));
    auto* layout = new QVBoxLayout(group);

    auto* intensityRow = new QHBoxLayout;
    ResultField* paleointensity = AddResultField(1019, Width::kNumber, tr("Paleointensity"));
    ResultField* stdDev = AddResultField(1020, Width::kNumber, tr("Standard deviation"));
    intensityRow->addWidget(Label(tr("Paleointensity:"), paleointensity->Edit()));
    intensityRow->addWidget(paleointensity);
    intensityRow->addWidget(Label(tr("+/-"), stdDev->Edit()));
    intensityRow->addWidget(stdDev);
    intensityRow->addWidget(Label(tr("uT")));
    intensityRow->addStretch(1);
    layout->addLayout(intensityRow);

    // Four columns; each field under its label.
    struct Cell {
        int id;
        const char* label;
        Width width;
    };
    const Cell rows[4][4] = {
        {{1021, "N:", Width::kShort}, {1022, "slope:", Width::kNumber}, {1023, "Std/slope:", Width::kNumber},
         {1037, "Type", Width::kShort}},
        {{1025, "f:", Width::kNumber}, {1026, "g:", Width::kNumber}, {1027, "q:", Width::kNumber},
         {1028, "w:", Width::kNumber}},
        {{1029, "TRM", Width::kNumber}, {1030, "NRMt", Width::kNumber}, {1031, "d(CK)", Width::kNumber},
         {1032, "d(pal)", Width::kNumber}},
        {{1075, "Drat", Width::kNumber}, {1074, "Alpha", Width::kNumber}, {0, nullptr, Width::kShort},
         {1024, "class:", Width::kShort}},
    };
    auto* grid = new QGridLayout;
    grid->setVerticalSpacing(0);
    int gridRow = 0;
    auto addCell = [this, grid](int row, int column, int id, const QString& label, Width width) {
        ResultField* field = AddResultField(id, width, label);
        auto* caption = Label(label, field->Edit());
        grid->addWidget(caption, row, column, Qt::AlignLeft | Qt::AlignBottom);
        grid->addWidget(field, row + 1, column);
    };
    for (const auto& row : rows) {
        for (int column = 0; column < 4; ++column) {
            if (row[column].label != nullptr) {
                addCell(gridRow, column, row[column].id, tr(row[column].label), row[column].width);
            }
        }
        gridRow += 2;
    }
    // The directions: a heading in the first column, Dec, Inc and MAD beside it.
    struct Direction {
        const char* heading;
        int ids[3];
        const char* labels[3];
    };
    const Direction directions[] = {
        {"Anchored", {1033, 1034, 1036}, {"Dec", "Inc", "MAD"}},
        {"Not-\nanchored", {1041, 1042, 1043}, {"Dec'", "Inc'", "MAD'"}},
    };
    for (const Direction& direction : directions) {
        grid->addWidget(Label(tr(direction.heading)), gridRow + 1, 0, Qt::AlignLeft | Qt::AlignVCenter);
        for (int i = 0; i < 3; ++i) {
            addCell(gridRow, i + 1, direction.ids[i], tr(direction.labels[i]), Width::kNumber);
        }
        gridRow += 2;
    }
    layout->addLayout(grid);

    auto* repeated = new QFrame;
    repeated->setFrameShape(QFrame::StyledPanel);
    auto* repeatedLayout = new QVBoxLayout(repeated);
    const int inner = repeatedLayout->contentsMargins().left() / 2;
    repeatedLayout->setContentsMargins(inner, inner, inner, inner);
    repeatedLayout->addWidget(Label(tr("Repeated demagnetizations:")));
    // Column headings over the list's fixed-width columns.
    auto* headings = new QLabel(QStringLiteral("T    d(theta)    d(Inc)     d(t*)    d(TR)"));
    headings->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_tailChecks = LineList(42, 6, tr("Repeated demagnetizations"));
    m_tailChecks->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Minimum);
    m_tailChecks->setMaximumHeight(m_tailChecks->minimumHeight());
    headings->setIndent(m_tailChecks->frameWidth() + 2);
    repeatedLayout->addWidget(headings);
    repeatedLayout->addWidget(m_tailChecks);
    auto* tailGrid = new QGridLayout;
    tailGrid->setVerticalSpacing(0);
    ResultField* dTR = AddResultField(1040, Width::kNumber, tr("d(TR)"));
    ResultField* dTStar = AddResultField(1077, Width::kNumber, tr("d(t*)"));
    tailGrid->addWidget(Label(tr("d(TR)"), dTR->Edit()), 0, 0);
    tailGrid->addWidget(dTR, 1, 0);
    tailGrid->addWidget(Label(tr("d(t*)"), dTStar->Edit()), 0, 1);
    tailGrid->addWidget(dTStar, 1, 1);
    tailGrid->setColumnStretch(2, 1);
    repeatedLayout->addLayout(tailGrid);
    layout->addWidget(repeated);

    ResultField* dAC = AddResultField(1038, Width::kNumber, tr("d(AC)"));
    layout->addWidget(Label(tr("Additivity checks:")));
    auto* additivityRow = new QGridLayout;
    additivityRow->setVerticalSpacing(0);
    additivityRow->addWidget(Label(tr("d(AC)"), dAC->Edit()), 0, 0);
    additivityRow->addWidget(dAC, 1, 0);
    additivityRow->setColumnStretch(1, 1);
    layout->addLayout(additivityRow);

    m_saveResults = new QPushButton(tr("Save results"));
    auto* saveRow = new QHBoxLayout;
    saveRow->addStretch(1);
    saveRow->addWidget(m_saveResults);
    saveRow->addStretch(1);
    layout->addLayout(saveRow);
    return group;
}

QWidget* CResultForm::BuildToolsGroup()
{
    auto* group = new QGroupBox(tr("Additional Tools"));
    auto* layout = new QHBoxLayout(group);
    m_viewRawData = new QPushButton(tr("View raw data"));
    layout->addWidget(m_viewRawData);
    layout->addStretch(1);
    return group;
}

}  // namespace korvanes::gui
