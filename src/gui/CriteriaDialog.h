#pragma once
// The criteria dialog: the class A and class B limits and the three options
// of a document's criteria, with Load, Save and Default acting on the
// application's criteria at once, Apply giving the shown values to the
// application and offering them for the document (the caller hands them to
// the document as a change of its analysis inputs), and Cancel leaving the
// document as it was.

#include <QDialog>
#include <QString>
#include <functional>
#include <optional>
#include <vector>

#include "criteria/ApplicationCriteria.h"

class QButtonGroup;
class QCheckBox;
class QLineEdit;

namespace korvanes::gui {

class CCriteriaDialog final : public QDialog {
    Q_OBJECT
public:
    // Shows the criteria of a document (not the application's, which may
    // differ), the Arai scaling included.
    CCriteriaDialog(ApplicationCriteria& application, const CCriteriaSet& documentCriteria,
                    QWidget* parent = nullptr);

    QString PathShown() const;
    // The criteria Apply gave (empty before or without Apply).
    const std::optional<CCriteriaSet>& Applied() const { return m_applied; }

    // The file choosers, replaceable by tests: each returns the chosen path
    // or an empty text when the user cancels.
    std::function<QString()> chooseFileToLoad;
    std::function<QString()> chooseFileToSave;

    // The buttons' actions.
    void Load();
    void Save();
    void Default();
    void Apply();

private:
    struct Field {
        QLineEdit* edit;
        std::int32_t ClassThresholds::*integer;
        double ClassThresholds::*number;
        bool classB;
    };
    void BuildLayout();
    void ShowValues();
    // Fields to values in reading order; a field that does not parse is
    // reported with the focus on it, and it and the fields after it keep
    // their values. False in that case.
    bool ReadValues();
    void ShowApplicationCriteria();

    ApplicationCriteria& m_application;
    CCriteriaSet m_values;
    std::optional<CCriteriaSet> m_applied;
    QString m_path;
    std::vector<Field> m_fields;
    QLineEdit* m_pathEdit = nullptr;
    QButtonGroup* m_maximize = nullptr;
    QButtonGroup* m_araiScales = nullptr;
    QCheckBox* m_allowMt4 = nullptr;
};

}  // namespace korvanes::gui
