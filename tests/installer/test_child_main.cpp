// Stand-in program started by the launch tests. Modes:
//   lines <n>          n numbered lines on standard output and on standard error
//   echo               copies standard input to standard output until it ends
//   record <file>      writes its command line and working folder (UTF-8, one per line) to <file>
//   wait-event <name>  waits until the named event is set, then exits with code 7
#include "StringConvert.h"

#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <fstream>
#include <string>

namespace {

int PrintLines(int count)
{
    for (int i = 0; i < count; ++i) {
        std::printf("out %d\n", i);
        std::fprintf(stderr, "err %d\n", i);
    }
    std::fflush(stdout);
    std::fflush(stderr);
    return 0;
}

int Echo()
{
    char buffer[1000];
    size_t read = 0;
    while ((read = std::fread(buffer, 1, sizeof(buffer), stdin)) > 0)
        std::fwrite(buffer, 1, read, stdout);
    std::fflush(stdout);
    return 0;
}

int Record(const std::wstring& file)
{
    wchar_t folder[MAX_PATH * 4] = {};
    GetCurrentDirectoryW(MAX_PATH * 4, folder);
    std::ofstream out(file.c_str(), std::ios::binary);
    out << WideToUtf8(GetCommandLineW()) << "\n" << WideToUtf8(folder) << "\n";
    return out ? 0 : 1;
}

int WaitEvent(const std::wstring& name)
{
    HANDLE event = OpenEventW(SYNCHRONIZE, FALSE, name.c_str());
    if (!event)
        return 1;
    WaitForSingleObject(event, INFINITE);
    CloseHandle(event);
    return 7;
}

} // namespace

int main()
{
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (!argv || argc < 2)
        return 2;
    const std::wstring mode = argv[1];
    const std::wstring argument = argc > 2 ? argv[2] : L"";
    if (mode == L"lines")
        return PrintLines(_wtoi(argument.c_str()));
    if (mode == L"echo")
        return Echo();
    if (mode == L"record")
        return Record(argument);
    if (mode == L"wait-event")
        return WaitEvent(argument);
    return 2;
}
