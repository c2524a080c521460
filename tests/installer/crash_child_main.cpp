// Program that crashes on purpose, guarded like the installer. Modes:
//   thread-fault      access violation in a second thread
//   two-threads       two threads fault at about the same time
//   main-fault        access violation in the main thread
//   thread-throw      C++ exception escapes a thread (std::terminate)
//   terminate         std::terminate called in the main thread
//   caught-then-fault a catch-all writes the dump, then a thread faults: still one dump
//   abort             abort() in the main thread
// Every crash ends the process with kCrashExitCode.
#include "CrashDump.h"
#include "CrashGuard.h"

#include <windows.h>
#include <shellapi.h>

#include <cstdlib>
#include <exception>
#include <stdexcept>
#include <string>
#include <thread>

namespace {

constexpr unsigned kCrashExitCode = 4;

void Fault()
{
    volatile int* nowhere = nullptr;
    *nowhere = 1;
}

void FaultInTwoThreads()
{
    HANDLE go = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    auto crash = [go] {
        WaitForSingleObject(go, INFINITE);
        Fault();
    };
    std::thread first(crash);
    std::thread second(crash);
    SetEvent(go);
    first.join();
    second.join();
}

} // namespace

int main()
{
    InstallCrashDumpHandlers(L"VexaOnlineInstaller", kCrashExitCode);
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    const std::wstring mode = argv && argc > 1 ? argv[1] : L"";
    if (mode == L"thread-fault") {
        std::thread(Fault).join();
    } else if (mode == L"two-threads") {
        FaultInTwoThreads();
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
