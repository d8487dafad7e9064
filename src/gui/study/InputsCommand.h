#pragma once
// The one undoable step of the analysis: the inputs of one specimen before
// and after a change. Redo sets the later value, undo the earlier one, each
// through the holder, which analyses again (and, in a study, shows the
// specimen concerned).

#include <QString>
#include <QUndoCommand>

#include "OpenDocument.h"

namespace korvanes::gui {

class InputsCommand final : public QUndoCommand {
public:
    InputsCommand(InputsHolder& holder, int key, AnalysisInputs before, AnalysisInputs after, const QString& text);

    void undo() override { m_holder.SetInputsOf(m_key, m_before); }
    void redo() override { m_holder.SetInputsOf(m_key, m_after); }

    const AnalysisInputs& Before() const { return m_before; }
    const AnalysisInputs& After() const { return m_after; }

private:
    InputsHolder& m_holder;
    int m_key;
    AnalysisInputs m_before;
    AnalysisInputs m_after;
};

// "Range 150–530 °C on AN03c": what changed, on which specimen (its name as
// the data file has it).
QString InputsChangeText(const AnalysisInputs& before, const AnalysisInputs& after, const std::string& specimen);

}  // namespace korvanes::gui
