#include "ResultForm.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QListWidget>
#include <QPushButton>

#include "Messages.h"
#include "results/FormLines.h"
#include "results/ResultNotes.h"
#include "text/TextEncoding.h"

namespace korvanes::gui {
namespace {

// The result fields and the result values they show.
struct ResultFieldValue {
    int controlId;
    double CSpecimenResult::*number;
    std::int32_t CSpecimenResult::*integer;
    std::string CSpecimenResult::*text;
};

constexpr ResultFieldValue kResultFields[] = {
    {1021, nullptr, &CSpecimenResult::n, nullptr},
    {1022, &CSpecimenResult::slope, nullptr, nullptr},
    {1023, &CSpecimenResult::slopeRelStd, nullptr, nullptr},
    {1020, &CSpecimenResult::stdDev, nullptr, nullptr},
    {1019, &CSpecimenResult::paleointensity, nullptr, nullptr},
    {1027, &CSpecimenResult::q, nullptr, nullptr},
    {1028, &CSpecimenResult::w, nullptr, nullptr},
    {1026, &CSpecimenResult::g, nullptr, nullptr},
    {1025, &CSpecimenResult::f, nullptr, nullptr},
    {1024, nullptr, nullptr, &CSpecimenResult::resultClass},
    {1037, nullptr, nullptr, &CSpecimenResult::methodType},
    {1029, &CSpecimenResult::trm, nullptr, nullptr},
    {1030, &CSpecimenResult::nrmT, nullptr, nullptr},
    {1036, &CSpecimenResult::madAnchored, nullptr, nullptr},
    {1034, &CSpecimenResult::incAnchored, nullptr, nullptr},
    {1033, &CSpecimenResult::decAnchored, nullptr, nullptr},
    {1032, &CSpecimenResult::ckDiff, nullptr, nullptr},
    {1031, &CSpecimenResult::ckError, nullptr, nullptr},
    {1038, &CSpecimenResult::dAC, nullptr, nullptr},
    {1040, &CSpecimenResult::dTR, nullptr, nullptr},
    {1075, &CSpecimenResult::drat, nullptr, nullptr},
    {1074, &CSpecimenResult::alpha, nullptr, nullptr},
    {1077, &CSpecimenResult::dTStar, nullptr, nullptr},
    {1041, &CSpecimenResult::decFree, nullptr, nullptr},
    {1042, &CSpecimenResult::incFree, nullptr, nullptr},
    {1043, &CSpecimenResult::madFree, nullptr, nullptr},
};

QString ProgramText(const std::string& bytes) { return QString::fromStdU16String(ToUtf16(bytes)); }

// The text of an integer or text field.
QString ResultText(const CSpecimenResult& result, const ResultFieldValue& field)
{
    if (field.integer != nullptr) {
        return QString::number(result.*field.integer);
    }
    return QString::fromStdU16String(ToUtf16(result.*field.text));
}

std::string MethodText(const CKorvanesToolDoc& doc)
{
    const std::string& text = doc.m_header.m_checkMethodText;
    return text.empty() ? std::string("no alteration check") : text;
}

// Chooses button `id` of an exclusive group, or none for -1.
void CheckButton(QButtonGroup& group, int id)
{
    if (group.checkedId() == id) {
        return;
    }
    group.setExclusive(false);
    for (QAbstractButton* button : group.buttons()) {
        button->setChecked(group.id(button) == id);
    }
    group.setExclusive(true);
}

void SetListLines(QListWidget& list, std::vector<std::string>& shown, std::vector<std::string> lines)
{
    if (lines == shown) {
        return;
    }
    shown = std::move(lines);
    list.clear();
    for (const std::string& line : shown) {
        list.addItem(ProgramText(line));
    }
}

}  // namespace

CResultForm::CResultForm(OpenDocument& document, QWidget* parent) : QScrollArea(parent), m_document(document)
{
    BuildLayout();
    ConnectHandlers();
    // Whichever window or command changed the document, every form on it
    // shows what it holds.
    connect(&m_document, &OpenDocument::InputsChanged, this, [this] { OnUpdate(); });
    connect(&m_document, &OpenDocument::Analysed, this, [this] { OnUpdate(); });
    connect(&m_document, &OpenDocument::ViewChanged, this, [this] { OnUpdate(); });
}

ResultField* CResultForm::Field(int controlId) const
{
    const auto it = m_fields.find(controlId);
    return it == m_fields.end() ? nullptr : it->second;
}

void CResultForm::OnInitialUpdate() { OnUpdate(); }

void CResultForm::OnUpdate()
{
    const CKorvanesToolDoc& doc = m_document.Doc();
    const AnalysisInputs& inputs = m_document.Inputs();
    m_held.plotIndex = doc.m_options.m_plotType;
    m_held.coordinateIndex = inputs.coordinates;
    m_held.rangeIndex = inputs.rangeMode;
    m_held.showAdditivityChecks = doc.m_options.m_showAdditivityChecks != 0;
    // The analysis may switch the check correction on or off (the MT4
    // correction of the automatic search): the box shows what it used.
    m_held.checkCorrected = doc.m_options.m_checkCorrected != 0;
    m_held.onlyZComponent = inputs.onlyZComponent != 0;
    m_held.includeCheckCorrection = inputs.includeCheckCorrection != 0;
    m_held.labField = inputs.labField;
    m_held.sample = doc.m_header.m_specimenName;
    m_includeCheckCorrection->setVisible(doc.m_criteria.allowMt4CheckCorrection != 0 &&
                                         doc.m_result.methodType == "MT4");
    m_held.result = doc.m_result;
    m_held.from = doc.m_result.tMin;
    m_held.to = doc.m_result.tMax;
    m_held.methodText = MethodText(doc);
    SetRangeFieldsEnabled(m_held.rangeIndex == kSelectedRange);
    DrawMarks();
    FillLists();
    DisplayValues();
}

void CResultForm::DisplayValues()
{
    // Text typed into an input and not yet taken by an action stays; a
    // repaint of the plot pane must not throw it away.
    if (!m_labField->isModified()) {
        m_labField->setText(FormatLabField(m_held.labField));
    }
    if (!m_from->isModified()) {
        m_from->setText(QString::number(m_held.from));
    }
    if (!m_to->isModified()) {
        m_to->setText(QString::number(m_held.to));
    }
    m_sample->SetText(ProgramText(m_held.sample));
    CheckButton(m_plotGroup, m_held.plotIndex);
    CheckButton(m_coordinateGroup, m_held.coordinateIndex);
    CheckButton(m_rangeGroup, m_held.rangeIndex);
    m_showAdditivityChecks->setChecked(m_held.showAdditivityChecks);
    m_checkCorrected->setChecked(m_held.checkCorrected);
    m_onlyZComponent->setChecked(m_held.onlyZComponent);
    m_includeCheckCorrection->setChecked(m_held.includeCheckCorrection);
    const CKorvanesToolDoc& doc = m_document.Doc();
    for (const ResultFieldValue& field : kResultFields) {
        ResultField* shown = m_fields.at(field.controlId);
        if (field.number == nullptr) {
            shown->SetText(ResultText(m_held.result, field));
            continue;
        }
        // A statistic of a check the specimen does not have is no value,
        // though the results line writes 0 for it.
        const std::string missing = MissingCheck(field.controlId, doc);
        if (!missing.empty()) {
            QString why = ProgramText(missing);
            why[0] = why[0].toUpper();
            shown->SetAbsent(tr("%1 in this specimen: no value (the results line writes 0)").arg(why));
        } else {
            shown->SetNumber(m_held.result.*field.number);
        }
    }
    // Without a result the class field says why in its tooltip.
    const std::string noResult = MarksShown(m_held.result) ? std::string() : NoResultReason(doc);
    m_fields.at(1024)->Edit()->setToolTip(noResult.empty() ? QString()
                                                           : tr("No result: %1").arg(ProgramText(noResult)));
    m_methodText->SetText(ProgramText(m_held.methodText));
}

bool CResultForm::ReadFields()
{
    const std::optional<float> labField = ParseFormFloat(m_labField->text());
    if (!labField && !IsFormNumberText(m_labField->text())) {
        ReportBadField(m_labField, tr("Please enter a number."));
        return false;
    }
    if (labField && IsUsableLabField(*labField)) {
        m_held.labField = *labField;
    } else if (m_labField->isModified()) {
        // A typed number that gives no paleointensity: 0, negative, not
        // finite, or beyond the single-precision range.
        ReportBadField(m_labField, tr("The laboratory field must be a positive number of microtesla: %1 gives no "
                                      "paleointensity. The analysis keeps %2 \u00B5T.")
                                       .arg(m_labField->text().trimmed(), FormatLabField(m_held.labField)));
        return false;
    }
    // Otherwise the field shows the held value untouched, one that a file's
    // header gave: it stands (the result says why there is none).
    m_labField->setModified(false);
    m_held.plotIndex = m_plotGroup.checkedId();
    m_held.coordinateIndex = m_coordinateGroup.checkedId();
    m_held.showAdditivityChecks = m_showAdditivityChecks->isChecked();
    m_held.checkCorrected = m_checkCorrected->isChecked();
    m_held.onlyZComponent = m_onlyZComponent->isChecked();
    m_held.rangeIndex = m_rangeGroup.checkedId();
    for (auto [edit, held] : {std::pair{m_from, &m_held.from}, std::pair{m_to, &m_held.to}}) {
        const std::optional<int> value = ParseFormInteger(edit->text());
        if (!value) {
            ReportBadField(edit, tr("Please enter an integer."));
            return false;
        }
        *held = *value;
        edit->setModified(false);
    }
    m_held.includeCheckCorrection = m_includeCheckCorrection->isChecked();
    return true;
}

void CResultForm::ReportBadField(QLineEdit* field, const QString& message)
{
    ShowMessage(this, message);
    field->setFocus(Qt::OtherFocusReason);
    field->selectAll();
}

void CResultForm::FillLists()
{
    SetListLines(*m_steps, m_stepLines, StepLines(m_document.Doc()));
    SetListLines(*m_tailChecks, m_tailLines, TailLines(m_document.Doc()));
}

void CResultForm::DrawMarks()
{
    for (auto& [id, field] : m_fields) {
        field->SetMark(CriteriaMark::kNone);
    }
    if (!MarksShown(m_held.result)) {
        return;
    }
    for (const MarkedStatistic& statistic : CriteriaMarks(m_held.result, m_document.Doc().m_criteria)) {
        if (ResultField* field = Field(statistic.controlId)) {
            field->SetMark(statistic.mark);
        }
    }
}

void CResultForm::SetRangeFieldsEnabled(bool enabled)
{
    if (!enabled) {
        // The automatic search's range shows in closed fields, not text
        // typed for a range of one's own that was not applied.
        m_from->setModified(false);
        m_to->setModified(false);
    }
    m_from->setEnabled(enabled);
    m_to->setEnabled(enabled);
    m_includeCheckCorrection->setEnabled(!enabled);
}

void CResultForm::ConnectHandlers()
{
    connect(&m_plotGroup, &QButtonGroup::idClicked, this, &CResultForm::OnPlotChosen);
    connect(&m_coordinateGroup, &QButtonGroup::idClicked, this, &CResultForm::OnCoordinatesChosen);
    connect(&m_rangeGroup, &QButtonGroup::idClicked, this, &CResultForm::OnRangeModeChosen);
    for (QCheckBox* box : {m_showAdditivityChecks, m_checkCorrected, m_onlyZComponent}) {
        connect(box, &QCheckBox::clicked, this, &CResultForm::OnOptionToggled);
    }
    connect(m_includeCheckCorrection, &QCheckBox::clicked, this, &CResultForm::OnIncludeCheckCorrection);
    connect(m_apply, &QPushButton::clicked, this, &CResultForm::OnApplyChanges);
    connect(m_saveResults, &QPushButton::clicked, this, &CResultForm::SaveResultsRequested);
    connect(m_viewRawData, &QPushButton::clicked, this, &CResultForm::ViewRawDataRequested);
    // Enter in an input field applies it.
    for (QLineEdit* edit : {static_cast<QLineEdit*>(m_labField), static_cast<QLineEdit*>(m_from),
                            static_cast<QLineEdit*>(m_to)}) {
        connect(edit, &QLineEdit::returnPressed, this, &CResultForm::OnApplyChanges);
    }
}

void CResultForm::OnPlotChosen(int index) { m_document.SetPlotType(index); }

void CResultForm::OnCoordinatesChosen(int index)
{
    AnalysisInputs inputs = m_document.Inputs();
    inputs.coordinates = index;
    m_document.ChangeInputs(inputs);
}

void CResultForm::OnOptionToggled()
{
    const QObject* box = sender();
    if (box == m_showAdditivityChecks) {
        m_document.SetShowAdditivityChecks(m_showAdditivityChecks->isChecked());
        return;
    }
    AnalysisInputs inputs = m_document.Inputs();
    if (box == m_checkCorrected) {
        inputs.checkCorrected = m_checkCorrected->isChecked() ? 1 : 0;
    } else if (box == m_onlyZComponent) {
        inputs.onlyZComponent = m_onlyZComponent->isChecked() ? 1 : 0;
    }
    m_document.ChangeInputs(inputs);
    OnUpdate();  // an unchanged document still shows its value
}

void CResultForm::OnIncludeCheckCorrection()
{
    AnalysisInputs inputs = m_document.Inputs();
    inputs.includeCheckCorrection = m_includeCheckCorrection->isChecked() ? 1 : 0;
    m_document.ChangeInputs(inputs);
}

void CResultForm::OnRangeModeChosen(int index)
{
    // "select temperature range" starts from the range and the check
    // correction that the search used; the fields open or close with the
    // mode the document holds (see OnUpdate).
    AnalysisInputs inputs = m_document.Inputs();
    inputs.rangeMode = index;
    if (index == kSelectedRange && m_document.Inputs().rangeMode != kSelectedRange) {
        const CKorvanesToolDoc& doc = m_document.Doc();
        inputs.tMin = doc.m_result.tMin;
        inputs.tMax = doc.m_result.tMax;
        inputs.checkCorrected = doc.m_options.m_checkCorrected;
    }
    m_document.ChangeInputs(inputs);
    OnUpdate();
}

void CResultForm::OnApplyChanges() { ApplyChanges(); }

bool CResultForm::ApplyChanges()
{
    // A field that is not a number is reported; the values read before it
    // are applied with the document's own for the rest.
    const bool read = ReadFields();
    const bool selected = m_document.Inputs().rangeMode == kSelectedRange;
    if (selected && m_held.from > m_held.to) {
        ShowMessage(this, tr("Check your temperature range !"));
        return false;
    }
    AnalysisInputs inputs = m_document.Inputs();
    inputs.labField = m_held.labField;
    if (selected) {
        inputs.tMin = m_held.from;
        inputs.tMax = m_held.to;
    }
    m_document.ChangeInputs(inputs);
    OnUpdate();
    return read;
}

bool CResultForm::HasTypedValues() const
{
    return m_labField->isModified() || m_from->isModified() || m_to->isModified();
}

}  // namespace korvanes::gui
