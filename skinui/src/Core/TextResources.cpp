#include "Core/TextResources.h"

namespace SkinUI {
namespace {
CTextResources* g_textResources = nullptr;
}

CTextResources* CTextResources::GetInstance()
{
    if (!g_textResources) g_textResources = new CTextResources();
    return g_textResources;
}

void CTextResources::Release()
{
    delete g_textResources;
    g_textResources = nullptr;
}

CTextResources::~CTextResources() { Reset(); }

void CTextResources::DeleteValues(CUIStringPtrMap& map)
{
    for (auto it = map.Begin(); it != map.End(); ++it) delete static_cast<CUIString*>(it->second);
    map.RemoveAll();
}

void CTextResources::Reset()
{
    DeleteValues(m_texts);
    DeleteValues(m_fileAliases);
    DeleteValues(m_skinAliases);
}

void CTextResources::GetText(CUIString& text, const wchar_t* id, const wchar_t* type)
{
    text.Empty();
    if (!id) return;
    if (const auto* cached = static_cast<const CUIString*>(m_texts.Find(id))) {
        text = *cached;
        return;
    }
    if (!m_callback) {
        text = id;
        return;
    }
    auto* answer = new CUIString(m_callback->QueryControlText(id, type));
    m_texts.Set(id, answer);
    text = *answer;
}

const CUIString* CTextResources::GetFileAlias(const wchar_t* name) const
{
    return static_cast<const CUIString*>(m_fileAliases.Find(name));
}

const CUIString* CTextResources::GetSkinAlias(const wchar_t* name) const
{
    return static_cast<const CUIString*>(m_skinAliases.Find(name));
}

}  // namespace SkinUI
