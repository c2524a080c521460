#include "LaunchRecord.h"

#include "StringConvert.h"

#include <nlohmann/json.hpp>
#include <windows.h>
#include <shellapi.h>

#include <fstream>
#include <string>

int RecordLaunch(const wchar_t* recordVariable)
{
    wchar_t recordPath[MAX_PATH];
    if (GetEnvironmentVariableW(recordVariable, recordPath, MAX_PATH) == 0)
        return 2;

    nlohmann::json record;
    record["argv"] = nlohmann::json::array();
    int count = 0;
    if (wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &count)) {
        for (int i = 0; i < count; ++i)
            record["argv"].push_back(WideToUtf8(argv[i]));
        LocalFree(argv);
    }
    wchar_t cwd[MAX_PATH];
    record["cwd"] = WideToUtf8(std::wstring(cwd, GetCurrentDirectoryW(MAX_PATH, cwd)));

    // Written under a temporary name and renamed, so a watcher never reads half a record.
    const std::wstring temporary = std::wstring(recordPath) + L".part";
    {
        std::ofstream out(temporary.c_str(), std::ios::binary);
        out << record.dump();
        if (!out)
            return 3;
    }
    return MoveFileExW(temporary.c_str(), recordPath, MOVEFILE_REPLACE_EXISTING) ? 0 : 4;
}
