// The Statistics panel: it follows the fit of the active window, marks the
// values that fail the chosen criteria set, and remembers whether it is
// shown and which set was chosen.

#include <QMainWindow>
#include <QTemporaryDir>

#include "GuiTestSupport.h"
#include "StatisticsDock.h"

namespace korvanes::guitest {
namespace {

class StatisticsPanel : public ::testing::Test {
protected:
    void SetUp() override { ForgetSettings(); }
};

TEST_F(StatisticsPanel, FollowsTheFitAndMarksFailingValues)
{
    RunningProgram program({Example("tuff-mt3.kvd")});
    StatisticsDock& dock = *program.Main().Statistics();
    EXPECT_FALSE(dock.isVisible());  // until asked for
    // Shown without the menu: the program's settings stay as they are for
    // the other tests that may run at the same time.
    dock.show();
    EXPECT_TRUE(WaitFor([&] { return dock.isVisible(); }));
    EXPECT_TRUE(dock.PlainText().contains(QStringLiteral("int_frac")));
    const QString automatic = QStringLiteral("Fit %1–%2 °C").arg(program.Doc().m_result.tMin).arg(program.Doc().m_result.tMax);
    EXPECT_TRUE(dock.PlainText().contains(automatic)) << dock.PlainText().toStdString();

    // A typed range: the panel shows its fit once the view has analysed it.
    AnalysisInputs inputs = program.Frame().Document()->Inputs();
    inputs.rangeMode = kSelectedRange;
    inputs.tMin = 250;
    inputs.tMax = 440;
    program.Frame().Document()->SetInputs(inputs);
    EXPECT_TRUE(WaitFor([&] { return dock.PlainText().contains(QStringLiteral("Fit 250–440 °C")); }))
        << dock.PlainText().toStdString();

    // A set that the fit fails: the verdict names it and the value is marked red.
    QTemporaryDir dir;
    const QString strict = dir.filePath(QStringLiteral("strict.set"));
    QFile file(strict);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("int_b_beta <= 0.0001\n");
    file.close();
    ASSERT_TRUE(dock.ChooseCriteriaSet(strict));
    EXPECT_TRUE(dock.PlainText().contains(QStringLiteral("strict: fail (int_b_beta)"))) << dock.PlainText().toStdString();
    EXPECT_TRUE(dock.Html().contains(QStringLiteral("#ff0000")));

    // A bad set file is refused with its line, and the set in use stays.
    const QString bad = dir.filePath(QStringLiteral("bad.set"));
    QFile badFile(bad);
    ASSERT_TRUE(badFile.open(QIODevice::WriteOnly));
    badFile.write("int_frac >= 0.5\nnonsense\n");
    badFile.close();
    {
        ModalAnswerer answerer;
        EXPECT_FALSE(dock.ChooseCriteriaSet(bad));
        ASSERT_EQ(answerer.texts.size(), 1);
        EXPECT_TRUE(answerer.texts[0].contains(QStringLiteral("line 2"))) << answerer.texts[0].toStdString();
    }
    ASSERT_TRUE(dock.CriteriaSet().has_value());
    EXPECT_EQ(dock.CriteriaSet()->name, "strict");
    ASSERT_TRUE(dock.ChooseCriteriaSet(QStringLiteral("CCRIT")));
}

TEST_F(StatisticsPanel, RemembersWhetherShownAndTheSet)
{
    // In a settings store of its own, so that no other test sees the panel.
    MemorySettingsStore settings;
    {
        QMainWindow window;
        auto* dock = new StatisticsDock(settings, &window);
        window.addDockWidget(Qt::RightDockWidgetArea, dock);
        EXPECT_FALSE(dock->StoredShown());
        window.show();
        ASSERT_TRUE(dock->ChooseCriteriaSet(QStringLiteral("SELCRIT2")));
        dock->toggleViewAction()->trigger();  // hidden
        EXPECT_FALSE(dock->StoredShown());
        dock->toggleViewAction()->trigger();  // shown
        EXPECT_TRUE(dock->isVisible());
        EXPECT_TRUE(dock->StoredShown());
    }
    StatisticsDock again(settings, nullptr);
    EXPECT_TRUE(again.StoredShown());
    ASSERT_TRUE(again.CriteriaSet().has_value());
    EXPECT_EQ(again.CriteriaSet()->name, "SELCRIT2");
    EXPECT_TRUE(again.PlainText().contains(QStringLiteral("No document")));
    // Closing the panel is remembered too.
    again.show();
    again.close();
    EXPECT_FALSE(again.StoredShown());
}

}  // namespace
}  // namespace korvanes::guitest
