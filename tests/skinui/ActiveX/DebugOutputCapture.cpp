#include "DebugOutputCapture.h"

#include <algorithm>
#include <chrono>
#include <cstring>

namespace SkinUI::Testing {

namespace {

struct DebugBuffer {
    DWORD processId;
    char text[4096 - sizeof(DWORD)];
};

}  // namespace

DebugOutputCapture::DebugOutputCapture()
{
    m_mutex = ::CreateMutexW(nullptr, FALSE, L"DBWinMutex");
    m_mapping = ::CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(DebugBuffer),
                                     L"DBWIN_BUFFER");
    m_bufferReady = ::CreateEventW(nullptr, FALSE, TRUE, L"DBWIN_BUFFER_READY");
    m_dataReady = ::CreateEventW(nullptr, FALSE, FALSE, L"DBWIN_DATA_READY");
    m_stop = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (!m_mutex || !m_mapping || !m_bufferReady || !m_dataReady || !m_stop) return;
    // The names are shared by every process of the session: an event left by another process's writer
    // may exist already, in any state. The buffer is free now.
    ::SetEvent(m_bufferReady);
    m_buffer = static_cast<const char*>(::MapViewOfFile(m_mapping, FILE_MAP_READ, 0, 0, sizeof(DebugBuffer)));
    if (m_buffer) m_thread = std::thread([this] { Listen(); });
}

DebugOutputCapture::~DebugOutputCapture()
{
    if (m_stop) ::SetEvent(m_stop);
    if (m_thread.joinable()) m_thread.join();
    if (m_buffer) ::UnmapViewOfFile(m_buffer);
    for (HANDLE handle : {m_stop, m_dataReady, m_bufferReady, m_mapping, m_mutex})
        if (handle) ::CloseHandle(handle);
}

std::vector<std::string> DebugOutputCapture::Lines() const
{
    std::lock_guard<std::mutex> hold(m_lock);
    return m_lines;
}

bool DebugOutputCapture::WaitForLineWith(const std::string& text)
{
    std::unique_lock<std::mutex> hold(m_lock);
    return m_arrived.wait_for(hold, std::chrono::seconds(10), [&] {
        return std::any_of(m_lines.begin(), m_lines.end(),
                           [&](const std::string& line) { return line.find(text) != std::string::npos; });
    });
}

void DebugOutputCapture::Listen()
{
    const HANDLE waits[] = {m_stop, m_dataReady};
    while (::WaitForMultipleObjects(2, waits, FALSE, INFINITE) == WAIT_OBJECT_0 + 1) {
        const auto* record = reinterpret_cast<const DebugBuffer*>(m_buffer);
        if (record->processId == ::GetCurrentProcessId()) {
            std::lock_guard<std::mutex> hold(m_lock);
            m_lines.emplace_back(record->text, strnlen(record->text, sizeof(record->text)));
            m_arrived.notify_all();
        }
        ::SetEvent(m_bufferReady);
    }
}

}  // namespace SkinUI::Testing
