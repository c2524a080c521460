#include "DebugOutputCapture.h"

#include "../ActiveX/DebugOutputCapture.h"

namespace CefTest {
namespace {

SkinUI::Testing::DebugOutputCapture& FromTheStart() {
    static SkinUI::Testing::DebugOutputCapture capture;
    return capture;
}

// Started before main, so nothing the program writes is missed.
[[maybe_unused]] const bool g_started = (FromTheStart(), true);

}  // namespace

std::vector<std::string> DebugOutputCapture::Lines() { return FromTheStart().Lines(); }

std::vector<std::string> DebugOutputCapture::LinesWith(const std::string& text) {
    std::vector<std::string> found;
    for (const std::string& line : Lines())
        if (line.find(text) != std::string::npos) found.push_back(line);
    return found;
}

}  // namespace CefTest
