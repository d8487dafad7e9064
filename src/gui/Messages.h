#pragma once
// Modal messages of the program: caption "KorvanesTool", one OK button.

#include <QMessageBox>
#include <QString>

namespace korvanes::gui {

inline const QString kProgramName = QStringLiteral("KorvanesTool");

void ShowMessage(QWidget* parent, const QString& text, QMessageBox::Icon icon = QMessageBox::NoIcon);

// A message and the reason behind it, both in the box's text (the reason as a
// paragraph of its own, starting with a capital).
void ShowMessage(QWidget* parent, const QString& text, const QString& reason, QMessageBox::Icon icon);

}  // namespace korvanes::gui
