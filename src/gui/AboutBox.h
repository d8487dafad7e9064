#pragma once
// "About KorvanesTool": the program icon, its name and version, and OK.

#include <QDialog>

namespace korvanes::gui {

class AboutBox final : public QDialog {
    Q_OBJECT
public:
    explicit AboutBox(QWidget* parent = nullptr);
};

}  // namespace korvanes::gui
