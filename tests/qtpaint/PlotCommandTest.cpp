// End-to-end: `korvanes plot` as a user runs it.

#include <gtest/gtest.h>

#include <QImage>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sys/wait.h>

#include "TestSupport.h"

namespace korvanes {
namespace {

using test::ScratchDir;

class PlotCommand : public ::testing::Test {
protected:
    PlotCommand() : m_dir(::testing::UnitTest::GetInstance()->current_test_info()->name())
    {
        std::ofstream data(DataFile());
        data << "Korvanes-kvd\n"
                "35.0 0 0 0 0\n"
                "AB12a\t20.00\t500.0\t10.0\t40.0\n"
                "AB12a\t100.00\t450.0\t10.0\t40.0\n"
                "AB12a\t100.11\t470.0\t11.0\t42.0\n"
                "AB12a\t200.00\t380.0\t10.0\t40.0\n"
                "AB12a\t200.11\t430.0\t11.0\t43.0\n"
                "AB12a\t300.00\t250.0\t10.0\t40.0\n"
                "AB12a\t300.11\t350.0\t12.0\t45.0\n";
    }

    std::string DataFile() const { return m_dir.File("sample.kvd"); }
    std::string Out(const std::string& name) const { return m_dir.File(name); }

    // Runs the program with `arguments` (already quoted as the shell needs);
    // returns its exit status and keeps its error output.
    int Run(const std::string& arguments, const std::string& environment = "")
    {
        const std::string errors = m_dir.File("stderr.txt");
        const std::string command =
            environment + " '" KORVANES_PROGRAM "' plot " + arguments + " >/dev/null 2>'" + errors + "'";
        const int raw = std::system(command.c_str());
        std::ifstream in(errors);
        m_errors.assign(std::istreambuf_iterator<char>(in), {});
        return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    }

    ScratchDir m_dir;
    std::string m_errors;
};

TEST_F(PlotCommand, WritesAPngOfTheDefaultSize)
{
    ASSERT_EQ(Run("'" + DataFile() + "' --type arai --out '" + Out("arai.png") + "'"), 0) << m_errors;
    QImage image;
    ASSERT_TRUE(image.load(QString::fromStdString(Out("arai.png")), "PNG"));
    EXPECT_EQ(image.size(), QSize(520, 420));

    ASSERT_EQ(Run("'" + DataFile() + "' --type all --out '" + Out("all.PNG") + "'"), 0) << m_errors;
    ASSERT_TRUE(image.load(QString::fromStdString(Out("all.PNG")), "PNG"));
    EXPECT_EQ(image.size(), QSize(760, 760));
}

TEST_F(PlotCommand, SizeAndAnalysisOptions)
{
    ASSERT_EQ(Run("'" + DataFile() + "' --type decay --size 300x200 --coords geo --labfield 40 --out '" +
                  Out("decay.png") + "'"),
              0)
        << m_errors;
    QImage image;
    ASSERT_TRUE(image.load(QString::fromStdString(Out("decay.png")), "PNG"));
    EXPECT_EQ(image.size(), QSize(300, 200));
}

TEST_F(PlotCommand, RunsWithoutADisplaySetting)
{
    ASSERT_EQ(Run("'" + DataFile() + "' --type zijderveld --out '" + Out("z.svg") + "'",
                  "env -u QT_QPA_PLATFORM -u DISPLAY -u WAYLAND_DISPLAY"),
              0)
        << m_errors;
    EXPECT_TRUE(std::filesystem::exists(Out("z.svg")));
}

TEST_F(PlotCommand, UsageErrorsExitWithOne)
{
    const std::string data = "'" + DataFile() + "'";
    EXPECT_EQ(Run(data + " --type pie --out '" + Out("a.png") + "'"), 1);
    EXPECT_NE(m_errors.find("unknown plot type 'pie'"), std::string::npos) << m_errors;
    EXPECT_EQ(Run(data + " --type arai --out '" + Out("a.gif") + "'"), 1);
    EXPECT_NE(m_errors.find("a.gif"), std::string::npos) << m_errors;
    EXPECT_EQ(Run(data + " --type arai --out '" + Out("noextension") + "'"), 1);
    for (const char* size : {"12", "0x100", "100x", "x100", "-5x5", "100x100000", "100*100", "1e3x10", "100x100 "}) {
        EXPECT_EQ(Run(data + " --type arai --size '" + size + "' --out '" + Out("a.png") + "'"), 1) << size;
        EXPECT_NE(m_errors.find("malformed size"), std::string::npos) << size << ": " << m_errors;
    }
    EXPECT_EQ(Run(data + " --type arai"), 1);                        // no --out
    EXPECT_EQ(Run(data + " --out '" + Out("a.png") + "'"), 1);       // no --type
    EXPECT_EQ(Run(data + " --type arai --coords polar --out '" + Out("a.png") + "'"), 1);
    EXPECT_FALSE(std::filesystem::exists(Out("a.png")));
}

TEST_F(PlotCommand, UnreadableInputOrUnwritableOutputExitWithTwo)
{
    EXPECT_EQ(Run("'" + Out("missing.kvd") + "' --type arai --out '" + Out("a.png") + "'"), 2);
    EXPECT_NE(m_errors.find("missing.kvd"), std::string::npos) << m_errors;
    EXPECT_FALSE(std::filesystem::exists(Out("a.png")));
    std::filesystem::create_directory(Out("folder.kvd"));
    EXPECT_EQ(Run("'" + Out("folder.kvd") + "' --type arai --out '" + Out("a.png") + "'"), 2);
    EXPECT_FALSE(std::filesystem::exists(Out("a.png")));

    const std::string unwritable = Out("no-such-folder/a.png");
    EXPECT_EQ(Run("'" + DataFile() + "' --type arai --out '" + unwritable + "'"), 2);
    EXPECT_NE(m_errors.find("no-such-folder"), std::string::npos) << m_errors;
    EXPECT_FALSE(std::filesystem::exists(unwritable));
}

}  // namespace
}  // namespace korvanes
