#pragma once

#include "Utils/UIString.h"

#include <windows.h>

namespace SkinUI {

class CControlUI;

// The normal, hot, focused and disabled images of the text fields (edit box, hot key, rich edit) and the
// state bits they follow.
class CFieldStateImages {
public:
    static constexpr UINT kFocused = 1;
    static constexpr UINT kDisabled = 4;
    static constexpr UINT kHot = 8;

    // Stores the description when the name is "normalimage", "hotimage", "focusedimage" or "disabledimage";
    // false for any other name.
    bool SetAttribute(const wchar_t* name, const wchar_t* value);
    // Brings the focused and disabled bits of state up to date with the control, then draws the image of
    // the state (disabled before focused before hot), or the normal image when that one is empty or fails.
    void Paint(CControlUI& control, HDC hdc, UINT& state) const;

private:
    CUIString m_normal;
    CUIString m_hot;
    CUIString m_focused;
    CUIString m_disabled;
};

}  // namespace SkinUI
