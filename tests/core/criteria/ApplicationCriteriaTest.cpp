#include "criteria/ApplicationCriteria.h"

#include <gtest/gtest.h>

#include "core/results/TempDir.h"

namespace korvanes {
namespace {

using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;

CCriteriaSet LoadedSet()
{
    CCriteriaSet c = StartupCriteria();
    c.classA.minN = 7;
    c.classB.maxIntensityDiff = 33;
    c.maximizeQ = 1;
    c.allowMt4CheckCorrection = 1;
    c.equalAraiScales = 1;
    return c;
}

TEST(ApplicationCriteria, FreshStartWithoutSettingsUsesTheStartupValues)
{
    MemorySettingsStore settings;
    ApplicationCriteria app;
    EXPECT_TRUE(LoadStartupCriteria(app, settings).ok());
    EXPECT_EQ(app.path, "DefaultCriteria");
    EXPECT_EQ(app.savedPath, "DefaultCriteria");
    EXPECT_EQ(app.criteria, StartupCriteria());
    EXPECT_EQ(app.criteria.classB.maxIntensityDiff, 15);

    StoreCriteriaPath(app, settings);
    EXPECT_EQ(settings.WriteCount(), 0);  // nothing changed, nothing written
}

TEST(ApplicationCriteria, DefaultButtonGivesIntensityDiff20)
{
    ApplicationCriteria app;
    app.path = "/some/file.cri";
    app.criteria = LoadedSet();
    ResetCriteria(app);
    EXPECT_EQ(app.criteria.classB.maxIntensityDiff, 20);
    EXPECT_EQ(app.criteria, DefaultCriteria());
    EXPECT_EQ(app.path, "DefaultCriteria");
}

TEST(ApplicationCriteria, LoadThenNextStartLoadsTheSameFile)
{
    TempDir dir;
    const std::string path = dir.File("site.cri");
    ASSERT_TRUE(WriteCriteria(path, LoadedSet()).ok);

    MemorySettingsStore settings;
    ApplicationCriteria app;
    LoadStartupCriteria(app, settings);
    CKorvanesToolDoc openDoc(app.criteria);

    ASSERT_TRUE(ReadCriteriaFile(app, path).ok());
    EXPECT_EQ(app.criteria, LoadedSet());
    EXPECT_EQ(app.path, path);

    // A new document takes the loaded set; the open one keeps its copy.
    CKorvanesToolDoc newDoc;
    AssignDocumentCriteria(app, newDoc);
    EXPECT_EQ(newDoc.m_criteria, LoadedSet());
    EXPECT_EQ(newDoc.m_options.m_equalAraiScales, 1);
    EXPECT_EQ(openDoc.m_criteria, StartupCriteria());

    StoreCriteriaPath(app, settings);
    EXPECT_EQ(settings.WriteCount(), 1);
    EXPECT_EQ(settings.ReadText("Settings", "PathCri", ""), path);
    StoreCriteriaPath(app, settings);
    EXPECT_EQ(settings.WriteCount(), 1);  // unchanged since: not written again

    ApplicationCriteria next;
    EXPECT_TRUE(LoadStartupCriteria(next, settings).ok());
    EXPECT_EQ(next.path, path);
    EXPECT_EQ(next.criteria, LoadedSet());
}

TEST(ApplicationCriteria, WrongTagAndShortFileChangeNothing)
{
    TempDir dir;
    std::string bytes = EncodeCriteria(LoadedSet());
    bytes[1] = 'c';
    const std::string lower = dir.File("lower.cri");
    WriteBytes(lower, bytes);
    const std::string shortFile = dir.File("short.cri");
    WriteBytes(shortFile, EncodeCriteria(LoadedSet()).substr(0, 100));

    ApplicationCriteria app;
    const ApplicationCriteria before = app;
    const CriteriaFileResult wrong = ReadCriteriaFile(app, lower);
    EXPECT_EQ(wrong.message, "No Criteria File!");
    EXPECT_EQ(app.criteria, before.criteria);
    EXPECT_EQ(app.path, before.path);

    const CriteriaFileResult cut = ReadCriteriaFile(app, shortFile);
    EXPECT_EQ(cut.status, CriteriaFileStatus::kDamaged);
    EXPECT_FALSE(cut.message.empty());
    EXPECT_EQ(app.criteria, before.criteria);
    EXPECT_EQ(app.path, before.path);
}

TEST(ApplicationCriteria, StartupReadsPastTheTagButKeepsBuiltInValuesForBadFiles)
{
    TempDir dir;
    std::string bytes = EncodeCriteria(LoadedSet());
    bytes[1] = 'c';
    const std::string lower = dir.File("lower.cri");
    WriteBytes(lower, bytes);

    MemorySettingsStore settings;
    settings.WriteText("Settings", "PathCri", lower);
    ApplicationCriteria app;
    EXPECT_TRUE(LoadStartupCriteria(app, settings).ok());
    EXPECT_EQ(app.criteria, LoadedSet());  // the tag is not checked at start-up
    EXPECT_EQ(app.path, lower);

    for (const std::string& bad : {dir.File("missing.cri"), dir.File("short.cri")}) {
        if (bad.ends_with("short.cri")) {
            WriteBytes(bad, bytes.substr(0, 60));
        }
        MemorySettingsStore s;
        s.WriteText("Settings", "PathCri", bad);
        ApplicationCriteria fresh;
        EXPECT_FALSE(LoadStartupCriteria(fresh, s).ok());
        EXPECT_EQ(fresh.criteria, StartupCriteria()) << bad;
        EXPECT_EQ(fresh.path, "DefaultCriteria") << bad;
        EXPECT_EQ(fresh.savedPath, bad);
        StoreCriteriaPath(fresh, s);  // the marker goes back into the settings at exit
        EXPECT_EQ(s.ReadText("Settings", "PathCri", ""), "DefaultCriteria");
    }
}

TEST(ApplicationCriteria, SaveWritesTheGivenSetAndTakesItsPath)
{
    TempDir dir;
    const std::string path = dir.File("dialog.cri");
    ApplicationCriteria app;
    ASSERT_TRUE(WriteCriteriaFile(app, path, LoadedSet()).ok);
    EXPECT_EQ(ReadBytes(path), EncodeCriteria(LoadedSet()));
    EXPECT_EQ(app.path, path);
    EXPECT_EQ(app.criteria, StartupCriteria());

    const CriteriaWriteStatus failed = WriteCriteriaFile(app, dir.File("none/x.cri"), DefaultCriteria());
    EXPECT_FALSE(failed.ok);
    EXPECT_FALSE(failed.message.empty());
    EXPECT_EQ(app.path, path);
}

}  // namespace
}  // namespace korvanes
