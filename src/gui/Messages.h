#pragma once
// Modal messages of the program: caption "KorvanesTool", one OK button.

#include <QMessageBox>
#include <QString>

namespace korvanes::gui {

inline const QString kProgramName = QStringLiteral("KorvanesTool");

void ShowMessage(QWidget* parent, const QString& text, QMessageBox::Icon icon = QMessageBox::NoIcon);

// A message with a longer explanation that the user can open.
void ShowMessage(QWidget* parent, const QString& text, const QString& details, QMessageBox::Icon icon);

}  // namespace korvanes::gui
