#pragma once
// The pieces the result form is built from: fields that grow with their
// text so that no text is ever cut, result fields that show a number in the
// room they have (the full value in the tooltip and in what Copy takes), the
// strip under a field where its criteria mark is drawn, and the exchange of
// numbers between held values and field texts.

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

    // Whether `text` fits in the room of `minimumChars` digits.
    bool Fits(const QString& text) const;

    // What Copy takes from a selection instead of the shown text; empty:
    // the selection itself.
    void SetCopiedText(const QString& text) { m_copiedText = text; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void CopySelection();

    int m_minimumChars;
    QString m_copiedText;
};

// A read-only result field with room under it for its criteria mark: a
// filled rectangle as wide as the field, 4 pixels high, right below it,
// outlined in black.
class ResultField final : public QWidget {
    Q_OBJECT
public:
    // Widths for numbers (about seven characters), short or long texts.
    enum class Width { kNumber, kShort, kText };

    ResultField(Width width, const QString& accessibleName, QWidget* parent = nullptr);

    void SetText(const QString& text);
    // `value` with as many of its first six significant digits as fit, "inf"
    // for an infinite value or kQualityWithoutScatter; the full value (up to
    // 15 digits) in the tooltip and in what Copy takes.
    void SetNumber(double value);
    // An empty field whose tooltip says why (`why`: the statistic's check
    // does not exist).
    void SetAbsent(const QString& why);
    // The shown text, and the full value behind it.
    QString Text() const { return m_edit->text(); }
    QString FullText() const { return m_fullText; }
    QLineEdit* Edit() { return m_edit; }

    void SetMark(CriteriaMark mark);
    CriteriaMark Mark() const { return m_mark; }

    // Height of the strip under the field.
    static constexpr int kMarkHeight = 4;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void Show(const QString& shown, const QString& full, const QString& toolTip);

    FittingLineEdit* m_edit;
    QString m_fullText;
    CriteriaMark m_mark = CriteriaMark::kNone;
};

// A number as the form shows it: general notation with up to 15 significant
// digits (28.4561234 stays 28.4561234, 35 reads 35).
QString FormatFormNumber(double value);
// `value` with at most `digits` significant digits (1 to 15), in general
// notation; an infinite value or kQualityWithoutScatter reads "inf".
QString FormatShortNumber(double value, int digits);
// The laboratory field: up to 6 significant digits.
QString FormatLabField(float value);

// A field's text read as a number: blanks and tabs around it are skipped,
// anything else makes it no number. A number must be finite, a float within
// the single-precision range, an integer within 32 bits.
std::optional<double> ParseFormDouble(const QString& text);
std::optional<float> ParseFormFloat(const QString& text);
std::optional<int> ParseFormInteger(const QString& text);

}  // namespace korvanes::gui
