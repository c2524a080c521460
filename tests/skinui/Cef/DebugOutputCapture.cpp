#include "DebugOutputCapture.h"

#include <windows.h>

#include <mutex>

namespace CefTest {
namespace {

std::mutex& CaptureLock() {
    static std::mutex lock;
    return lock;
}

std::vector<std::string>& Captured() {
    static std::vector<std::string> lines;
    return lines;
}

// Debugger output travels as an exception the system handles itself when no debugger listens. The
// wide form (where the system raises one) is followed by the narrow one, so only that is counted.
LONG CALLBACK OnException(EXCEPTION_POINTERS* pointers) {
    const EXCEPTION_RECORD* record = pointers->ExceptionRecord;
    if (record->ExceptionCode == DBG_PRINTEXCEPTION_C && record->NumberParameters >= 2 &&
        record->ExceptionInformation[1]) {
        std::lock_guard<std::mutex> guard(CaptureLock());
        Captured().emplace_back(reinterpret_cast<const char*>(record->ExceptionInformation[1]));
    }
    return EXCEPTION_CONTINUE_SEARCH;
}

// Installed before main, so nothing the program writes is missed.
[[maybe_unused]] const PVOID g_handler = ::AddVectoredExceptionHandler(1, &OnException);

}  // namespace

std::vector<std::string> DebugOutputCapture::Lines() {
    std::lock_guard<std::mutex> guard(CaptureLock());
    return Captured();
}

std::vector<std::string> DebugOutputCapture::LinesWith(const std::string& text) {
    std::vector<std::string> found;
    for (const std::string& line : Lines())
        if (line.find(text) != std::string::npos) found.push_back(line);
    return found;
}

}  // namespace CefTest
