#include "CriteriaDialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "FormFields.h"
#include "Messages.h"
#include "text/TextEncoding.h"

namespace korvanes::gui {
namespace {

struct Criterion {
    const char* category;  // starts a new group when not null
    const char* label;
    const char* name;
    std::int32_t ClassThresholds::*integer;
    double ClassThresholds::*number;
};

// The rows of the dialog in reading order.
const Criterion kCriteria[] = {
    {"Linear fit criteria", "Number of points (N) >=", "minN", &ClassThresholds::minN, nullptr},
    {nullptr, "Standard deviation (Std) >=", "maxSlopeRelStd", nullptr, &ClassThresholds::maxSlopeRelStd},
    {nullptr, "Fraction of NRM (f) >=", "minF", nullptr, &ClassThresholds::minF},
    {nullptr, "Quality factor (q) >=", "minQ", &ClassThresholds::minQ, nullptr},
    {"Directional criteria", "MAD (anchored) <=", "maxMad", &ClassThresholds::maxMad, nullptr},
    {nullptr, "MAD' (not-anchored) <=", "maxMadFree", &ClassThresholds::maxMadFree, nullptr},
    {nullptr, "Alpha <=", "maxAlpha", &ClassThresholds::maxAlpha, nullptr},
    {"Alteration criteria", "Relative check error: d(CK) <=", "maxCkError", &ClassThresholds::maxCkError, nullptr},
    {nullptr, "Cumulative check diff: d(pal) <=", "maxCkDiff", &ClassThresholds::maxCkDiff, nullptr},
    {nullptr, "Difference ratio (Drat) <=", "maxDrat", &ClassThresholds::maxDrat, nullptr},
    {"Repeated demagnetization steps", "Normalized tail of pTRM: d(t*) <=", "maxTailStar",
     &ClassThresholds::maxTailStar, nullptr},
    {nullptr, "Relative intensity diff <=", "maxIntensityDiff", &ClassThresholds::maxIntensityDiff, nullptr},
    {"Additivity checks", "Relative AC error: d(AC) <=", "maxAc", &ClassThresholds::maxAc, nullptr},
};

QLabel* Bold(const QString& text)
{
    auto* label = new QLabel(text);
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    return label;
}

QString FileChooser(QWidget* parent, bool save)
{
    QFileDialog dialog(parent, save ? CCriteriaDialog::tr("Save criteria") : CCriteriaDialog::tr("Load criteria"));
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setDefaultSuffix(QStringLiteral("cri"));
    dialog.setNameFilter(CCriteriaDialog::tr("Criteria files (*.cri);;All files (*)"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return {};
    }
    return dialog.selectedFiles().front();
}

}  // namespace

CCriteriaDialog::CCriteriaDialog(ApplicationCriteria& application, const CCriteriaSet& documentCriteria,
                                 QWidget* parent)
    : QDialog(parent), m_application(application)
{
    setWindowTitle(tr("Criteria"));
    chooseFileToLoad = [this] { return FileChooser(this, false); };
    chooseFileToSave = [this] { return FileChooser(this, true); };
    // The document's own criteria, and the application's criteria file.
    m_values = documentCriteria;
    m_path = QFile::decodeName(QByteArray::fromStdString(application.path));
    BuildLayout();
    ShowValues();
}

QString CCriteriaDialog::PathShown() const { return m_pathEdit->text(); }

void CCriteriaDialog::BuildLayout()
{
    auto* limits = new QGridLayout;
    limits->addWidget(Bold(tr("Class A")), 0, 1, Qt::AlignCenter);
    limits->addWidget(Bold(tr("Class B")), 0, 2, Qt::AlignCenter);
    int row = 1;
    for (const Criterion& criterion : kCriteria) {
        if (criterion.category != nullptr) {
            auto* heading = Bold(tr(criterion.category));
            heading->setContentsMargins(0, row > 1 ? 8 : 0, 0, 0);
            limits->addWidget(heading, row++, 0, 1, 3);
        }
        auto* label = new QLabel(tr(criterion.label));
        limits->addWidget(label, row, 0);
        for (bool classB : {false, true}) {
            auto* edit = new FittingLineEdit(6);
            edit->setObjectName(QStringLiteral("%1%2").arg(QLatin1String(criterion.name), classB ? "B" : "A"));
            edit->setAccessibleName(label->text() + (classB ? tr(" (class B)") : tr(" (class A)")));
            limits->addWidget(edit, row, classB ? 2 : 1);
            m_fields.push_back({edit, criterion.integer, criterion.number, classB});
        }
        label->setBuddy(m_fields[m_fields.size() - 2].edit);
        ++row;
    }

    auto* classC = new QGroupBox(tr("Class C"));
    auto* classCLayout = new QVBoxLayout(classC);
    classCLayout->addWidget(new QLabel(tr("Manuel determination which does\nnot satisfy class A or B criteria.")));

    auto* file = new QGroupBox(tr("Criteria file"));
    auto* fileLayout = new QVBoxLayout(file);
    m_pathEdit = new QLineEdit;
    m_pathEdit->setReadOnly(true);
    m_pathEdit->setAccessibleName(tr("Criteria file"));
    m_pathEdit->setMinimumWidth(m_pathEdit->fontMetrics().averageCharWidth() * 36);
    fileLayout->addWidget(m_pathEdit);
    auto* fileButtons = new QHBoxLayout;
    for (auto [text, action] : {std::pair{tr("Load"), &CCriteriaDialog::Load}, std::pair{tr("Save"), &CCriteriaDialog::Save},
                                std::pair{tr("Default"), &CCriteriaDialog::Default}}) {
        auto* button = new QPushButton(text);
        button->setAutoDefault(false);
        connect(button, &QPushButton::clicked, this, action);
        fileButtons->addWidget(button);
    }
    fileLayout->addLayout(fileButtons);

    auto* automatic = new QGroupBox(tr("Automatic calculation parameter"));
    auto* automaticLayout = new QVBoxLayout(automatic);
    automaticLayout->addWidget(new QLabel(tr("Linear fit determination by maximizing")));
    m_maximize = new QButtonGroup(this);
    for (auto [text, index] : {std::pair{tr("weighting parameter (w)"), 0}, std::pair{tr("quality factor (q)"), 1}}) {
        auto* button = new QRadioButton(text);
        m_maximize->addButton(button, index);
        automaticLayout->addWidget(button);
    }
    automaticLayout->addWidget(new QLabel(tr("Allow automatic calculation with\ncheck correction in case of MT4:")));
    m_allowMt4 = new QCheckBox(tr("Enable as option for automatic\ncalculation"));
    automaticLayout->addWidget(m_allowMt4);

    auto* view = new QGroupBox(tr("General View Options"));
    auto* viewLayout = new QVBoxLayout(view);
    viewLayout->addWidget(new QLabel(tr("Arai diagram:")));
    m_araiScales = new QButtonGroup(this);
    for (auto [text, index] : {std::pair{tr("normalize both axes separately"), 0},
                               std::pair{tr("normalize both axes equally"), 1}}) {
        auto* button = new QRadioButton(text);
        m_araiScales->addButton(button, index);
        viewLayout->addWidget(button);
    }

    auto* buttons = new QDialogButtonBox;
    QPushButton* apply = buttons->addButton(tr("Apply"), QDialogButtonBox::AcceptRole);
    apply->setDefault(true);
    buttons->addButton(QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &CCriteriaDialog::Apply);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* right = new QVBoxLayout;
    for (QWidget* group : {static_cast<QWidget*>(classC), static_cast<QWidget*>(file),
                           static_cast<QWidget*>(automatic), static_cast<QWidget*>(view)}) {
        right->addWidget(group);
    }
    right->addStretch(1);
    right->addWidget(buttons);
    auto* columns = new QHBoxLayout(this);
    columns->addLayout(limits);
    columns->addSpacing(16);
    columns->addLayout(right);
}

void CCriteriaDialog::ShowValues()
{
    for (const Field& field : m_fields) {
        const ClassThresholds& block = field.classB ? m_values.classB : m_values.classA;
        field.edit->setText(field.integer != nullptr ? QString::number(block.*field.integer)
                                                     : FormatFormNumber(block.*field.number));
    }
    m_maximize->button(m_values.maximizeQ != 0 ? 1 : 0)->setChecked(true);
    m_allowMt4->setChecked(m_values.allowMt4CheckCorrection != 0);
    m_araiScales->button(m_values.equalAraiScales != 0 ? 1 : 0)->setChecked(true);
    m_pathEdit->setText(QDir::toNativeSeparators(m_path));
}

bool CCriteriaDialog::ReadValues()
{
    for (const Field& field : m_fields) {
        ClassThresholds& block = field.classB ? m_values.classB : m_values.classA;
        const QString text = field.edit->text();
        bool read = false;
        if (field.integer != nullptr) {
            const std::optional<int> value = ParseFormInteger(text);
            read = value.has_value();
            block.*field.integer = value.value_or(block.*field.integer);
        } else {
            const std::optional<double> value = ParseFormDouble(text);
            read = value.has_value();
            block.*field.number = value.value_or(block.*field.number);
        }
        if (!read) {
            ShowMessage(this, field.integer != nullptr ? tr("Please enter an integer.") : tr("Please enter a number."));
            field.edit->setFocus(Qt::OtherFocusReason);
            field.edit->selectAll();
            return false;
        }
    }
    m_values.maximizeQ = m_maximize->checkedId() == 1 ? 1 : 0;
    m_values.allowMt4CheckCorrection = m_allowMt4->isChecked() ? 1 : 0;
    m_values.equalAraiScales = m_araiScales->checkedId() == 1 ? 1 : 0;
    return true;
}

void CCriteriaDialog::ShowApplicationCriteria()
{
    m_values = m_application.criteria;
    m_path = QFile::decodeName(QByteArray::fromStdString(m_application.path));
    ShowValues();
}

void CCriteriaDialog::Load()
{
    const QString path = chooseFileToLoad();
    if (path.isEmpty()) {
        return;
    }
    const CriteriaFileResult result = ReadCriteriaFile(m_application, QFile::encodeName(path).toStdString());
    if (!result.ok()) {
        ShowMessage(this, QString::fromStdU16String(ToUtf16(result.message)),
                    result.status == CriteriaFileStatus::kWrongTag ? QMessageBox::NoIcon : QMessageBox::Warning);
        return;
    }
    ShowApplicationCriteria();
}

void CCriteriaDialog::Save()
{
    // Values that do not parse are not written: the user corrects them first.
    if (!ReadValues()) {
        return;
    }
    const QString path = chooseFileToSave();
    if (path.isEmpty()) {
        return;
    }
    const CriteriaWriteStatus status =
        WriteCriteriaFile(m_application, QFile::encodeName(path).toStdString(), m_values);
    if (!status.ok) {
        ShowMessage(this, tr("The criteria could not be saved to \"%1\".").arg(QDir::toNativeSeparators(path)),
                    QString::fromStdU16String(ToUtf16(status.message)), QMessageBox::Warning);
    }
}

void CCriteriaDialog::Default()
{
    ResetCriteria(m_application);
    ShowApplicationCriteria();
}

void CCriteriaDialog::Apply()
{
    // A field that does not parse keeps the dialog open, and nothing is
    // applied until it does.
    if (!ReadValues()) {
        return;
    }
    m_application.criteria = m_values;
    m_applied = m_values;
    accept();
}

}  // namespace korvanes::gui
