#include "StatisticsDock.h"

#include <QActionGroup>
#include <QCloseEvent>
#include <QFile>
#include <QFileDialog>
#include <QMenu>
#include <QScrollBar>
#include <QTextBrowser>
#include <QTextDocument>

#include "Messages.h"
#include "OpenDocument.h"
#include "analysis/StandardStatistics.h"

namespace korvanes::gui {
namespace {

const char* const kSection = "Statistics";
const char* const kShownKey = "Shown";
const char* const kSetKey = "CriteriaSet";

QString Utf8(const std::string& text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

QString ValueText(StandardStatistic s, const std::optional<double>& value)
{
    if (!value) {
        return QStringLiteral("n/a");
    }
    switch (InfoOf(s).kind) {
    case StatisticKind::kInteger:
        return QString::number(static_cast<long long>(*value));
    case StatisticKind::kFlag:
        return *value != 0.0 ? QStringLiteral("true") : QStringLiteral("false");
    case StatisticKind::kReal:
        break;
    }
    return QString::number(*value, 'g', 4);
}

// The red of the form's marks, for the values that fail the set.
const char* const kFailStyle = " style=\"background-color:#ff0000\"";

}  // namespace

StatisticsDock::StatisticsDock(SettingsStore& settings, QWidget* parent)
    : QDockWidget(tr("Statistics"), parent), m_settings(settings), m_text(new QTextBrowser(this)),
      m_menu(new QMenu(tr("Criteria &set"), this)), m_group(new QActionGroup(this))
{
    setObjectName(QStringLiteral("statisticsDock"));
    m_text->setObjectName(QStringLiteral("statisticsText"));
    m_text->setOpenLinks(false);
    m_text->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    m_text->setMinimumWidth(fontMetrics().horizontalAdvance(QLatin1Char('0')) * 40);
    setWidget(m_text);

    m_menu->setObjectName(QStringLiteral("criteriaSetMenu"));
    m_group->setExclusive(true);
    auto addChoice = [this](const QString& text, const QString& choice) {
        QAction* action = m_menu->addAction(text);
        action->setCheckable(true);
        action->setData(choice);
        m_group->addAction(action);
        connect(action, &QAction::triggered, this, [this, choice] { ChooseCriteriaSet(choice); });
    };
    addChoice(tr("&None"), QString());
    for (const StatisticCriteriaSet& set : BuiltInCriteriaSets()) {
        addChoice(Utf8(set.name), Utf8(set.name));
    }
    m_menu->addSeparator();
    QAction* file = m_menu->addAction(tr("&File..."));
    file->setCheckable(true);
    file->setData(QStringLiteral("\x01file"));
    m_group->addAction(file);
    connect(file, &QAction::triggered, this, &StatisticsDock::OnChooseFile);

    QAction* toggle = toggleViewAction();
    toggle->setText(tr("&Statistics"));
    toggle->setStatusTip(tr("Show or hide the standard statistics of the fit"));
    connect(toggle, &QAction::triggered, this, [this](bool shown) { RememberShown(shown); });

    const QString stored = Utf8(m_settings.ReadText(kSection, kSetKey, ""));
    if (!stored.isEmpty()) {
        CriteriaSetRead read = LoadStatisticCriteria(stored.toStdString());
        if (read.set) {
            m_set = std::move(read.set);
            m_setChoice = stored;
        }
    }
    CheckMenuEntry();
    Refresh();
}

void StatisticsDock::SetDocument(OpenDocument* document)
{
    if (m_document == document) {
        return;
    }
    if (m_document) {
        disconnect(m_document, nullptr, this, nullptr);
    }
    m_document = document;
    if (m_document) {
        // After every analysis of the document.
        connect(m_document, &OpenDocument::Analysed, this, [this] { Refresh(); });
    }
    Refresh();
}

bool StatisticsDock::ChooseCriteriaSet(const QString& nameOrPath)
{
    if (nameOrPath.isEmpty()) {
        m_set.reset();
    } else {
        CriteriaSetRead read = LoadStatisticCriteria(nameOrPath.toStdString());
        if (!read.set) {
            ShowMessage(this, tr("The criteria set cannot be used: %1").arg(Utf8(read.error)),
                        QMessageBox::Warning);
            CheckMenuEntry();
            return false;
        }
        m_set = std::move(read.set);
    }
    m_setChoice = nameOrPath;
    m_settings.WriteText(kSection, kSetKey, nameOrPath.toStdString());
    CheckMenuEntry();
    Refresh();
    emit CriteriaSetChanged();
    return true;
}

void StatisticsDock::OnChooseFile()
{
    const QString path = QFileDialog::getOpenFileName(this, tr("Criteria set"), QString(),
                                                      tr("Criteria sets (*.set *.txt);;All files (*)"));
    if (path.isEmpty()) {
        CheckMenuEntry();
        return;
    }
    ChooseCriteriaSet(path);
}

void StatisticsDock::CheckMenuEntry()
{
    const bool builtIn = m_setChoice.isEmpty() || FindBuiltInCriteriaSet(m_setChoice.toStdString()) != nullptr;
    for (QAction* action : m_group->actions()) {
        const QString data = action->data().toString();
        action->setChecked(builtIn ? data.compare(m_setChoice, Qt::CaseInsensitive) == 0
                                   : data == QStringLiteral("\x01file"));
    }
}

bool StatisticsDock::StoredShown() const { return m_settings.ReadInt(kSection, kShownKey, 0) != 0; }

void StatisticsDock::RememberShown(bool shown) { m_settings.WriteInt(kSection, kShownKey, shown ? 1 : 0); }

void StatisticsDock::closeEvent(QCloseEvent* event)
{
    RememberShown(false);
    QDockWidget::closeEvent(event);
}

QString StatisticsDock::Html() const { return m_text->toHtml(); }

QString StatisticsDock::PlainText() const { return m_text->toPlainText(); }

void StatisticsDock::Refresh()
{
    if (!m_document) {
        m_text->setHtml(tr("<p>No document.</p>"));
        return;
    }
    const CKorvanesToolDoc& doc = m_document->Doc();
    if (doc.m_result.n <= 0) {
        m_text->setHtml(tr("<p>No fit: no Arai point in the range.</p>"));
        return;
    }
    const StatisticCriteriaSet* set = m_set ? &*m_set : nullptr;
    const StandardStatistics st = StandardStatisticsOfResult(doc, ScatBetaOf(set));
    std::optional<CriteriaVerdict> verdict;
    if (set != nullptr) {
        verdict = EvaluateCriteria(*set, st);
    }
    auto failing = [&verdict](StandardStatistic s) {
        if (!verdict) {
            return false;
        }
        for (const ThresholdVerdict& item : verdict->items) {
            if (item.threshold.statistic == s && !item.pass) {
                return true;
            }
        }
        return false;
    };

    QString html = QStringLiteral("<p><b>%1</b> %2–%3 °C, n = %4</p>")
                       .arg(tr("Fit"))
                       .arg(st.tMin)
                       .arg(st.tMax)
                       .arg(ValueText(StandardStatistic::kN, st[StandardStatistic::kN]));
    if (verdict) {
        html += QStringLiteral("<p><b>%1: %2</b>").arg(Utf8(set->name).toHtmlEscaped(),
                                                       verdict->pass ? tr("pass") : tr("fail"));
        const std::vector<std::string> failed = verdict->Failed();
        if (!failed.empty()) {
            QStringList names;
            for (const std::string& name : failed) {
                names << Utf8(name).toHtmlEscaped();
            }
            html += QStringLiteral(" (") + names.join(QStringLiteral(", ")) + QStringLiteral(")");
        }
        html += QStringLiteral("</p>");
    }
    html += QStringLiteral("<table cellspacing=\"0\" cellpadding=\"2\">");
    const char* family = "";
    for (const StandardStatisticInfo& info : StandardStatisticTable()) {
        if (std::string(family) != info.family) {
            family = info.family;
            html += QStringLiteral("<tr><td colspan=\"4\"><b>%1</b></td></tr>").arg(Utf8(family).toHtmlEscaped());
        }
        const QString value = ValueText(info.id, st[info.id]);
        html += QStringLiteral("<tr><td nowrap>%1</td><td nowrap align=\"right\"%2>%3</td><td nowrap>%4</td><td nowrap>%5</td></tr>")
                    .arg(Utf8(info.label).toHtmlEscaped(), QString::fromLatin1(failing(info.id) ? kFailStyle : ""),
                         value, st[info.id] ? Utf8(info.unit).toHtmlEscaped() : QString(),
                         Utf8(info.key).toHtmlEscaped());
    }
    html += QStringLiteral("</table>");
    if (verdict) {
        html += QStringLiteral("<p><b>%1</b></p><table cellspacing=\"0\" cellpadding=\"2\">")
                    .arg(Utf8(set->name + " (" + set->source + ")").toHtmlEscaped());
        for (const ThresholdVerdict& item : verdict->items) {
            html += QStringLiteral("<tr><td nowrap>%1</td><td nowrap>%2</td><td nowrap align=\"right\"%3>%4</td></tr>")
                        .arg(Utf8(ThresholdText(item.threshold)).toHtmlEscaped(),
                             item.pass ? tr("pass") : tr("fail"),
                             QString::fromLatin1(item.pass ? "" : kFailStyle),
                             ValueText(item.threshold.statistic, item.value));
        }
        html += QStringLiteral("</table>");
    }
    // Keep the reader's place while the values change under it.
    const int scroll = m_text->verticalScrollBar()->value();
    m_text->setHtml(html);
    m_text->verticalScrollBar()->setValue(scroll);
}

}  // namespace korvanes::gui
