// No label, number or list line of the form is cut, whatever the numbers
// and at any scale (this program runs again with QT_SCALE_FACTOR=2).

#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QRadioButton>
#include <QScrollBar>
#include <QSplitter>
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
        // Long numbers: shown in what fits, never cut.
        CSpecimenResult& result = program.Doc().m_result;
        result.paleointensity = -123456.789012345;
        result.slope = -1.23456789012345e-05;
        program.Form().OnUpdate();
        Settle();
        ExpectNothingCut(program.Form());
    }
}

TEST(FormLayout, WholeFormFitsALaptopWindowAndTwoTiledWindows)
{
    ForgetSettings();
    RunningProgram program;
    // A maximised document window in 1366 x 768 keeps the 570 pixel plot pane.
    program.Main().resize(1366, 768);
    program.Main().OpenDocumentFile(Example("andesite-mt4.kvd"));
    Settle();
    EXPECT_EQ(program.Frame().Splitter()->sizes().value(0), 570);
    EXPECT_EQ(program.Form().horizontalScrollBar()->maximum(), 0);

    // Two windows tiled on 1920 x 1080: the plot panes give way to the forms.
    program.Main().resize(1920, 1080);
    program.Main().OpenDocumentFile(Example("tuff-mt3.kvd"));
    program.Main().MdiArea()->tileSubWindows();
    Settle();
    ASSERT_EQ(program.Main().Frames().size(), 2u);
    for (CChildFrame* frame : program.Main().Frames()) {
        EXPECT_EQ(frame->Form()->horizontalScrollBar()->maximum(), 0) << frame->width();
        EXPECT_GE(frame->Splitter()->sizes().value(0), 240);
    }
}

}  // namespace
}  // namespace korvanes::guitest
