#include "DirectoryTree.h"
#include "DriveSpace.h"
#include "ShellLaunch.h"
#include "StringConvert.h"
#include "WinTestSupport.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <direct.h>

namespace {

bool IsFolder(const std::wstring& path)
{
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

TEST(MakeDirectoryTreeTest, CreatesEveryLevelThatEndsWithASeparator)
{
    ScratchFolder scratch(L"tree");
    const std::wstring& base = scratch.Path();
    EXPECT_TRUE(MakeDirectoryTree(base + L"A\\B\\"));
    EXPECT_TRUE(IsFolder(base + L"A"));
    EXPECT_TRUE(IsFolder(base + L"A\\B"));

    EXPECT_TRUE(MakeDirectoryTree(base + L"C\\D"));
    EXPECT_TRUE(IsFolder(base + L"C"));
    EXPECT_FALSE(FileExists(base + L"C\\D"));
}

TEST(MakeDirectoryTreeTest, SucceedsForAnExistingTree)
{
    ScratchFolder scratch(L"tree");
    ASSERT_TRUE(MakeDirectoryTree(scratch.Path() + L"A\\B\\"));
    EXPECT_TRUE(MakeDirectoryTree(scratch.Path() + L"A\\B\\"));
    EXPECT_TRUE(MakeDirectoryTree(scratch.Path()));
}

TEST(MakeDirectoryTreeTest, AcceptsForwardSlashesAndChineseNames)
{
    ScratchFolder scratch(L"tree");
    const std::wstring games = L"\u6E38\u620F \u76EE\u5F55";
    EXPECT_TRUE(MakeDirectoryTree(scratch.Path() + games + L"/sub/"));
    EXPECT_TRUE(IsFolder(scratch.Path() + games + L"\\sub"));
}

TEST(MakeDirectoryTreeTest, NeverCreatesServerAndShareOfAUncPath)
{
    // "\\?\C:\..." has the UNC form: "?" and "C:" stand where server and share would.
    ScratchFolder scratch(L"tree");
    EXPECT_TRUE(MakeDirectoryTree(L"\\\\?\\" + scratch.Path() + L"X\\Y\\"));
    EXPECT_TRUE(IsFolder(scratch.Path() + L"X\\Y"));
}

TEST(MakeDirectoryTreeTest, AFileInTheWayFailsWithAlreadyExists)
{
    ScratchFolder scratch(L"tree");
    WriteWholeFile(scratch.Path() + L"A", "not a folder");
    SetLastError(ERROR_ACCESS_DENIED);  // a stale code must not survive
    EXPECT_FALSE(MakeDirectoryTree(scratch.Path() + L"A\\B\\"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    EXPECT_FALSE(FileExists(scratch.Path() + L"A\\B"));
}

TEST(MakeDirectoryTreeTest, ACreationFailureLeavesTheSystemsReason)
{
    DWORD drives = GetLogicalDrives();
    int missing = 25;  // from Y: down, the first letter without a drive
    while (missing > 3 && (drives & (1u << missing)))
        --missing;
    ASSERT_GT(missing, 3) << "every drive letter is in use";
    const std::wstring path = std::wstring(1, static_cast<wchar_t>(L'A' + missing)) + L":\\Vexa\\Games\\";
    SetLastError(0);
    EXPECT_FALSE(MakeDirectoryTree(path));
    EXPECT_NE(GetLastError(), 0u);
    EXPECT_NE(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
}

TEST(DriveSpaceTest, NumbersDriveLettersFromAOnly)
{
    EXPECT_EQ(GetDriveNumber(L"C:\\Games"), 3);
    EXPECT_EQ(GetDriveNumber(L"a:"), 1);
    EXPECT_EQ(GetDriveNumber(L"z:\\"), 26);
    EXPECT_EQ(GetDriveNumber(L"Games\\x"), -1);
    EXPECT_EQ(GetDriveNumber(L"\\\\srv\\share\\"), -1);
    EXPECT_EQ(GetDriveNumber(L"1:\\x"), -1);
    EXPECT_EQ(GetDriveNumber(L"@:\\x"), -1);
    EXPECT_EQ(GetDriveNumber(L"\u00C4:\\x"), -1);
    EXPECT_EQ(GetDriveNumber(L"C"), -1);
    EXPECT_EQ(GetDriveNumber(L""), -1);
    EXPECT_EQ(GetDriveRoot(3), L"C:\\");
}

TEST(DriveSpaceTest, ReportsFreeSpaceOfAnExistingDrive)
{
    wchar_t windows[MAX_PATH] = {};
    GetWindowsDirectoryW(windows, MAX_PATH);
    const int drive = GetDriveNumber(windows);
    ASSERT_GT(drive, 0);
    EXPECT_GT(GetDriveFreeSpaceMB(drive), 0.0f);
}

TEST(DriveSpaceTest, UnknownDrivesGiveZero)
{
    EXPECT_EQ(GetDriveFreeSpaceMB(GetDriveNumber(L"Games\\relative")), 0.0f);
    EXPECT_EQ(GetDriveFreeSpaceMB(0), 0.0f);
    EXPECT_EQ(GetDriveFreeSpaceMB(27), 0.0f);
    const DWORD drives = GetLogicalDrives();
    for (int drive = 1; drive <= 26; ++drive) {
        if (!(drives & (1u << (drive - 1)))) {
            EXPECT_EQ(GetDriveFreeSpaceMB(drive), 0.0f) << drive;
        }
    }
}

TEST(DriveSpaceTest, LeavesCurrentFolderAndErrorModeAlone)
{
    wchar_t before[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, before);
    const int driveBefore = _getdrive();
    const DWORD modeBefore = GetThreadErrorMode();
    for (int drive = 1; drive <= 26; ++drive)
        GetDriveFreeSpaceMB(drive);
    wchar_t after[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, after);
    EXPECT_STREQ(after, before);
    EXPECT_EQ(_getdrive(), driveBefore);
    EXPECT_EQ(GetThreadErrorMode(), modeBefore);
}

TEST(ShellExecuteRunAsTest, StartsTheProgramWithParametersInTheFolder)
{
    ScratchFolder scratch(L"runas \u6E38\u620F");  // a blank and Chinese characters
    const std::wstring record = scratch.Path() + L"record.txt";
    const std::wstring program = TestExecutableFolder() + L"installer_test_child.exe";
    ASSERT_TRUE(ShellExecuteRunAs(program, L"record \"" + record + L"\"", scratch.Path()));
    ASSERT_TRUE(WaitForFile(record));
    const std::string recorded = ReadWholeFile(record);
    EXPECT_NE(recorded.find("record \"" + WideToUtf8(record) + "\""), std::string::npos) << recorded;
    std::wstring folder = scratch.Path();
    folder.pop_back();
    EXPECT_NE(recorded.find("\n" + WideToUtf8(folder) + "\n"), std::string::npos) << recorded;
}

TEST(ShellExecuteRunAsTest, AMissingProgramFailsWithAReason)
{
    ScratchFolder scratch(L"runas");
    SetLastError(0);
    EXPECT_FALSE(ShellExecuteRunAs(scratch.Path() + L"missing.exe", L"", L""));
    EXPECT_NE(GetLastError(), 0u);
}

} // namespace
