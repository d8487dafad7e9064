#pragma once
// The pieces the result form is built from: fields that grow with their
// text so that no number is ever cut, the strip under a field where its
// criteria mark is drawn, and the exchange of numbers between held values
// and field texts.

#include <QLineEdit>
#include <QString>
#include <optional>

#include "results/CriteriaMarks.h"

namespace korvanes::gui {

// A line edit at least `minimumChars` digits wide that widens to show its
// whole text.
class FittingLineEdit final : public QLineEdit {
    Q_OBJECT
public:
    explicit FittingLineEdit(int minimumChars, QWidget* parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

private:
    int m_minimumChars;
};

// A read-only result field with room under it for its criteria mark: a
// filled rectangle as wide as the field, 4 pixels high, right below it,
// outlined in black.
class ResultField final : public QWidget {
    Q_OBJECT
public:
    // Widths for numbers of up to 15 significant digits, or for short texts.
    enum class Width { kNumber, kShort, kText };

    ResultField(Width width, const QString& accessibleName, QWidget* parent = nullptr);

    void SetText(const QString& text);
    QString Text() const { return m_edit->text(); }
    QLineEdit* Edit() { return m_edit; }

    void SetMark(CriteriaMark mark);
    CriteriaMark Mark() const { return m_mark; }

    // Height of the strip under the field.
    static constexpr int kMarkHeight = 4;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    FittingLineEdit* m_edit;
    CriteriaMark m_mark = CriteriaMark::kNone;
};

// A number as the form shows it: general notation with up to 15 significant
// digits (28.4561234 stays 28.4561234, 35 reads 35).
QString FormatFormNumber(double value);
// The laboratory field: up to 6 significant digits.
QString FormatLabField(float value);

// A field's text read as a number: blanks and tabs around it are skipped,
// anything else makes it no number. A number must be finite, a float within
// the single-precision range, an integer within 32 bits.
std::optional<double> ParseFormDouble(const QString& text);
std::optional<float> ParseFormFloat(const QString& text);
std::optional<int> ParseFormInteger(const QString& text);
// Whether the text reads as a number of any size: also infinity, NaN and
// numbers beyond the double range, which the parsers above refuse.
bool IsFormNumberText(const QString& text);

}  // namespace korvanes::gui
