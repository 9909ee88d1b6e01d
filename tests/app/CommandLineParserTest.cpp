#include "app/CommandLineParser.h"

#include <gtest/gtest.h>

namespace {

TEST(CommandLineParser, ResidentWhenThereIsNoOption) {
    for (const wchar_t* text : {L"", L"/t", L"-t5", L"-d", L"hello -t", L"-x 1 2"}) {
        TCommandLineParser p(text);
        EXPECT_FALSE(p.HasOption()) << text;
        EXPECT_TRUE(p.CommandLine.empty()) << text;
        EXPECT_FALSE(p.ShowRoot) << text;
        EXPECT_FALSE(p.HasPosition) << text;
    }
}

TEST(CommandLineParser, OptionsAreMatchedWithoutRegardToCase) {
    TCommandLineParser root(L"-T 100 200");
    EXPECT_TRUE(root.HasOption());
    EXPECT_TRUE(root.ShowRoot);
    EXPECT_TRUE(root.HasPosition);
    EXPECT_EQ(root.X, 100);
    EXPECT_EQ(root.Y, 200);
    EXPECT_EQ(root.CommandLine, L"-t 100 200");

    TCommandLineParser menu(L"-M");
    EXPECT_TRUE(menu.HasOption());
    EXPECT_FALSE(menu.ShowRoot);
    EXPECT_FALSE(menu.HasPosition);
    EXPECT_TRUE(menu.FolderPath.empty());
}

TEST(CommandLineParser, CoordinatesThatAreNotNumbers) {
    TCommandLineParser onlyX(L"-t 100");
    EXPECT_TRUE(onlyX.HasPosition);
    EXPECT_EQ(onlyX.X, 100);
    EXPECT_EQ(onlyX.Y, 0);

    TCommandLineParser badX(L"-t abc 50");
    EXPECT_TRUE(badX.HasPosition);  // set by the second item
    EXPECT_EQ(badX.X, 0);
    EXPECT_EQ(badX.Y, 50);

    TCommandLineParser neither(L"-m x y");
    EXPECT_FALSE(neither.HasPosition);

    TCommandLineParser negative(L"-m -20 -30 99");
    EXPECT_EQ(negative.X, -20);
    EXPECT_EQ(negative.Y, -30);

    // Two blanks make an empty item: X fails on it and Y takes the next item.
    TCommandLineParser twoBlanks(L"-t  100 200");
    EXPECT_TRUE(twoBlanks.HasPosition);
    EXPECT_EQ(twoBlanks.X, 0);
    EXPECT_EQ(twoBlanks.Y, 100);

    TCommandLineParser tab(L"-t\t100");  // tabs do not separate
    EXPECT_FALSE(tab.HasOption());
}

TEST(CommandLineParser, FolderPathKeepsBlanksInsideQuotesAndItsCase) {
    TCommandLineParser p(L"-d \"D:\\My Folder\" 10 20");
    EXPECT_TRUE(p.HasOption());
    EXPECT_EQ(p.FolderPath, L"D:\\My Folder");
    EXPECT_TRUE(p.HasPosition);
    EXPECT_EQ(p.X, 10);
    EXPECT_EQ(p.Y, 20);

    TCommandLineParser plain(L"-D C:\\Windows");
    EXPECT_EQ(plain.FolderPath, L"C:\\Windows");
    EXPECT_FALSE(plain.HasPosition);

    TCommandLineParser japanese(L"-d \"C:\\写真 ＡＢＣ\\Ｄｅｆ\"");
    EXPECT_EQ(japanese.FolderPath, L"C:\\写真 ＡＢＣ\\Ｄｅｆ");

    // Only one leading and one trailing quote go.
    TCommandLineParser lone(L"-d \"");
    EXPECT_TRUE(lone.HasOption());
    EXPECT_EQ(lone.FolderPath, L"");
}

}  // namespace
