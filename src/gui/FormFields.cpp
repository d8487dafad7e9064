#include "FormFields.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QVBoxLayout>
#include <cfloat>
#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>
#include <string>

#include "analysis/AraiFit.h"
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
        return 7;  // 28.4561, -123457
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
    // The edit's inner padding, and room for the text cursor where one can
    // type.
    const int padding = (isReadOnly() ? 0 : metrics.horizontalAdvance(QLatin1Char('0'))) + 4;
    const QSize contents(textWidth + padding + margins.left() + margins.right(),
                         QLineEdit::sizeHint().height());
    return style()->sizeFromContents(QStyle::CT_LineEdit, &option, contents, this)
        .expandedTo(QSize(0, QLineEdit::sizeHint().height()));
}

bool FittingLineEdit::Fits(const QString& text) const
{
    const QFontMetrics metrics = fontMetrics();
    return metrics.horizontalAdvance(text) <= metrics.horizontalAdvance(QString(m_minimumChars, QLatin1Char('0')));
}

void FittingLineEdit::keyPressEvent(QKeyEvent* event)
{
    if (event->matches(QKeySequence::Copy) && !m_copiedText.isEmpty() && hasSelectedText()) {
        CopySelection();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void FittingLineEdit::contextMenuEvent(QContextMenuEvent* event)
{
    QMenu* menu = createStandardContextMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    for (QAction* action : menu->actions()) {
        // The menu's Copy, found by its name or, failing that, its text.
        const bool isCopy = action->objectName() == QLatin1String("edit-copy") ||
                            action->text().startsWith(QLineEdit::tr("&Copy"));
        if (isCopy && !m_copiedText.isEmpty()) {
            disconnect(action, &QAction::triggered, nullptr, nullptr);
            connect(action, &QAction::triggered, this, &FittingLineEdit::CopySelection);
        }
    }
    menu->popup(event->globalPos());
}

void FittingLineEdit::CopySelection()
{
    // A shortened number is copied whole: a part of its rounded digits
    // would be a value nobody computed.
    QGuiApplication::clipboard()->setText(m_copiedText);
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

void ResultField::SetText(const QString& text) { Show(text, text, QString()); }

void ResultField::SetNumber(double value)
{
    const QString full = FormatShortNumber(value, 15);
    QString shown;
    for (int digits = 6; digits >= 1; --digits) {
        shown = FormatShortNumber(value, digits);
        if (m_edit->Fits(shown)) {
            break;
        }
    }
    // The tooltip shows the full value where the field shows less.
    Show(shown, full, shown != full ? full : QString());
}

void ResultField::SetAbsent(const QString& why) { Show(QString(), QString(), why); }

void ResultField::Show(const QString& shown, const QString& full, const QString& toolTip)
{
    m_fullText = full;
    m_edit->SetCopiedText(shown != full ? full : QString());
    m_edit->setToolTip(toolTip);
    if (m_edit->text() != shown) {
        m_edit->setText(shown);
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

QString FormatShortNumber(double value, int digits)
{
    if (std::isinf(value) || value == kQualityWithoutScatter) {
        return QStringLiteral("inf");
    }
    return QString::fromStdString(StringPrintf("%.*g", std::clamp(digits, 1, 15), FiniteOrZero(value)));
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
