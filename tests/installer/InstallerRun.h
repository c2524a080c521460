#pragma once

// Running the installer program as the end-to-end tests do: in a folder shared with the loopback
// test server, with its environment chosen per run.
#include <windows.h>

#include <map>
#include <string>

// Windows view of a Unix path of this build tree (Wine maps Z: to /).
std::wstring FromUnix(const std::string& unixPath);

std::string PercentEncode(const std::string& text);

// A folder the test run mounted (a fixture of tests/installer/CMakeLists.txt), named by the environment
// variable and marked by the sign file inside it; as Wine sees it, with a trailing backslash; empty
// when the run could not mount it.
std::wstring MountedTestFolder(const char* variable, const wchar_t* signFile);

// A fresh folder inside the build tree, visible to the test (Z:\...) and to the server (/...).
struct SharedFolder {
    explicit SharedFolder(const std::string& label);
    ~SharedFolder();
    SharedFolder(const SharedFolder&) = delete;
    SharedFolder& operator=(const SharedFolder&) = delete;
    std::string unixPath;
    std::wstring path;
};

// This process's environment with some variables replaced, as a block for CreateProcessW.
std::wstring EnvironmentWith(const std::map<std::wstring, std::wstring>& overrides);

// The installer program beside the test, started with `arguments`; ended by force if still running
// when the object goes.
class InstallerProcess {
public:
    // `program`: the installer's path; empty for the one beside the test.
    InstallerProcess(const std::wstring& arguments, const std::map<std::wstring, std::wstring>& environment,
                     const std::wstring& program = L"");
    ~InstallerProcess();
    InstallerProcess(const InstallerProcess&) = delete;
    InstallerProcess& operator=(const InstallerProcess&) = delete;

    DWORD Id() const { return m_id; }
    bool Running() const { return WaitForSingleObject(m_process, 0) == WAIT_TIMEOUT; }

    // Waits for the end (two minutes at most) and gives the exit code (99 when it hangs); while
    // waiting, counts the top-level windows the installer owns.
    DWORD Wait();
    int WindowsSeen() const { return m_windowsSeen; }

    // A top-level window of this process with the class (and title, when given); waits up to a minute.
    HWND WaitForWindow(const wchar_t* className, const wchar_t* title = nullptr) const;

private:
    static BOOL CALLBACK CountOwnWindow(HWND window, LPARAM self);

    HANDLE m_process = nullptr;
    DWORD m_id = 0;
    int m_windowsSeen = 0;
};

// Wine waits seconds for a window manager to withdraw each window that is hidden or destroyed; the
// test display has none. Leaves the windows of the program of that file name unmanaged (a setting of
// the test's Wine prefix; a program reads it when it first draws). Does nothing on Windows.
void LeaveWindowsUnmanaged(const std::wstring& programFileName);
