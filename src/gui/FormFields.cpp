#include "FormFields.h"

#include <QPainter>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QVBoxLayout>
#include <cfloat>
#include <charconv>
#include <climits>
#include <cmath>
#include <string>

#include "text/OutputNumbers.h"
#include "text/TextEncoding.h"

namespace korvanes::gui {
namespace {

// The text between leading and trailing blanks and tabs, and without a
// leading plus sign (which from_chars does not take).
std::string NumberText(const QString& text)
{
    std::string s = text.toStdString();
    const std::size_t begin = s.find_first_not_of(" \t");
    if (begin == std::string::npos) {
        return {};
    }
    s = s.substr(begin, s.find_last_not_of(" \t") - begin + 1);
    if (s.size() > 1 && s[0] == '+' && s[1] != '-' && s[1] != '+') {
        s.erase(0, 1);
    }
    return s;
}

QColor MarkColour(CriteriaMark mark)
{
    return mark == CriteriaMark::kRed ? QColor(255, 0, 0) : QColor(255, 255, 0);
}

int MinimumChars(ResultField::Width width)
{
    switch (width) {
    case ResultField::Width::kNumber:
        return 17;  // -0.123456789012345
    case ResultField::Width::kShort:
        return 5;
    case ResultField::Width::kText:
        break;
    }
    return 20;
}

}  // namespace

FittingLineEdit::FittingLineEdit(int minimumChars, QWidget* parent)
    : QLineEdit(parent), m_minimumChars(minimumChars)
{
    connect(this, &QLineEdit::textChanged, this, [this] { updateGeometry(); });
}

QSize FittingLineEdit::sizeHint() const
{
    ensurePolished();
    const QFontMetrics metrics = fontMetrics();
    const int textWidth = std::max(metrics.horizontalAdvance(QString(m_minimumChars, QLatin1Char('0'))),
                                   metrics.horizontalAdvance(text()));
    const QMargins margins = textMargins();
    QStyleOptionFrame option;
    initStyleOption(&option);
    // Room for the text cursor and the edit's inner padding.
    const int padding = metrics.horizontalAdvance(QLatin1Char('0')) + 4;
    const QSize contents(textWidth + padding + margins.left() + margins.right(),
                         QLineEdit::sizeHint().height());
    return style()->sizeFromContents(QStyle::CT_LineEdit, &option, contents, this)
        .expandedTo(QSize(0, QLineEdit::sizeHint().height()));
}

ResultField::ResultField(Width width, const QString& accessibleName, QWidget* parent)
    : QWidget(parent), m_edit(new FittingLineEdit(MinimumChars(width), this))
{
    m_edit->setReadOnly(true);
    m_edit->setAccessibleName(accessibleName);
    m_edit->setFocusPolicy(Qt::ClickFocus);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, kMarkHeight);
    layout->setSpacing(0);
    layout->addWidget(m_edit);
}

void ResultField::SetText(const QString& text)
{
    if (m_edit->text() != text) {
        m_edit->setText(text);
        m_edit->setCursorPosition(0);
    }
}

void ResultField::SetMark(CriteriaMark mark)
{
    if (m_mark != mark) {
        m_mark = mark;
        update();
    }
}

void ResultField::paintEvent(QPaintEvent*)
{
    if (m_mark == CriteriaMark::kNone) {
        return;
    }
    QPainter painter(this);
    const QRect field = m_edit->geometry();
    painter.setPen(QPen(Qt::black, 0));
    painter.setBrush(MarkColour(m_mark));
    // Covers the field's width and the 4 pixel rows right below it.
    painter.drawRect(QRect(field.left(), field.bottom() + 1, field.width() - 1, kMarkHeight - 1));
}

QString FormatFormNumber(double value)
{
    return QString::fromStdString(StringPrintf("%.15g", FiniteOrZero(value)));
}

QString FormatLabField(float value)
{
    return QString::fromStdString(StringPrintf("%.6g", FiniteOrZero(static_cast<double>(value))));
}

std::optional<double> ParseFormDouble(const QString& text)
{
    const std::string s = NumberText(text);
    double value = 0.0;
    const auto [end, error] = std::from_chars(s.data(), s.data() + s.size(), value, std::chars_format::general);
    if (s.empty() || error != std::errc() || end != s.data() + s.size() || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

bool IsFormNumberText(const QString& text)
{
    const std::string s = NumberText(text);
    double value = 0.0;
    const auto [end, error] = std::from_chars(s.data(), s.data() + s.size(), value, std::chars_format::general);
    return !s.empty() && end == s.data() + s.size() && (error == std::errc() || error == std::errc::result_out_of_range);
}

std::optional<float> ParseFormFloat(const QString& text)
{
    const std::optional<double> value = ParseFormDouble(text);
    if (!value || std::fabs(*value) > FLT_MAX) {
        return std::nullopt;
    }
    return static_cast<float>(*value);
}

std::optional<int> ParseFormInteger(const QString& text)
{
    const std::string s = NumberText(text);
    long long value = 0;
    const auto [end, error] = std::from_chars(s.data(), s.data() + s.size(), value);
    if (s.empty() || error != std::errc() || end != s.data() + s.size() || value < INT_MIN || value > INT_MAX) {
        return std::nullopt;
    }
    return static_cast<int>(value);
}

}  // namespace korvanes::gui
