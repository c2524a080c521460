#pragma once

#include <windows.h>

namespace SkinUI {

class CLockGuard {
public:
    explicit CLockGuard(CRITICAL_SECTION* section) : m_section(section) { ::EnterCriticalSection(m_section); }
    ~CLockGuard() { ::LeaveCriticalSection(m_section); }
    CLockGuard(const CLockGuard&) = delete;
    CLockGuard& operator=(const CLockGuard&) = delete;

private:
    CRITICAL_SECTION* m_section;
};

}  // namespace SkinUI
