// Not a test: scripts/render-docs.sh runs this to picture the desktop
// program for the README (the folder comes in KORVANES_SCREENSHOT_DIR).

#include <QRadioButton>

#include "GuiTestSupport.h"

namespace korvanes::guitest {
namespace {

TEST(DocsScreenshots, DISABLED_MainWindowOnEachDiagram)
{
    const QString folder = qEnvironmentVariable("KORVANES_SCREENSHOT_DIR", QDir::tempPath());
    ForgetSettings();
    RunningProgram program({Example("andesite-mt4.kvd")});
    program.Main().resize(1700, 980);
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
