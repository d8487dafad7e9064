// No label, number or list line of the form is cut, whatever the numbers
// and at any scale (this program runs again with QT_SCALE_FACTOR=2).

#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>
#include <QStyleOptionFrame>

#include "GuiTestSupport.h"

namespace korvanes::guitest {
namespace {

// The width a line edit gives its text.
int TextRoom(QLineEdit& edit)
{
    QStyleOptionFrame option;
    option.initFrom(&edit);
    option.rect = edit.rect();
    option.lineWidth = edit.hasFrame() ? edit.style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, &edit) : 0;
    return edit.style()->subElementRect(QStyle::SE_LineEditContents, &option, &edit).width();
}

void ExpectNothingCut(QWidget& form)
{
    for (QLineEdit* edit : form.findChildren<QLineEdit*>()) {
        EXPECT_GE(TextRoom(*edit), edit->fontMetrics().horizontalAdvance(edit->text()))
            << edit->accessibleName().toStdString() << ": " << edit->text().toStdString();
    }
    for (QLabel* label : form.findChildren<QLabel*>()) {
        for (const QString& line : label->text().split(QLatin1Char('\n'))) {
            EXPECT_GE(label->contentsRect().width(), label->fontMetrics().horizontalAdvance(line))
                << line.toStdString();
        }
    }
    for (QAbstractButton* button : form.findChildren<QAbstractButton*>()) {
        EXPECT_GE(button->width(), button->sizeHint().width()) << button->text().toStdString();
    }
    for (QListWidget* list : form.findChildren<QListWidget*>()) {
        for (int i = 0; i < list->count(); ++i) {
            EXPECT_GE(list->viewport()->width(), list->fontMetrics().horizontalAdvance(list->item(i)->text()))
                << list->item(i)->text().toStdString();
        }
    }
}

TEST(FormLayout, NothingIsCut)
{
    ForgetSettings();
    RunningProgram program;
    program.Main().resize(1900, 1000);
    for (const char* example : {"basalt-mt1.kvd", "tuff-mt3.kvd", "andesite-mt4.kvd"}) {
        program.Main().OpenDocumentFile(Example(example));
        Settle();
        SCOPED_TRACE(example);
        ExpectNothingCut(program.Form());
        // Long numbers: the fields grow instead of hiding digits.
        CSpecimenResult& result = program.Doc().m_result;
        result.paleointensity = -123456.789012345;
        result.slope = -1.23456789012345e-05;
        program.Form().OnUpdate();
        Settle();
        ExpectNothingCut(program.Form());
    }
}

}  // namespace
}  // namespace korvanes::guitest
