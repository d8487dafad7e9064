// The values behind the settings and the form's number fields.

#include <gtest/gtest.h>

#include "DocumentWindowSettings.h"
#include "FormFields.h"
#include "RecentFileList.h"
#include "WindowPlacement.h"

namespace korvanes::gui {
namespace {

TEST(WindowPlacement, TenNumbersRoundTripAnythingElseIsIgnored)
{
    WindowPlacement maximised;
    maximised.flags = kRestoreToMaximized;
    maximised.showCmd = kShowMaximized;
    maximised.left = -8;
    maximised.top = 20;
    maximised.right = 1200;
    maximised.bottom = 900;
    const std::string text = FormatWindowPlacement(maximised);
    EXPECT_EQ(text, "2,3,-1,-1,-1,-1,-8,20,1200,900");
    EXPECT_EQ(ParseWindowPlacement(text), maximised);
    EXPECT_EQ(ParseWindowPlacement(" 0, 1,-1,-1,-1,-1, 10,10,800,600 "), (WindowPlacement{0, 1, -1, -1, -1, -1, 10, 10, 800, 600}));

    for (const char* bad : {"", "0,1,-1,-1,-1,-1,10,10,800", "0,1,-1,-1,-1,-1,10,10,800,600,7",
                            "0,1,-1,-1,-1,-1,10,10,800,6x0", "-1,1,-1,-1,-1,-1,10,10,800,600",
                            "0,1,-1,-1,-1,-1,10,10,10,600", "0,1,,-1,-1,-1,10,10,800,600",
                            "0,1,-1,-1,-1,-1,10,10,800,99999999999"}) {
        EXPECT_FALSE(ParseWindowPlacement(bad)) << bad;
    }
}

TEST(DocumentWindowSettings, OnlyChangedValuesAreWritten)
{
    MemorySettingsStore store;
    store.WriteInt("Settings", "FrameSplit0x", 400);
    const int writesBefore = store.WriteCount();
    DocumentWindowSettings settings;
    settings.Load(store);
    EXPECT_EQ(settings.current.frameSplit0x, 400);
    EXPECT_EQ(settings.current.showCmd, 3);
    settings.Store(store);
    EXPECT_EQ(store.WriteCount(), writesBefore);

    settings.current.showCmd = 1;
    settings.Store(store);
    settings.Store(store);
    EXPECT_EQ(store.WriteCount(), writesBefore + 1);
    EXPECT_EQ(store.ReadInt("Settings", "ShowCmd", 0), 1);
}

TEST(RecentFileList, NewestFirstFourAtMostNoDuplicates)
{
    MemorySettingsStore store;
    RecentFileList list;
    for (const char* path : {"/a.kvd", "/b.kvd", "/c.kvd", "/a.kvd", "/d.kvd", "/e.kvd"}) {
        list.Add(path);
    }
    EXPECT_EQ(list.Entries(), (std::vector<std::string>{"/e.kvd", "/d.kvd", "/a.kvd", "/c.kvd"}));
    list.Remove("/d.kvd");
    list.Store(store);
    RecentFileList loaded;
    loaded.Load(store);
    EXPECT_EQ(loaded.Entries(), (std::vector<std::string>{"/e.kvd", "/a.kvd", "/c.kvd"}));
    EXPECT_EQ(store.ReadText("Recent File List", "File4", "?"), "");
}

TEST(FormFields, NumbersAreShownAndReadAsTheFormDoes)
{
    EXPECT_EQ(FormatFormNumber(28.4561234), QStringLiteral("28.4561234"));
    EXPECT_EQ(FormatFormNumber(35.0), QStringLiteral("35"));
    EXPECT_EQ(FormatFormNumber(1.0 / 3.0), QStringLiteral("0.333333333333333"));
    EXPECT_EQ(FormatLabField(35.0f), QStringLiteral("35"));
    EXPECT_EQ(FormatLabField(37.25f), QStringLiteral("37.25"));

    EXPECT_EQ(ParseFormFloat(QStringLiteral(" \t37.5\t ")), 37.5f);
    EXPECT_EQ(ParseFormFloat(QStringLiteral("+4e1")), 40.0f);
    for (const char* bad : {"", " ", "35 uT", "3,5", "nan", "inf", "1e39", "--3", "0x"}) {
        EXPECT_FALSE(ParseFormFloat(QString::fromLatin1(bad))) << bad;
    }
    EXPECT_EQ(ParseFormInteger(QStringLiteral(" -20 ")), -20);
    for (const char* bad : {"", "300.5", "3e2", "2147483648", "x"}) {
        EXPECT_FALSE(ParseFormInteger(QString::fromLatin1(bad))) << bad;
    }
}

}  // namespace
}  // namespace korvanes::gui
