#pragma once
// The "Statistics" panel: every standard paleointensity statistic of the
// active document's fit, with its unit, and the verdict of the criteria set
// chosen under Options → Criteria set (none, a built-in set or a file). It
// follows every change of the document and of the active window, and its
// text can be selected and copied. Whether it is shown and the chosen set
// are kept in the settings.

#include <QDockWidget>
#include <QPointer>
#include <optional>

#include "criteria/SettingsStore.h"
#include "criteria/StatisticCriteria.h"

class QActionGroup;
class QMenu;
class QTextBrowser;

namespace korvanes::gui {

class OpenDocument;

class StatisticsDock final : public QDockWidget {
    Q_OBJECT
public:
    StatisticsDock(SettingsStore& settings, QWidget* parent);

    // The document whose fit is shown (null: none).
    void SetDocument(OpenDocument* document);

    // The Options → Criteria set submenu.
    QMenu* CriteriaSetMenu() const { return m_menu; }

    // Chooses a criteria set: empty for none, a built-in name or a set
    // file's path. False (with the reason shown) when the file is refused.
    bool ChooseCriteriaSet(const QString& nameOrPath);
    const std::optional<StatisticCriteriaSet>& CriteriaSet() const { return m_set; }

    // Whether the settings say the panel is shown (false when never set: the
    // document windows keep their whole width until the user asks for it).
    bool StoredShown() const;

    // The panel's text as shown (HTML) and as copied (plain text).
    QString Html() const;
    QString PlainText() const;

signals:
    // Another set (or none) was chosen.
    void CriteriaSetChanged();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void Refresh();
    void RememberShown(bool shown);
    void OnChooseFile();
    void CheckMenuEntry();

    SettingsStore& m_settings;
    QPointer<OpenDocument> m_document;
    QTextBrowser* m_text;
    QMenu* m_menu;
    QActionGroup* m_group;
    std::optional<StatisticCriteriaSet> m_set;
    QString m_setChoice;  // as stored: "", a built-in name or a path
};

}  // namespace korvanes::gui
