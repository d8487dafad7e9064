#include "DocumentNotice.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

#include "Messages.h"
#include "text/TextEncoding.h"

namespace korvanes::gui {

DocumentNotice::DocumentNotice(QWidget* parent)
    : QFrame(parent), m_text(new QLabel), m_detailsButton(new QPushButton(tr("Details...")))
{
    setObjectName(QStringLiteral("documentNotice"));
    setFrameShape(QFrame::StyledPanel);
    setAutoFillBackground(true);
    QPalette tinted = palette();
    tinted.setColor(QPalette::Window, QColor(255, 248, 214));
    tinted.setColor(QPalette::WindowText, Qt::black);
    setPalette(tinted);

    auto* icon = new QLabel;
    const int size = style()->pixelMetric(QStyle::PM_SmallIconSize);
    icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(size, size));
    m_text->setWordWrap(true);
    m_text->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* close = new QToolButton;
    close->setAutoRaise(true);
    close->setIcon(style()->standardIcon(QStyle::SP_TitleBarCloseButton));
    close->setToolTip(tr("Hide this notice"));
    close->setAccessibleName(tr("Hide notice"));

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(6, 3, 3, 3);
    layout->addWidget(icon);
    layout->addWidget(m_text, 1);
    layout->addWidget(m_detailsButton);
    layout->addWidget(close);
    connect(m_detailsButton, &QPushButton::clicked, this, &DocumentNotice::ShowDetails);
    connect(close, &QToolButton::clicked, this, &QWidget::hide);
    hide();
}

void DocumentNotice::SetNotice(const QString& summary, const QStringList& details)
{
    const bool changed = summary != m_text->text() || details != m_details;
    m_text->setText(summary);
    m_details = details;
    m_detailsButton->setVisible(!details.isEmpty());
    if (summary.isEmpty()) {
        hide();
    } else if (changed) {
        show();
    }
}

QString DocumentNotice::Summary() const { return m_text->text(); }

void DocumentNotice::ShowDetails()
{
    QDialog dialog(this);
    dialog.setWindowTitle(kProgramName);
    auto* text = new QPlainTextEdit(m_details.join(QLatin1Char('\n')));
    text->setReadOnly(true);
    text->setLineWrapMode(QPlainTextEdit::NoWrap);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close);
    connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(new QLabel(m_text->text()));
    layout->addWidget(text);
    layout->addWidget(buttons);
    dialog.resize(640, 300);
    dialog.exec();
}

QString ReadWarningsSummary(const std::vector<ReadWarning>& warnings)
{
    if (warnings.empty()) {
        return {};
    }
    const QString first = ReadWarningLines({warnings.front()}).front();
    if (warnings.size() == 1) {
        return DocumentNotice::tr("While reading the data file: %1").arg(first);
    }
    return DocumentNotice::tr("While reading the data file: %1 remarks, the first: %2")
        .arg(warnings.size())
        .arg(first);
}

QStringList ReadWarningLines(const std::vector<ReadWarning>& warnings)
{
    QStringList lines;
    for (const ReadWarning& warning : warnings) {
        const QString text = QString::fromStdU16String(ToUtf16(warning.text));
        lines << (warning.line > 0 ? DocumentNotice::tr("line %1: %2").arg(warning.line).arg(text) : text);
    }
    return lines;
}

}  // namespace korvanes::gui
