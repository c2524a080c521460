#pragma once

#include "Utils/UIString.h"

#include <map>

namespace SkinUI {

// Ordered map from a case-sensitive string key to an untyped pointer; values are not owned.
class CUIStringPtrMap {
public:
    using Storage = std::map<CUIString, void*, CUIStringLess>;
    using Iterator = Storage::const_iterator;

    void* Find(const wchar_t* key) const;
    bool Set(const wchar_t* key, void* value);
    void* Exchange(const wchar_t* key, void* value);
    bool Remove(const wchar_t* key);
    void RemoveAll() { m_entries.clear(); }
    int GetSize() const { return static_cast<int>(m_entries.size()); }
    Iterator Begin() const { return m_entries.begin(); }
    Iterator End() const { return m_entries.end(); }

private:
    Storage m_entries;
};

}  // namespace SkinUI
