#include "Utils/DispatchScope.h"

#include <algorithm>
#include <iterator>

namespace SkinUI {

CDispatchScope::UnwoundHook CDispatchScope::s_unwound = nullptr;
CDispatchScope::WindowUnwoundHook CDispatchScope::s_windowUnwound = nullptr;

std::vector<const void*>& CDispatchScope::Running()
{
    static std::vector<const void*> running;
    return running;
}

void CDispatchScope::Enter(const void* window) { Running().push_back(window); }

void CDispatchScope::Leave(const void* window)
{
    auto& running = Running();
    const auto latest = std::find(running.rbegin(), running.rend(), window);
    if (latest == running.rend()) return;
    running.erase(std::next(latest).base());
    if (window && s_windowUnwound && !IsActiveFor(window)) s_windowUnwound(window);
    if (Running().empty() && s_unwound) s_unwound();
}

bool CDispatchScope::IsActiveFor(const void* window)
{
    const auto& running = Running();
    return window && std::find(running.begin(), running.end(), window) != running.end();
}

}  // namespace SkinUI
