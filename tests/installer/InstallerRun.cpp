#include "InstallerRun.h"

#include "StringConvert.h"
#include "WinTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>

std::wstring FromUnix(const std::string& unixPath)
{
    std::wstring path = L"Z:" + Utf8ToWide(unixPath);
    std::replace(path.begin(), path.end(), L'/', L'\\');
    return path;
}

std::wstring MountedTestFolder(const char* variable, const wchar_t* signFile)
{
    const char* folder = std::getenv(variable);
    if (!folder)
        return {};
    const std::wstring path = FromUnix(folder) + L"\\";
    return FileExists(path + signFile) ? path : std::wstring();
}

std::string PercentEncode(const std::string& text)
{
    static const char* hex = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : text) {
        if (isalnum(c) || c == '/' || c == '-' || c == '_' || c == '.') {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
    return out;
}

SharedFolder::SharedFolder(const std::string& label)
    : unixPath(std::string(TOLVAN_BINARY_DIR) + "/tests/installer/run-" + label + "-" +
               std::to_string(GetCurrentProcessId()) + "/"),
      path(FromUnix(unixPath))
{
    std::filesystem::remove_all(std::filesystem::path(path));
    std::filesystem::create_directories(std::filesystem::path(path));
}

SharedFolder::~SharedFolder()
{
    std::error_code ignored;
    std::filesystem::remove_all(std::filesystem::path(path), ignored);
}

std::wstring EnvironmentWith(const std::map<std::wstring, std::wstring>& overrides)
{
    std::map<std::wstring, std::wstring> variables;
    if (wchar_t* block = GetEnvironmentStringsW()) {
        for (const wchar_t* entry = block; *entry; entry += wcslen(entry) + 1) {
            const std::wstring text = entry;
            const size_t equals = text.find(L'=', 1);
            if (equals != std::wstring::npos)
                variables[text.substr(0, equals)] = text.substr(equals + 1);
        }
        FreeEnvironmentStringsW(block);
    }
    for (const auto& [key, value] : overrides)
        variables[key] = value;
    std::wstring result;
    for (const auto& [key, value] : variables)
        result += key + L"=" + value + L'\0';
    return result + L'\0';
}

InstallerProcess::InstallerProcess(const std::wstring& arguments,
                                   const std::map<std::wstring, std::wstring>& environment,
                                   const std::wstring& program)
{
    const std::wstring path = program.empty() ? TestExecutableFolder() + L"VexaOnlineInstaller.exe" : program;
    std::wstring command = L"\"" + path + L"\" " + arguments;
    std::wstring block = EnvironmentWith(environment);
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, CREATE_UNICODE_ENVIRONMENT,
                        block.data(), nullptr, &startup, &info))
        throw std::runtime_error("cannot start the installer: " + std::to_string(GetLastError()));
    CloseHandle(info.hThread);
    m_process = info.hProcess;
    m_id = info.dwProcessId;
}

InstallerProcess::~InstallerProcess()
{
    if (WaitForSingleObject(m_process, 0) == WAIT_TIMEOUT)
        TerminateProcess(m_process, 99);
    CloseHandle(m_process);
}

DWORD InstallerProcess::Wait()
{
    for (int i = 0; i < 1200 && Running(); ++i) {
        EnumWindows(CountOwnWindow, reinterpret_cast<LPARAM>(this));
        Sleep(100);
    }
    DWORD code = 99;
    EXPECT_EQ(WaitForSingleObject(m_process, 0), static_cast<DWORD>(WAIT_OBJECT_0)) << "installer hangs";
    GetExitCodeProcess(m_process, &code);
    return code;
}

BOOL CALLBACK InstallerProcess::CountOwnWindow(HWND window, LPARAM self)
{
    auto* process = reinterpret_cast<InstallerProcess*>(self);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == process->m_id)
        ++process->m_windowsSeen;
    return TRUE;
}

HWND InstallerProcess::WaitForWindow(const wchar_t* className, const wchar_t* title) const
{
    for (int i = 0; i < 600 && Running(); ++i) {
        for (HWND window = FindWindowW(className, title); window;
             window = FindWindowExW(nullptr, window, className, title)) {
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            if (owner == m_id && IsWindowVisible(window))
                return window;
        }
        Sleep(100);
    }
    return nullptr;
}

void LeaveWindowsUnmanaged(const std::wstring& programFileName)
{
    const std::wstring path = L"Software\\Wine\\AppDefaults\\" + programFileName + L"\\X11 Driver";
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return;
    const wchar_t value[] = L"N";
    RegSetValueExW(key, L"Managed", 0, REG_SZ, reinterpret_cast<const BYTE*>(value), sizeof(value));
    RegCloseKey(key);
}
