#include "Messages.h"

namespace korvanes::gui {

void ShowMessage(QWidget* parent, const QString& text, QMessageBox::Icon icon)
{
    ShowMessage(parent, text, QString(), icon);
}

void ShowMessage(QWidget* parent, const QString& text, const QString& reason, QMessageBox::Icon icon)
{
    QString shown = text;
    if (!reason.isEmpty()) {
        QString paragraph = reason;
        paragraph[0] = paragraph[0].toUpper();
        shown += QStringLiteral("\n\n") + paragraph;
    }
    QMessageBox box(icon, kProgramName, shown, QMessageBox::Ok, parent);
    box.exec();
}

}  // namespace korvanes::gui
