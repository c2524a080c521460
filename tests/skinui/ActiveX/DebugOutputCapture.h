#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace SkinUI::Testing {

// Keeps the lines this process writes with OutputDebugString while the capture lives. It reads them
// inside the process, as the exception the system raises for each line, and never opens the
// session-wide monitor buffer: a monitor there would slow down or interleave with every other
// program of the Wine prefix that writes debugger output.
class DebugOutputCapture {
public:
    DebugOutputCapture();
    DebugOutputCapture(const DebugOutputCapture&) = delete;
    DebugOutputCapture& operator=(const DebugOutputCapture&) = delete;

    bool IsListening() const { return m_listening; }
    std::vector<std::string> Lines() const;
    // Waits (up to ten seconds) for a line holding the text.
    bool WaitForLineWith(const std::string& text);

private:
    bool m_listening = false;
    size_t m_first = 0;  // lines written before this capture began are not its own
};

}  // namespace SkinUI::Testing
