#pragma once

#include <string>
#include <vector>

namespace CefTest {

// Collects what the process writes to the debugger output (OutputDebugString) from its start on.
class DebugOutputCapture {
public:
    static std::vector<std::string> Lines();
    // Lines containing |text|.
    static std::vector<std::string> LinesWith(const std::string& text);
};

}  // namespace CefTest
