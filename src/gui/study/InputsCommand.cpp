#include "study/InputsCommand.h"

#include "text/TextEncoding.h"

namespace korvanes::gui {

InputsCommand::InputsCommand(InputsHolder& holder, int key, AnalysisInputs before, AnalysisInputs after,
                             const QString& text)
    : QUndoCommand(text), m_holder(holder), m_key(key), m_before(std::move(before)), m_after(std::move(after))
{
}

QString InputsChangeText(const AnalysisInputs& before, const AnalysisInputs& after, const std::string& specimen)
{
    QString text = QString::fromStdString(DescribeInputsChange(before, after));
    if (!specimen.empty()) {
        text += QObject::tr(" on %1").arg(QString::fromStdU16String(ToUtf16(specimen)));
    }
    return text;
}

}  // namespace korvanes::gui
