#pragma once

#include "Core/UIInterfaces.h"
#include "Utils/StringPtrMap.h"

namespace SkinUI {

// Process-wide texts by id, shown by controls flagged "resourcetext". UI thread only.
class CTextResources {
public:
    static CTextResources* GetInstance();
    static void Release();

    // The cached text of the id, else the callback's answer (then cached), else the id itself.
    void GetText(CUIString& text, const wchar_t* id, const wchar_t* type);
    void SetQueryCallback(IQueryControlText* callback) { m_callback = callback; }
    const CUIString* GetFileAlias(const wchar_t* name) const;
    const CUIString* GetSkinAlias(const wchar_t* name) const;
    void Reset();

    CTextResources(const CTextResources&) = delete;
    CTextResources& operator=(const CTextResources&) = delete;

private:
    CTextResources() = default;
    ~CTextResources();

    static void DeleteValues(CUIStringPtrMap& map);

    CUIStringPtrMap m_texts;
    CUIStringPtrMap m_fileAliases;
    CUIStringPtrMap m_skinAliases;
    IQueryControlText* m_callback = nullptr;
};

}  // namespace SkinUI
