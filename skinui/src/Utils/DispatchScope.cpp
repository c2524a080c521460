#include "Utils/DispatchScope.h"

namespace SkinUI {

int CDispatchScope::s_depth = 0;
CDispatchScope::UnwoundHook CDispatchScope::s_unwound = nullptr;

void CDispatchScope::Leave()
{
    if (--s_depth == 0 && s_unwound) s_unwound();
}

}  // namespace SkinUI
