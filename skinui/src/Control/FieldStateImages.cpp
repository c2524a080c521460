#include "Control/FieldStateImages.h"

#include "Core/ControlUI.h"

#include <cwchar>

namespace SkinUI {

bool CFieldStateImages::SetAttribute(const wchar_t* name, const wchar_t* value)
{
    CUIString* field = nullptr;
    if (_wcsicmp(name, L"normalimage") == 0) field = &m_normal;
    else if (_wcsicmp(name, L"hotimage") == 0) field = &m_hot;
    else if (_wcsicmp(name, L"focusedimage") == 0) field = &m_focused;
    else if (_wcsicmp(name, L"disabledimage") == 0) field = &m_disabled;
    if (!field) return false;
    *field = value;
    return true;
}

void CFieldStateImages::Paint(CControlUI& control, HDC hdc, UINT& state) const
{
    if (control.IsFocused()) state |= kFocused;
    else state &= ~kFocused;
    if (!control.IsEnabled()) state |= kDisabled;
    else state &= ~kDisabled;
    const CUIString* chosen = nullptr;
    if (state & kDisabled) chosen = &m_disabled;
    else if (state & kFocused) chosen = &m_focused;
    else if (state & kHot) chosen = &m_hot;
    if (chosen && !chosen->IsEmpty() && control.DrawImage(hdc, *chosen)) return;
    if (!m_normal.IsEmpty()) control.DrawImage(hdc, m_normal);
}

}  // namespace SkinUI
