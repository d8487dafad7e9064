#include "study/SiteCommands.h"

#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QFile>
#include <QFileDialog>
#include <QFormLayout>
#include <QLineEdit>
#include <QMessageBox>
#include <QSpinBox>

#include "io/FileReplace.h"
#include "study/SiteTables.h"
#include "study/SitesFile.h"
#include "study/StudySession.h"
#include "text/TextEncoding.h"

namespace korvanes::gui {
namespace {

constexpr const char* kSection = "Sites";

// A limit kept as text: empty when off.
std::optional<double> LimitOf(const std::string& text, std::optional<double> fallback)
{
    if (text == "off") {
        return std::nullopt;
    }
    try {
        return text.empty() ? fallback : std::optional<double>(std::stod(text));
    } catch (const std::exception&) {
        return fallback;
    }
}

std::string LimitText(const std::optional<double>& limit) { return limit ? StringPrintf("%.10g", *limit) : "off"; }

// A check box that switches a number field on and off.
struct OptionalNumber {
    QCheckBox* on;
    QDoubleSpinBox* value;
};

OptionalNumber MakeLimit(const std::optional<double>& limit, double fallback, const QString& suffix)
{
    OptionalNumber field{new QCheckBox, new QDoubleSpinBox};
    field.value->setRange(0.0, 1000.0);
    field.value->setDecimals(2);
    field.value->setSuffix(suffix);
    field.value->setValue(limit.value_or(fallback));
    field.on->setChecked(limit.has_value());
    field.value->setEnabled(limit.has_value());
    QObject::connect(field.on, &QCheckBox::toggled, field.value, &QWidget::setEnabled);
    return field;
}

}  // namespace

SiteMeanSettings LoadSiteSettings(const SettingsStore& settings)
{
    SiteMeanSettings value;
    value.classes = settings.ReadText(kSection, "Classes", value.classes);
    value.fromSampleMeans = settings.ReadInt(kSection, "FromSampleMeans", 0) != 0;
    value.minN = std::max(1, settings.ReadInt(kSection, "MinN", value.minN));
    value.maxSd = LimitOf(settings.ReadText(kSection, "MaxSd", ""), value.maxSd);
    value.maxSdPercent = LimitOf(settings.ReadText(kSection, "MaxSdPercent", ""), value.maxSdPercent);
    return value;
}

void StoreSiteSettings(SettingsStore& settings, const SiteMeanSettings& value)
{
    settings.WriteText(kSection, "Classes", value.classes);
    settings.WriteInt(kSection, "FromSampleMeans", value.fromSampleMeans ? 1 : 0);
    settings.WriteInt(kSection, "MinN", value.minN);
    settings.WriteText(kSection, "MaxSd", LimitText(value.maxSd));
    settings.WriteText(kSection, "MaxSdPercent", LimitText(value.maxSdPercent));
}

bool EditSiteSettings(QWidget* parent, SiteMeanSettings& value)
{
    QDialog dialog(parent);
    dialog.setWindowTitle(QObject::tr("Site Means"));
    auto* classes = new QLineEdit(QString::fromStdString(value.classes));
    classes->setToolTip(QObject::tr("The classes whose specimens count, such as AB"));
    auto* fromSamples = new QCheckBox(QObject::tr("Site mean from the sample means"));
    fromSamples->setChecked(value.fromSampleMeans);
    auto* minN = new QSpinBox;
    minN->setRange(1, 1000);
    minN->setValue(value.minN);
    const OptionalNumber sd = MakeLimit(value.maxSd, 5.0, QStringLiteral(" \u00B5T"));
    const OptionalNumber percent = MakeLimit(value.maxSdPercent, 15.0, QStringLiteral(" %"));
    auto* form = new QFormLayout(&dialog);
    form->addRow(QObject::tr("Counted classes:"), classes);
    form->addRow(QString(), fromSamples);
    form->addRow(QObject::tr("Accepted with N at least:"), minN);
    auto* sdRow = new QHBoxLayout;
    sdRow->addWidget(sd.on);
    sdRow->addWidget(sd.value, 1);
    form->addRow(QObject::tr("and \u03C3 at most:"), sdRow);
    auto* percentRow = new QHBoxLayout;
    percentRow->addWidget(percent.on);
    percentRow->addWidget(percent.value, 1);
    form->addRow(QObject::tr("or \u03C3 at most:"), percentRow);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    form->addRow(buttons);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    if (dialog.exec() != QDialog::Accepted) {
        return false;
    }
    value.classes = classes->text().trimmed().toUpper().toStdString();
    value.fromSampleMeans = fromSamples->isChecked();
    value.minN = minN->value();
    value.maxSd = sd.on->isChecked() ? std::optional<double>(sd.value->value()) : std::nullopt;
    value.maxSdPercent = percent.on->isChecked() ? std::optional<double>(percent.value->value()) : std::nullopt;
    return true;
}

void ShowSitesTable(QWidget* parent, StudySession& session)
{
    SiteTreeModel& sites = session.Sites();
    const QString path = sites.SitesFilePath();
    const QString title = QObject::tr("Sites Table");
    if (!QFile::exists(path)) {
        std::vector<std::string> names;
        for (const SiteMean& site : sites.Summary().sites) {
            names.push_back(site.site);
        }
        const std::string failure = CreateSitesFile(QFile::encodeName(path).toStdString(), names);
        if (!failure.empty()) {
            QMessageBox::warning(parent, title, QString::fromStdU16String(ToUtf16(failure)));
            return;
        }
        sites.Recompute();
        QMessageBox::information(parent, title,
                                 QObject::tr("A sites table with a line for each site and empty cells is at\n%1\n\n"
                                             "Fill in the latitudes (and longitudes, ages, mean inclinations): the "
                                             "site means read it each time they are made.")
                                     .arg(QDir::toNativeSeparators(path)));
        return;
    }
    sites.Recompute();
    if (!sites.SitesFileErrors().isEmpty()) {
        QMessageBox::warning(parent, title,
                             QObject::tr("The sites table %1 is not used:\n%2")
                                 .arg(QDir::toNativeSeparators(path), sites.SitesFileErrors().join(QLatin1Char('\n'))));
        return;
    }
    QMessageBox::information(parent, title,
                             QObject::tr("The site means use the sites table\n%1").arg(QDir::toNativeSeparators(path)));
}

void SaveSiteTables(QWidget* parent, StudySession& session)
{
    const QString title = QObject::tr("Save MagIC Site Tables");
    const QString folder = QFileDialog::getExistingDirectory(
        parent, title, QFile::decodeName(QByteArray::fromStdString(session.Data().folder)));
    if (folder.isEmpty()) {
        return;
    }
    const QString samplesPath = QDir(folder).filePath(QStringLiteral("samples.txt"));
    const QString sitesPath = QDir(folder).filePath(QStringLiteral("sites.txt"));
    if ((QFile::exists(samplesPath) || QFile::exists(sitesPath)) &&
        QMessageBox::question(parent, title, QObject::tr("Replace samples.txt and sites.txt in %1?")
                                                 .arg(QDir::toNativeSeparators(folder))) != QMessageBox::Yes) {
        return;
    }
    const Study& study = session.Data();
    const SiteSummary& summary = session.Sites().Summary();
    const std::pair<QString, std::string> tables[] = {
        {samplesPath, MagicTableText("samples", SampleTableColumns(), SampleRows(study, summary))},
        {sitesPath, MagicTableText("sites", SiteTableColumns(), SiteRows(study, summary))}};
    for (const auto& [path, text] : tables) {
        if (const auto failure = ReplaceFileContents(QFile::encodeName(path).toStdString(), text)) {
            QMessageBox::warning(parent, title,
                                 QObject::tr("%1 was not written: %2")
                                     .arg(QDir::toNativeSeparators(path), QString::fromStdString(*failure)));
            return;
        }
    }
}

}  // namespace korvanes::gui
