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
    EXPECT_FALSE(parser.ValueInDoubt(L"dir"));

    // The same folder however a script or shell quotes it: the documented form, the whole option as
    // one argument (Python's subprocess, PowerShell) with the usual backslash rules, and the
    // documented form quoted once more as a whole.
    for (const std::wstring arguments : {L"-dir:\"C:\\My Games\\Tolvan\\\"",
                                         L"\"-dir:C:\\My Games\\Tolvan\\\\\"",
                                         L"\"/DIR:C:\\My Games\\Tolvan\\\\\" /runasadmin",
                                         L"\"-dir:\\\"C:\\My Games\\Tolvan\\\\\\\"\""}) {
        SCOPED_TRACE(testing::PrintToString(arguments));
        parser.Parse(L"\"C:\\Program Files\\Vexa\\VexaOnlineInstaller.exe\" " + arguments);
        ASSERT_TRUE(parser.Has(L"dir"));
        EXPECT_EQ(parser.Find(L"dir")->second, L"C:\\My Games\\Tolvan\\");
        EXPECT_FALSE(parser.ValueInDoubt(L"dir"));
    }
    parser.Parse(L"app.exe \"/RunAsAdmin\" \"-dir:\"");
    EXPECT_TRUE(parser.Has(L"runasadmin"));
    EXPECT_EQ(ValueOf(L"app.exe \"-dir:\"", L"dir"), L"");
    EXPECT_EQ(ValueOf(L"app.exe \"-dir\"", L"dir"), L"");
}

// A value that may not be what was meant is marked, so that the run can refuse it instead of guessing.
TEST(CommandLineParserTest, MarksValuesThatCannotBeReadWithoutDoubt)
{
    const struct {
        const wchar_t* arguments;
        const wchar_t* value;
    } doubtful[] = {
        {L"-dir:C:\\My Games\\Tolvan\\", L"C:\\My"},                           // blanks left unquoted
        {L"-dir:C:\\My Games -runasadmin", L"C:\\My"},
        {L"-dir:C:\\Games\\Tolvan - Copy\\", L"C:\\Games\\Tolvan"},                // a lone dash is a word, no option
        {L"-dir:C:\\Games\\A / B -runasadmin", L"C:\\Games\\A"},
        {L"-dir:C:\\Games\\Tolvan -", L"C:\\Games\\Tolvan"},
        {L"-dir:C:\\Games\\Tolvan -Online\\", L"C:\\Games\\Tolvan"},                // a word no option this program reads
        {L"-dir:C:\\Games\\Tolvan /Beta\\ -runasadmin", L"C:\\Games\\Tolvan"},
        {L"-dir:C:\\Games\\Tolvan -x", L"C:\\Games\\Tolvan"},
        {L"-dir:C:\\Games\\Tolvan -runasadmin Copy\\", L"C:\\Games\\Tolvan"},        // a flag ends nothing by itself
        {L"-dir:D:\\Games\\ -dir:D:\\Games\\ x", L"D:\\Games\\"},                  // the same folder, later in doubt
        {L"-dir:D:\\Games\\ \"/x\"", L"D:\\Games\\"},
        {L"-dir:C:\\Games\\Tolvan -runasadmin\\", L"C:\\Games\\Tolvan"},            // a key holding a backslash
        {L"-dir:C:\\Games\\Tolvan -dir\\Beta", L"C:\\Games\\Tolvan"},
        {L"-dir:C:\\Games\\\"Tolvan\"", L"C:\\Games\\\"Tolvan\""},              // a quote in an unquoted word
        {L"-dir:C:\\Games\\Tol\"van\\ -runasadmin", L"C:\\Games\\Tol\"van\\"},
        {L"-dir:C:\\Games\\Tolvan\t-runasadmin", L"C:\\Games\\Tolvan\t-runasadmin"},  // a tab parts arguments
        {L"\"-dir:C:\\My Games\\Tolvan\\\"", L"C:\\My Games\\Tolvan\""},      // the backslash escaped the quote
        {L"\"-dir:C:\\My Games\\Tolvan\\\" -runasadmin", L"C:\\My Games\\Tolvan\" -runasadmin"},
        {L"-dir:\"C:\\My\"Games", L"C:\\My"},                                       // text glued to the closing quote
        {L"-dir:\"D:\\Games\\\"x", L"D:\\Games\\"},
        {L"\"-dir:\\\"C:\\My\\\"Games\"", L"C:\\My"},
        {L"\"-dir:\"C:\\My Games\\\"\"", L"C:\\My"},                               // quotes closed before the blank
        {L"\"-dir:\"C:\\Games\\Tolvan -Online\\\"\" -runasadmin", L"C:\\Games\\Tolvan"},
        {L"\"-dir C:\\My Games\"", L""},                                            // more than the key in the quotes
        {L"\"-dir:D:\\Games\\\\", L"D:\\Games\\\\"},                                 // unclosed after backslashes
        {L"\"-dir:D:\\My Games\\", L"D:\\My Games\\"},
    };
    for (const auto& row : doubtful) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(row.arguments)));
        CommandLineParser parser;
        parser.Parse(std::wstring(L"app.exe ") + row.arguments);
        ASSERT_TRUE(parser.Has(L"dir"));
        EXPECT_EQ(parser.Find(L"dir")->second, row.value);
        EXPECT_TRUE(parser.ValueInDoubt(L"DIR"));
    }
    // Nothing in doubt: an option this program reads in any order and spelling, trailing blanks, a
    // quoted value before a word of its own, an unclosed quote after no backslash.
    for (const wchar_t* arguments :
         {L"-dir:D:\\Games\\ -runasadmin", L"-dir:D:\\Games\\ /RunAsAdmin", L"-dir:D:\\Games\\ \"/runasadmin\"",
          L"-dir:D:\\Games\\ -runasadmin:", L"-dir:D:\\Games\\ -DIR:D:\\Games\\", L"-runasadmin -dir:D:\\Games\\ ",
          L"-dir:D:\\Games\\ -runasadmin -DIR:D:\\Games\\",
          L"-dir:D:\\Games\\   ", L"-dir:\"D:\\My Games\\\" notes", L"-dir:\"D:\\Games",
          L"\"-dir:D:\\My Games"}) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(arguments)));
        CommandLineParser parser;
        parser.Parse(std::wstring(L"app.exe ") + arguments);
        EXPECT_TRUE(parser.Has(L"dir"));
        EXPECT_FALSE(parser.ValueInDoubt(L"dir"));
    }
    CommandLineParser parser;
    parser.Parse(L"app.exe -dir:C:\\My Games -dir:D:\\");
    EXPECT_TRUE(parser.ValueInDoubt(L"dir")) << "the first occurrence wins, its doubt with it";
    parser.Parse(L"app.exe -dir:D:\\");
    EXPECT_FALSE(parser.ValueInDoubt(L"dir")) << "parsing again forgets the doubt";
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
    // Two different values leave it open which one was meant; the same one twice does not.
    CommandLineParser parser;
    parser.Parse(L"app.exe -dir:D:\\Games\\ -dir:E:\\");
    EXPECT_TRUE(parser.ValueInDoubt(L"dir"));
    parser.Parse(L"app.exe -dir:D:\\Games\\ \"-dir:D:\\Games\\\\\" -runasadmin -runasadmin");
    EXPECT_FALSE(parser.ValueInDoubt(L"dir"));
    EXPECT_FALSE(parser.ValueInDoubt(L"runasadmin"));
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
