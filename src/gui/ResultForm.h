#pragma once
// The result form of a document window: the inputs of the analysis
// (laboratory field, automatic or chosen temperature range), what the plot
// pane shows (diagram, coordinates, display options), and every result with
// its criteria marks, the list of steps and the list of repeated
// demagnetisations.
//
// The form computes nothing and keeps nothing of its own: it shows what the
// document holds, refilled after every change of the document's inputs,
// analysis or view, wherever it was made. An action hands the changed inputs
// to the document (one undoable step); text typed into the laboratory field
// or the range stays until it is applied ("Apply changes", Enter, or "Save
// results", which applies it first).

#include <QButtonGroup>
#include <QScrollArea>
#include <map>
#include <string>
#include <vector>

#include "FormFields.h"
#include "OpenDocument.h"

class QCheckBox;
class QLabel;
class QListWidget;
class QPushButton;

namespace korvanes::gui {

// What the form holds, field by field.
struct FormValues {
    float labField = 0.0f;
    std::string sample;
    int plotIndex = -1;  // -1: no button chosen
    int coordinateIndex = -1;
    int rangeIndex = -1;
    bool showAdditivityChecks = false;
    bool checkCorrected = false;
    bool onlyZComponent = false;
    bool includeCheckCorrection = false;
    int from = 0;
    int to = 0;
    CSpecimenResult result;  // the statistics; its tMin and tMax are not used (see from, to)
    std::string methodText;
};

class CResultForm final : public QScrollArea {
    Q_OBJECT
public:
    explicit CResultForm(OpenDocument& document, QWidget* parent = nullptr);

    // Once, when the document window has been built.
    void OnInitialUpdate();
    // Refills the form from the document; runs on every change.
    void OnUpdate();

    // "Apply changes": the laboratory field and, in a chosen range, the
    // range, as typed. False when a field was not a number (reported; what
    // was read before it is applied) or the range is reversed (reported;
    // nothing is applied).
    bool ApplyChanges();
    // Whether text was typed into an input and not applied yet.
    bool HasTypedValues() const;

    const FormValues& HeldValues() const { return m_held; }
    OpenDocument& Document() { return m_document; }

    // The result field of a control id (1019 paleointensity, 1021 N, ...),
    // or null.
    ResultField* Field(int controlId) const;

signals:
    // The two buttons that reach outside the program.
    void SaveResultsRequested();
    void ViewRawDataRequested();

private:
    // The groups of the form, top to bottom and left to right.
    void BuildLayout();
    QWidget* BuildInputGroup();
    QWidget* BuildViewGroup();
    QWidget* BuildDataGroup();
    QWidget* BuildResultsGroup();
    QWidget* BuildToolsGroup();
    ResultField* AddResultField(int controlId, ResultField::Width width, const QString& label);
    void ConnectHandlers();

    // Held values to fields.
    void DisplayValues();
    // Fields to held values, in reading order; a field that is not a number
    // is reported with the focus on it, and it and the fields after it keep
    // their held values. False in that case.
    bool ReadFields();
    void ReportBadField(QLineEdit* field, const QString& message);

    void FillLists();
    void DrawMarks();
    void SetRangeFieldsEnabled(bool enabled);

    // Handlers.
    void OnPlotChosen(int index);
    void OnCoordinatesChosen(int index);
    void OnOptionToggled();
    void OnIncludeCheckCorrection();
    void OnRangeModeChosen(int index);
    void OnApplyChanges();

    OpenDocument& m_document;
    FormValues m_held;
    std::map<int, ResultField*> m_fields;
    std::vector<std::string> m_stepLines;
    std::vector<std::string> m_tailLines;

    // Inputs and options.
    FittingLineEdit* m_labField = nullptr;
    FittingLineEdit* m_from = nullptr;
    FittingLineEdit* m_to = nullptr;
    QButtonGroup m_rangeGroup;
    QButtonGroup m_plotGroup;
    QButtonGroup m_coordinateGroup;
    QCheckBox* m_includeCheckCorrection = nullptr;
    QCheckBox* m_showAdditivityChecks = nullptr;
    QCheckBox* m_checkCorrected = nullptr;
    QCheckBox* m_onlyZComponent = nullptr;
    QPushButton* m_apply = nullptr;
    QPushButton* m_saveResults = nullptr;
    QPushButton* m_viewRawData = nullptr;
    // Data.
    ResultField* m_sample = nullptr;
    ResultField* m_methodText = nullptr;
    QListWidget* m_steps = nullptr;
    QListWidget* m_tailChecks = nullptr;
};

}  // namespace korvanes::gui
