#include "Utils/Delegate.h"

#include "Utils/DispatchScope.h"

#include <algorithm>

namespace SkinUI {

CEventSource::~CEventSource() { *m_alive = false; }

void CEventSource::operator+=(const CDelegateBase& delegate)
{
    for (const auto& existing : m_delegates)
        if (existing->IsSameAs(delegate)) return;
    m_delegates.emplace_back(delegate.Copy());
}

void CEventSource::operator-=(const CDelegateBase& delegate)
{
    m_delegates.erase(std::remove_if(m_delegates.begin(), m_delegates.end(),
                                     [&](const auto& existing) { return existing->IsSameAs(delegate); }),
                      m_delegates.end());
}

bool CEventSource::Contains(const CDelegateBase* delegate) const
{
    return std::any_of(m_delegates.begin(), m_delegates.end(),
                       [&](const auto& existing) { return existing.get() == delegate; });
}

bool CEventSource::operator()(void* param)
{
    const CDispatchScope dispatch;
    const std::shared_ptr<bool> alive = m_alive;
    const auto snapshot = m_delegates;
    bool allTrue = true;
    for (const auto& delegate : snapshot) {
        if (!*alive) break;
        if (!Contains(delegate.get())) continue;
        if (!delegate->Invoke(param)) allTrue = false;
    }
    return allTrue;
}

}  // namespace SkinUI
