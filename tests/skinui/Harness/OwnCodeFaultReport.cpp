// A fault in the program's own code is reported and ends the program, even where the system would
// swallow it: an access violation raised inside a window procedure (a layout or a paint) can vanish
// into the exception handling around the call, and the test that caused it would pass.
#include <windows.h>

#include <cstdio>

namespace {

bool IsInOwnImage(const void* address)
{
    const auto* base = reinterpret_cast<const BYTE*>(::GetModuleHandleW(nullptr));
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const auto* at = static_cast<const BYTE*>(address);
    return at >= base && at < base + nt->OptionalHeader.SizeOfImage;
}

LONG CALLBACK ReportOwnCodeFault(EXCEPTION_POINTERS* info)
{
    const EXCEPTION_RECORD* record = info->ExceptionRecord;
    if (record->ExceptionCode != EXCEPTION_ACCESS_VIOLATION || !IsInOwnImage(record->ExceptionAddress))
        return EXCEPTION_CONTINUE_SEARCH;
    const bool write = record->NumberParameters > 0 && record->ExceptionInformation[0] == 1;
    const void* target =
        record->NumberParameters > 1 ? reinterpret_cast<void*>(record->ExceptionInformation[1]) : nullptr;
    std::fprintf(stderr, "window harness: access violation (%s of %p) in the program's own code at %p\n",
                 write ? "write" : "read", target, record->ExceptionAddress);
    std::fflush(stderr);
    ::TerminateProcess(::GetCurrentProcess(), 3);
    return EXCEPTION_CONTINUE_SEARCH;
}

const PVOID g_handler = ::AddVectoredExceptionHandler(1, &ReportOwnCodeFault);

}  // namespace
