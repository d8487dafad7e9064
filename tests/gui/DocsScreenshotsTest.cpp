// Not a test: scripts/render-docs.sh runs this to picture the desktop
// program for the README (the folder comes in KORVANES_SCREENSHOT_DIR, the
// window size in KORVANES_SCREENSHOT_SIZE, "1700x980" unless given).

#include <QRadioButton>
#include <QTemporaryDir>

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

TEST(DocsScreenshots, DISABLED_StudyTable)
{
    const QString folder = qEnvironmentVariable("KORVANES_SCREENSHOT_DIR", QDir::tempPath());
    ForgetSettings();
    QTemporaryDir study;
    // The examples under the names of a collection: site PV1 to PV4, samples
    // 01 to 06, specimens a to c.
    const char* const examples[][2] = {{"andesite-mt4.kvd", "AN03c"}, {"basalt-mt1.kvd", "BV12a"}, {"tuff-mt3.kvd", "TF07b"}};
    for (int i = 0; i < 24; ++i) {
        QFile in(Example(examples[i % 3][0]));
        ASSERT_TRUE(in.open(QIODevice::ReadOnly));
        const QByteArray name = QStringLiteral("PV%1-%2-%3").arg(i % 4 + 1).arg(i / 4 + 1, 2, 10, QLatin1Char('0'))
                                    .arg(QLatin1Char(static_cast<char>('a' + i % 3))).toLatin1();
        QFile out(study.filePath(QString::fromLatin1(name) + QStringLiteral(".kvd")));
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(in.readAll().replace(examples[i % 3][1], name));
    }
    RunningProgram program;
    program.Main().resize(1700, 980);
    ASSERT_TRUE(program.Main().OpenStudyPaths({study.path()}));
    program.Main().StepSpecimen(1);
    Settle();
    EXPECT_TRUE(program.Main().grab().save(folder + QStringLiteral("/desktop-study.png")));
}

}  // namespace
}  // namespace korvanes::guitest
