#include "Messages.h"

namespace korvanes::gui {

void ShowMessage(QWidget* parent, const QString& text, QMessageBox::Icon icon)
{
    ShowMessage(parent, text, QString(), icon);
}

void ShowMessage(QWidget* parent, const QString& text, const QString& details, QMessageBox::Icon icon)
{
    QMessageBox box(icon, kProgramName, text, QMessageBox::Ok, parent);
    if (!details.isEmpty()) {
        box.setDetailedText(details);
    }
    box.exec();
}

}  // namespace korvanes::gui
