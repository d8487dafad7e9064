#pragma once
// The criteria dialog: the class A and class B limits and the three options
// of a document's criteria, with Load, Save and Default acting on the
// application's criteria at once, Apply giving the shown values to the
// application and to the document, and Cancel leaving the document as it
// was.

#include <QDialog>
#include <QString>
#include <vector>

#include "criteria/ApplicationCriteria.h"

class QButtonGroup;
class QCheckBox;
class QLineEdit;

namespace korvanes::gui {

class CCriteriaDialog final : public QDialog {
    Q_OBJECT
public:
    // Shows the criteria of `doc` (not the application's, which may differ).
    CCriteriaDialog(ApplicationCriteria& application, CKorvanesToolDoc& doc, QWidget* parent = nullptr);

    QString PathShown() const;

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
    CKorvanesToolDoc& m_doc;
    CCriteriaSet m_values;
    QString m_path;
    std::vector<Field> m_fields;
    QLineEdit* m_pathEdit = nullptr;
    QButtonGroup* m_maximize = nullptr;
    QButtonGroup* m_araiScales = nullptr;
    QCheckBox* m_allowMt4 = nullptr;
};

}  // namespace korvanes::gui
