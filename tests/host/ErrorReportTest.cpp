#include "host/ErrorReport.h"
#include "ScriptedPrompter.h"
#include "core/AppInfo.h"
#include "core/DataError.h"
#include "host/ErrorTrap.h"

#include <gtest/gtest.h>

using namespace tabulex;

TEST(ErrorReport, TextIsAssembledPieceByPiece)
{
    const QString tail = "\r\rPlease email screenshot of this message to " + kSupportAddress;
    EXPECT_EQ(
        errorReportText("Invalid object name 'x'.", {"Form1", "PushButton6_Click", 104}),
        "Invalid object name 'x'.\r\nin Verandi2021/08/31.Form1.PushButton6_Click at line 104" +
            tail);
    const QString sql = "INSERT INTO [t] VALUES('a')";
    EXPECT_EQ(errorReportText("d", {"Form2", "PushButton3_Click", 120}, &sql),
              "d\r\nin Verandi2021/08/31.Form2.PushButton3_Click at line 120" + tail +
                  "\r\rsql: INSERT INTO [t] VALUES('a')");
    EXPECT_EQ(folderWalkErrorReportText("Permission denied", 110),
              "Permission denied\r\nin Dranwick2021/08/31.AddFolder.GetSubDirectories2016 at line "
              "110" +
                  tail);
}

TEST(ErrorTrap, ReportsAndGoesOnWithTheNextStep)
{
    test::ScriptedPrompter prompter;
    ErrorTrap trap(prompter, "Main", "Routine");
    std::vector<int> ran;
    EXPECT_TRUE(trap.step(100, [&] { ran.push_back(100); }));
    EXPECT_FALSE(trap.step(102, [&] { throw DataError("[FreeTDS]Login failed"); }));
    EXPECT_FALSE(trap.step(104, [&] { throw std::runtime_error("plain"); }));
    EXPECT_FALSE(trap.step(106, [&] { throw 42; }));
    EXPECT_TRUE(trap.step(108, [&] { ran.push_back(108); }));
    EXPECT_EQ(ran, (std::vector<int>{100, 108}));

    const auto reports = prompter.errorReports();
    ASSERT_EQ(reports.size(), 3u);
    EXPECT_TRUE(reports[0].startsWith("[FreeTDS]Login failed\r\nin Verandi2021/08/31.Main.Routine "
                                      "at line 102\r\r"));
    EXPECT_TRUE(reports[1].startsWith("plain\r\n"));
    EXPECT_TRUE(reports[1].contains("at line 104"));
    EXPECT_TRUE(reports[2].contains("at line 106"));
    for (const auto& p : prompter.of(test::ScriptedPrompter::Kind::ErrorReport))
        EXPECT_EQ(p.title, "Application Error");
}

TEST(SetAppTitle, CutsWholeWordsToFortyCharacters)
{
    struct Row {
        QString product, title;
    };
    const Row rows[] = {
        {"Tabulex", "Tabulex"},
        {QString(40, 'a'), QString(40, 'a')},
        {"Tabulex moves tables between SQL Server and Paradox folders",
         "Tabulex moves tables between SQL Server"},
        {"one two three four five six seven eight nine", "one two three four five six seven eight"},
        {QString(41, 'w'), QString(41, 'w')}, // one word is never cut inside
        {QString(38, 'a') + " bc", QString(38, 'a')},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(setAppTitle(r.product), r.title) << r.product.toStdString();
        EXPECT_EQ(appTitle(), r.title);
    }
    setAppTitle();
    EXPECT_EQ(appTitle(), "Tabulex");
}
