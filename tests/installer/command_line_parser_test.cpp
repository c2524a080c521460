#include "CommandLineParser.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace {

CommandLineParser::Options ParseAll(const std::wstring& commandLine)
{
    CommandLineParser parser;
    parser.Parse(commandLine);
    CommandLineParser::Options options;
    for (const std::wstring key : {L"dir", L"runasadmin", L"x", L"a", L"b", L"c"}) {
        auto found = parser.Find(key);
        if (found != parser.End())
            options.emplace(found->first, found->second);
    }
    return options;
}

std::wstring ValueOf(const std::wstring& commandLine, const std::wstring& key)
{
    CommandLineParser parser;
    parser.Parse(commandLine);
    auto found = parser.Find(key);
    return found == parser.End() ? L"<absent>" : found->second;
}

TEST(CommandLineParserTest, ReadsQuotedFolderAndFlagAfterQuotedProgramPath)
{
    CommandLineParser parser;
    const std::wstring line =
        L"\"C:\\Program Files\\Vexa\\VexaOnlineInstaller.exe\" -DIR:\"D:\\My Games\\\" /runasadmin";
    parser.Parse(line);
    ASSERT_NE(parser.Find(L"dir"), parser.End());
    EXPECT_EQ(parser.Find(L"dir")->second, L"D:\\My Games\\");
    ASSERT_NE(parser.Find(L"runasadmin"), parser.End());
    EXPECT_EQ(parser.Find(L"runasadmin")->second, L"");
    EXPECT_EQ(parser.RawText(), line);
}

TEST(CommandLineParserTest, LooksKeysUpWithoutRegardToAsciiCase)
{
    CommandLineParser parser;
    parser.Parse(L"app.exe -RunAsAdmin -Dir:E:\\Vexa\\");
    EXPECT_TRUE(parser.Has(L"RUNASADMIN"));
    EXPECT_TRUE(parser.Has(L"runasadmin"));
    EXPECT_EQ(parser.Find(L"DiR")->second, L"E:\\Vexa\\");  // values keep their case
    EXPECT_FALSE(parser.Has(L"silent"));
}

TEST(CommandLineParserTest, LowerCasesOnlyAsciiLetters)
{
    EXPECT_EQ(CommandLineParser::ToLowerCopy(L"ABC\u00C4\u0130z-1"), L"abc\u00C4\u0130z-1");
    CommandLineParser parser;
    parser.Parse(L"app.exe -\u00C4BC:1");
    EXPECT_TRUE(parser.Has(L"\u00C4bc"));
    EXPECT_FALSE(parser.Has(L"\u00E4bc"));
}

TEST(CommandLineParserTest, FirstOccurrenceOfAKeyWins)
{
    EXPECT_EQ(ValueOf(L"app.exe -dir:D:\\Games\\ -dir:E:\\", L"dir"), L"D:\\Games\\");
    EXPECT_EQ(ValueOf(L"app.exe -DIR:first /Dir:second", L"dir"), L"first");
}

TEST(CommandLineParserTest, HandlesEmptyAndUnfinishedOptions)
{
    EXPECT_TRUE(ParseAll(L"").empty());
    EXPECT_TRUE(ParseAll(L"app.exe").empty());
    EXPECT_TRUE(ParseAll(L"app.exe -").empty());
    EXPECT_TRUE(ParseAll(L"app.exe -:y").empty());
    EXPECT_EQ(ParseAll(L"app.exe -x:"), (CommandLineParser::Options{{L"x", L""}}));
    EXPECT_EQ(ParseAll(L"app.exe -x"), (CommandLineParser::Options{{L"x", L""}}));
    EXPECT_EQ(ParseAll(L"app.exe -x -a"), (CommandLineParser::Options{{L"a", L""}, {L"x", L""}}));
    EXPECT_EQ(ValueOf(L"app.exe -dir:", L"dir"), L"");
    EXPECT_EQ(ValueOf(L"app.exe -dir:\"\"", L"dir"), L"");
    EXPECT_EQ(ValueOf(L"app.exe -dir:\"", L"dir"), L"");
}

TEST(CommandLineParserTest, UnclosedQuoteTakesTheRest)
{
    EXPECT_EQ(ValueOf(L"app.exe -dir:\"D:\\Games", L"dir"), L"D:\\Games");
    EXPECT_EQ(ValueOf(L"app.exe -dir:\"D:\\My Games -runasadmin", L"dir"), L"D:\\My Games -runasadmin");
    EXPECT_EQ(ValueOf(L"app.exe -dir:\"D:\\My Games -runasadmin", L"runasadmin"), L"<absent>");
}

TEST(CommandLineParserTest, UnquotedValueEndsAtTheNextBlank)
{
    EXPECT_EQ(ParseAll(L"app.exe -dir:D:\\My Games\\ -a:1 -b:\"two words\" -c"),
              (CommandLineParser::Options{{L"a", L"1"}, {L"b", L"two words"}, {L"c", L""}, {L"dir", L"D:\\My"}}));
    // Tabs are not separators.
    EXPECT_EQ(ValueOf(L"app.exe -dir:D:\\A\tB -x", L"dir"), L"D:\\A\tB");
    // A colon inside a value is kept; a second colon does not start anything.
    EXPECT_EQ(ValueOf(L"app.exe -dir:D:\\x:y", L"dir"), L"D:\\x:y");
}

TEST(CommandLineParserTest, DashOrSlashInThePathOrAfterABlankStartsAKey)
{
    CommandLineParser parser;
    parser.Parse(L"C:\\Vexa-Tools\\setup.exe -dir:C:/a b/c:d");
    EXPECT_TRUE(parser.Has(L"tools\\setup.exe"));  // junk from the program path, never looked up
    EXPECT_EQ(parser.Find(L"dir")->second, L"C:/a");
    EXPECT_EQ(parser.Find(L"c")->second, L"d");
}

TEST(CommandLineParserTest, ParsingAgainReplacesEarlierOptions)
{
    CommandLineParser parser;
    parser.Parse(L"app.exe -dir:D:\\");
    parser.Parse(L"app.exe -runasadmin");
    EXPECT_FALSE(parser.Has(L"dir"));
    EXPECT_TRUE(parser.Has(L"runasadmin"));
}

} // namespace
