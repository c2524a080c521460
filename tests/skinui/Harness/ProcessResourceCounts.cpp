#include "ProcessResourceCounts.h"

#include <windows.h>
#include <winternl.h>

#include <vector>

namespace SkinUI::Testing {
namespace {

template <class Function>
Function NtdllFunction(const char* name)
{
    return reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), name)));
}

bool RunsUnderWine()
{
    static const bool wine = NtdllFunction<void*>("wine_get_version") != nullptr;
    return wine;
}

// Wine's per-process GDI handle table (the PEB's GdiSharedHandleTable): a live object has a type.
struct WineGdiHandleEntry {
    UINT64 object;
    ULONG owner;
    USHORT unique;
    UCHAR type;
    UCHAR flags;
    UINT64 userPointer;
};
static_assert(sizeof(WineGdiHandleEntry) == 24, "layout of Wine's GDI handle table");
constexpr size_t kWineGdiHandleEntries = 0x10000;

// Wine's own regions are left out: it keeps one per cached or owned window DC (what its last window
// showed) and gives them back when the DC is next used, which may be in a later test.
constexpr UCHAR kWineRegionType = 4;

unsigned CountWineGdiObjects()
{
    using QueryInformationProcess = NTSTATUS(NTAPI*)(HANDLE, PROCESSINFOCLASS, PVOID, ULONG, PULONG);
    static const auto query = NtdllFunction<QueryInformationProcess>("NtQueryInformationProcess");
    PROCESS_BASIC_INFORMATION process = {};
    if (query(::GetCurrentProcess(), ProcessBasicInformation, &process, sizeof(process), nullptr) != 0) return 0;
    const auto* peb = reinterpret_cast<const char*>(process.PebBaseAddress);
    const auto* table = *reinterpret_cast<const WineGdiHandleEntry* const*>(peb + 0x94);
    if (!table) return 0;
    unsigned count = 0;
    for (size_t i = 0; i < kWineGdiHandleEntries; ++i)
        if (table[i].type && table[i].type != kWineRegionType) ++count;
    return count;
}

// Wine numbers a process's handles from 4 in steps of 4 and reuses the lowest free value, so probing
// up to a long run of free values finds them all. (The system-wide handle list is not asked: under Wine that request
// has been seen to stall the whole prefix while other processes start and end.)
unsigned CountWineHandles()
{
    constexpr int kFreeValuesAfterTheLast = 256;
    unsigned count = 0;
    int freeInARow = 0;
    for (UINT_PTR value = 4; freeInARow < kFreeValuesAfterTheLast; value += 4) {
        DWORD flags = 0;
        if (::GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags)) {
            ++count;
            freeInARow = 0;
        } else {
            ++freeInARow;
        }
    }
    return count;
}

BOOL CALLBACK CountOwnWindow(HWND hwnd, LPARAM counter)
{
    DWORD pid = 0;
    ::GetWindowThreadProcessId(hwnd, &pid);
    if (pid == ::GetCurrentProcessId()) ++*reinterpret_cast<unsigned*>(counter);
    return TRUE;
}

BOOL CALLBACK CountOwnWindowAndChildren(HWND hwnd, LPARAM counter)
{
    DWORD pid = 0;
    ::GetWindowThreadProcessId(hwnd, &pid);
    if (pid != ::GetCurrentProcessId()) return TRUE;
    ++*reinterpret_cast<unsigned*>(counter);
    ::EnumChildWindows(hwnd, &CountOwnWindow, counter);  // enumerates every descendant
    return TRUE;
}

// Wine keeps USER objects in its server; the process's windows (top-level, message-only and their
// descendants) are what the framework makes of them.
unsigned CountWineWindows()
{
    unsigned count = 0;
    ::EnumWindows(&CountOwnWindowAndChildren, reinterpret_cast<LPARAM>(&count));
    for (HWND hwnd = nullptr; (hwnd = ::FindWindowExW(HWND_MESSAGE, hwnd, nullptr, nullptr)) != nullptr;)
        CountOwnWindowAndChildren(hwnd, reinterpret_cast<LPARAM>(&count));
    return count;
}

}  // namespace

ProcessResourceCounts ProcessResourceCounts::Now()
{
    ProcessResourceCounts counts;
    if (RunsUnderWine()) {
        counts.gdiObjects = CountWineGdiObjects();
        counts.userObjects = CountWineWindows();
        counts.handles = CountWineHandles();
    } else {
        counts.gdiObjects = ::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS);
        counts.userObjects = ::GetGuiResources(::GetCurrentProcess(), GR_USEROBJECTS);
        DWORD handles = 0;
        ::GetProcessHandleCount(::GetCurrentProcess(), &handles);
        counts.handles = handles;
    }
    return counts;
}

bool ProcessResourceCounts::NotAbove(const ProcessResourceCounts& level) const
{
    return gdiObjects <= level.gdiObjects && userObjects <= level.userObjects && handles <= level.handles;
}

std::string ProcessResourceCounts::Describe() const
{
    return std::to_string(gdiObjects) + " GDI objects, " + std::to_string(userObjects) + " USER objects, " +
           std::to_string(handles) + " handles";
}

}  // namespace SkinUI::Testing
