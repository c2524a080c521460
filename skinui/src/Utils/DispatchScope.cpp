#include "Utils/DispatchScope.h"

#include <algorithm>

namespace SkinUI {

CDispatchScope::UnwoundHook CDispatchScope::s_unwound = nullptr;

std::vector<const void*>& CDispatchScope::Running()
{
    static std::vector<const void*> running;
    return running;
}

void CDispatchScope::Enter(const void* window) { Running().push_back(window); }

void CDispatchScope::Leave()
{
    // Scopes end in the reverse order of their start.
    Running().pop_back();
    if (Running().empty() && s_unwound) s_unwound();
}

bool CDispatchScope::IsActiveFor(const void* window)
{
    const auto& running = Running();
    return window && std::find(running.begin(), running.end(), window) != running.end();
}

}  // namespace SkinUI
