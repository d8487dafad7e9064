// Not a test: scripts/render-docs.sh runs this to picture the desktop
// program for the README (the folder comes in KORVANES_SCREENSHOT_DIR, the
// window size in KORVANES_SCREENSHOT_SIZE, "1700x980" unless given).

#include <QRadioButton>

#include "GuiTestSupport.h"

namespace korvanes::guitest {
namespace {

TEST(DocsScreenshots, DISABLED_MainWindowOnEachDiagram)
{
    const QString folder = qEnvironmentVariable("KORVANES_SCREENSHOT_DIR", QDir::tempPath());
    ForgetSettings();
    RunningProgram program({Example("andesite-mt4.kvd")});
    const QStringList size = qEnvironmentVariable("KORVANES_SCREENSHOT_SIZE", QStringLiteral("1700x980")).split(QLatin1Char('x'));
    program.Main().resize(size.value(0).toInt(), size.value(1).toInt());
    Settle();
    const char* const diagrams[][2] = {{"Arai Plot", "arai"},     {"Zij Plot", "zijderveld"},
                                       {"Decay Plot", "decay"},   {"Additional Plots", "additional"},
                                       {"All Plots", "all"}};
    for (const auto& [button, name] : diagrams) {
        ByText<QRadioButton>(program.Form(), QString::fromLatin1(button))->click();
        Settle();
        EXPECT_TRUE(program.Main().grab().save(folder + QStringLiteral("/desktop-%1.png").arg(QLatin1String(name))));
    }
}

}  // namespace
}  // namespace korvanes::guitest
