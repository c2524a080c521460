#pragma once

#include <windows.h>

#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace SkinUI::Testing {

// Listens as a debug-output monitor does (the DBWIN buffer protocol) and keeps the lines this process
// writes with OutputDebugString while it lives.
class DebugOutputCapture {
public:
    DebugOutputCapture();
    ~DebugOutputCapture();
    DebugOutputCapture(const DebugOutputCapture&) = delete;
    DebugOutputCapture& operator=(const DebugOutputCapture&) = delete;

    bool IsListening() const { return m_buffer != nullptr; }
    std::vector<std::string> Lines() const;
    // Waits (up to ten seconds) for a line holding the text; the monitor copies lines on its own thread.
    bool WaitForLineWith(const std::string& text);

private:
    void Listen();

    HANDLE m_mutex = nullptr;
    HANDLE m_mapping = nullptr;
    HANDLE m_bufferReady = nullptr;
    HANDLE m_dataReady = nullptr;
    HANDLE m_stop = nullptr;
    const char* m_buffer = nullptr;
    mutable std::mutex m_lock;
    std::condition_variable m_arrived;
    std::vector<std::string> m_lines;
    std::thread m_thread;
};

}  // namespace SkinUI::Testing
