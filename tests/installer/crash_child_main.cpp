// Program that crashes on purpose, guarded like the installer. Modes:
//   thread-fault      access violation in a second thread
//   two-threads       two threads fault at about the same time
//   <how>-in-<n>      n threads crash at the same moment, each by <how>: fault, terminate, abort, or
//                     raise (SIGABRT raised as the C runtime's own functions abort)
//   main-fault        access violation in the main thread
//   thread-throw      C++ exception escapes a thread (std::terminate)
//   terminate         std::terminate called in the main thread
//   caught-then-fault a catch-all writes the dump, then a thread faults: still one dump
//   abort             abort() in the main thread
//   unguarded-abort   abort() before the handlers are installed: the C runtime's own end (code 3)
// Every crash ends the process with kCrashExitCode.
#include "CrashDump.h"
#include "CrashGuard.h"

#include <windows.h>
#include <shellapi.h>

#include <csignal>
#include <cstdlib>
#include <exception>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr unsigned kCrashExitCode = 4;

void Fault()
{
    volatile int* nowhere = nullptr;
    *nowhere = 1;
}

[[noreturn]] void Terminate() { std::terminate(); }
[[noreturn]] void Abort() { std::abort(); }
// As the C runtime's own functions abort: through the signal.
void RaiseAbortSignal() { std::raise(SIGABRT); }

// All threads wait for one signal, then crash together.
void CrashInThreads(int count, void (*crash)())
{
    HANDLE go = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::vector<std::thread> threads;
    for (int i = 0; i < count; ++i) {
        threads.emplace_back([go, crash] {
            WaitForSingleObject(go, INFINITE);
            crash();
        });
    }
    SetEvent(go);
    for (std::thread& thread : threads)
        thread.join();
}

// "<how>-in-<n>": false when the mode is not of that form.
bool CrashInThreads(const std::wstring& mode)
{
    const struct {
        const wchar_t* name;
        void (*crash)();
    } kinds[] = {{L"fault", Fault}, {L"terminate", Terminate}, {L"abort", Abort}, {L"raise", RaiseAbortSignal}};
    for (const auto& kind : kinds) {
        const std::wstring prefix = std::wstring(kind.name) + L"-in-";
        if (mode.compare(0, prefix.size(), prefix) == 0) {
            CrashInThreads(std::stoi(mode.substr(prefix.size())), kind.crash);
            return true;
        }
    }
    return false;
}

} // namespace

int main()
{
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    const std::wstring mode = argv && argc > 1 ? argv[1] : L"";
    if (mode == L"unguarded-abort")
        std::abort();
    InstallCrashDumpHandlers(L"VexaOnlineInstaller", kCrashExitCode);
    if (mode == L"thread-fault") {
        std::thread(Fault).join();
    } else if (mode == L"two-threads") {
        CrashInThreads(2, Fault);
    } else if (CrashInThreads(mode)) {
    } else if (mode == L"main-fault") {
        Fault();
    } else if (mode == L"thread-throw") {
        std::thread([] { throw std::runtime_error("escaped"); }).join();
    } else if (mode == L"terminate") {
        std::terminate();
    } else if (mode == L"caught-then-fault") {
        try {
            throw std::runtime_error("caught at the boundary");
        } catch (...) {
            CreateDumpFileHere(CrashDumpName(), kCppExceptionDumpCode);
        }
        std::thread(Fault).join();
    } else if (mode == L"abort") {
        std::abort();
    }
    return 0;
}
