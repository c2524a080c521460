#include "Utils/StringPtrMap.h"

namespace SkinUI {

void* CUIStringPtrMap::Find(const wchar_t* key) const
{
    const auto it = m_entries.find(CUIString(key));
    return it == m_entries.end() ? nullptr : it->second;
}

bool CUIStringPtrMap::Set(const wchar_t* key, void* value)
{
    m_entries[CUIString(key)] = value;
    return true;
}

void* CUIStringPtrMap::Exchange(const wchar_t* key, void* value)
{
    void*& slot = m_entries[CUIString(key)];
    void* previous = slot;
    slot = value;
    return previous;
}

bool CUIStringPtrMap::Remove(const wchar_t* key) { return m_entries.erase(CUIString(key)) > 0; }

}  // namespace SkinUI
