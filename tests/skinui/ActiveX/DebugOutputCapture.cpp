#include "DebugOutputCapture.h"

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>

namespace SkinUI::Testing {

namespace {

struct CapturedOutput {
    std::mutex lock;
    std::condition_variable arrived;
    std::vector<std::string> lines;
};

CapturedOutput& Output()
{
    static CapturedOutput output;
    return output;
}

// OutputDebugStringW raises its wide form and then the narrow one; only the narrow one is kept.
LONG CALLBACK OnDebugOutput(EXCEPTION_POINTERS* pointers)
{
    const EXCEPTION_RECORD* record = pointers->ExceptionRecord;
    if (record->ExceptionCode == DBG_PRINTEXCEPTION_C && record->NumberParameters >= 2 &&
        record->ExceptionInformation[1]) {
        CapturedOutput& output = Output();
        std::lock_guard<std::mutex> hold(output.lock);
        output.lines.emplace_back(reinterpret_cast<const char*>(record->ExceptionInformation[1]));
        output.arrived.notify_all();
    }
    return EXCEPTION_CONTINUE_SEARCH;
}

}  // namespace

DebugOutputCapture::DebugOutputCapture()
{
    static const PVOID handler = ::AddVectoredExceptionHandler(1, &OnDebugOutput);
    m_listening = handler != nullptr;
    CapturedOutput& output = Output();
    std::lock_guard<std::mutex> hold(output.lock);
    m_first = output.lines.size();
}

std::vector<std::string> DebugOutputCapture::Lines() const
{
    CapturedOutput& output = Output();
    std::lock_guard<std::mutex> hold(output.lock);
    return {output.lines.begin() + static_cast<std::ptrdiff_t>(m_first), output.lines.end()};
}

bool DebugOutputCapture::WaitForLineWith(const std::string& text)
{
    CapturedOutput& output = Output();
    std::unique_lock<std::mutex> hold(output.lock);
    return output.arrived.wait_for(hold, std::chrono::seconds(10), [&] {
        return std::any_of(output.lines.begin() + static_cast<std::ptrdiff_t>(m_first), output.lines.end(),
                           [&](const std::string& line) { return line.find(text) != std::string::npos; });
    });
}

}  // namespace SkinUI::Testing
