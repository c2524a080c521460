#include "Core/ControlUI.h"

#include "Core/AttributeValues.h"
#include "Core/ImageDrawInfo.h"
#include "Core/WindowUIManager.h"
#include "Utils/ProcessUtils.h"

#include <algorithm>
#include <cwchar>
#include <vector>

namespace SkinUI {
namespace {

// Styles may name other styles. A skin whose styles name themselves, directly or through each other,
// or that nest them without end would expand for ever: the styles being expanded on this thread are
// known, and one expansion (with everything it names) applies a bounded number of styles.
constexpr int kStyleBudget = 1000;

// One style being expanded, in the frame that expands it, naming the one it is expanded in. Plain pointers:
// a thread-local object with a destructor breaks threads that the C++ runtime did not start.
struct StyleInUse {
    const wchar_t* style;
    const StyleInUse* outer;
};
thread_local const StyleInUse* t_innermostStyle = nullptr;
thread_local int t_stylesApplied = 0;

bool IsStyleInUse(const wchar_t* style)
{
    for (const StyleInUse* used = t_innermostStyle; used; used = used->outer)
        if (used->style == style) return true;
    return false;
}

void ExpandStyle(CControlUI* control, const wchar_t* name, const wchar_t* style)
{
    if (!t_innermostStyle) t_stylesApplied = 0;
    if (IsStyleInUse(style)) {
        DebugOutputFormat(L"SkinUI: Warning: Style \"%ls\" names itself.\n", name);
        return;
    }
    if (++t_stylesApplied > kStyleBudget) {
        if (t_stylesApplied == kStyleBudget + 1)
            DebugOutputFormat(L"SkinUI: Warning: Style \"%ls\" expands to too many styles.\n", name);
        return;
    }
    const StyleInUse inUse{style, t_innermostStyle};
    t_innermostStyle = &inUse;
    control->ApplyAttributeList(style);
    t_innermostStyle = inUse.outer;
}

struct CursorName {
    const wchar_t* name;
    WORD id;
};

constexpr CursorName kCursors[] = {
    {L"arrow", 32512},    {L"ibeam", 32513},    {L"wait", 32514},     {L"cross", 32515}, {L"uparrow", 32516},
    {L"size", 32640},     {L"icon", 32641},     {L"sizenwse", 32642}, {L"sizenesw", 32643},
    {L"sizewe", 32644},   {L"sizens", 32645},   {L"sizeall", 32646},  {L"no", 32648},    {L"hand", 32649},
};

UINT ApplyAlignToken(UINT bits, const CUIString& token)
{
    if (token.CompareNoCase(L"null") == 0) return 0;
    if (token.CompareNoCase(L"left") == 0) return bits & ~3u;
    if (token.CompareNoCase(L"center") == 0) return (bits | 1u) & ~2u;
    if (token.CompareNoCase(L"right") == 0) return (bits | 2u) & ~1u;
    if (token.CompareNoCase(L"top") == 0) return bits & ~12u;
    if (token.CompareNoCase(L"vcenter") == 0) return (bits | 4u) & ~8u;
    if (token.CompareNoCase(L"bottom") == 0) return (bits | 8u) & ~4u;
    return bits;
}

UINT ParseFloatAlign(UINT bits, const wchar_t* value)
{
    const wchar_t* p = value;
    while (*p) {
        while (*p == L',' || *p == L' ') ++p;
        const wchar_t* start = p;
        while (*p && *p != L',' && *p != L' ') ++p;
        if (p > start) bits = ApplyAlignToken(bits, CUIString(start, static_cast<int>(p - start)));
    }
    return bits;
}

// Calls apply(name, value) for each name="value" pair; stops at the first malformed pair.
template <class Apply>
void ForEachAttribute(const wchar_t* list, Apply apply)
{
    CUIString text(list);
    text.Replace(L"&quot;", L"\"");
    const wchar_t* p = text.GetData();
    while (*p) {
        const wchar_t* nameStart = p;
        while (*p && *p != L'=') p = ::CharNextW(p);
        if (*p != L'=') return;
        const CUIString name(nameStart, static_cast<int>(p - nameStart));
        ++p;
        if (*p != L'"') return;
        ++p;
        const wchar_t* valueStart = p;
        while (*p && *p != L'"') p = ::CharNextW(p);
        if (*p != L'"') return;
        const CUIString value(valueStart, static_cast<int>(p - valueStart));
        ++p;
        apply(name, value);
        if (!*p) return;
        if (*p != L' ' && *p != L',') return;
        ++p;
    }
}

}  // namespace

void CControlUI::ApplyAttributeList(const wchar_t* list)
{
    if (!list) return;
    if (m_manager) {
        if (const wchar_t* style = m_manager->GetStyle(list)) {
            ExpandStyle(this, list, style);
            return;
        }
    }
    ForEachAttribute(list, [this](const CUIString& name, const CUIString& value) { SetAttribute(name, value); });
}

void CControlUI::SetAttribute(const wchar_t* name, const wchar_t* value)
{
    if (!name || !value) return;
    if (m_manager) {
        if (const wchar_t* style = m_manager->GetStyle(value)) {
            ExpandStyle(this, value, style);
            return;
        }
    }
    if (_wcsicmp(name, L"pos") == 0) {
        const RECT rc = ParseRectValue(value);
        SetFixedXY(SIZE{rc.left >= 0 ? rc.left : rc.right, rc.top >= 0 ? rc.top : rc.bottom});
        SetFixedWidth(rc.right - rc.left);
        SetFixedHeight(rc.bottom - rc.top);
    } else if (_wcsicmp(name, L"float") == 0) {
        if (!wcschr(value, L',')) {
            SetFloat(ParseBool(value));
        } else {
            double parts[4] = {0, 0, 0, 0};
            const wchar_t* p = value;
            for (double& part : parts) {
                wchar_t* end = nullptr;
                part = wcstod(p, &end);
                p = end;
                if (*p) ++p;
            }
            SetFloatPercent(parts[0], parts[1], parts[2], parts[3]);
            SetFloat(true);
        }
    } else if (_wcsicmp(name, L"floatalign") == 0) {
        SetFloatAlign(ParseFloatAlign(m_floatAlign, value));
    } else if (_wcsicmp(name, L"padding") == 0) {
        SetPadding(ParseRectValue(value));
    } else if (_wcsicmp(name, L"gradient") == 0) {
        if (m_gradient == value) return;
        m_gradient = value;
        Invalidate();
    } else if (_wcsicmp(name, L"bkcolor") == 0 || _wcsicmp(name, L"bkcolor1") == 0) {
        SetColorAttribute(m_bkColor, ParseColorValue(value, true));
    } else if (_wcsicmp(name, L"bkcolor2") == 0) {
        SetColorAttribute(m_bkColor2, ParseColorValue(value, true));
    } else if (_wcsicmp(name, L"bkcolor3") == 0) {
        SetColorAttribute(m_bkColor3, ParseColorValue(value, true));
    } else if (_wcsicmp(name, L"forecolor") == 0) {
        SetColorAttribute(m_foreColor, ParseColorValue(value, true));
    } else if (_wcsicmp(name, L"bordercolor") == 0) {
        SetColorAttribute(m_borderColor, ParseColorValue(value, false));
    } else if (_wcsicmp(name, L"focusbordercolor") == 0) {
        SetColorAttribute(m_focusBorderColor, ParseColorValue(value, false));
    } else if (_wcsicmp(name, L"colorhsl") == 0) {
        if (m_colorHsl == ParseBool(value)) return;
        m_colorHsl = ParseBool(value);
        Invalidate();
    } else if (_wcsicmp(name, L"bordersize") == 0) {
        if (!wcschr(value, L',')) {
            const int size = _wtoi(value);
            SetBorderSize(RECT{size, size, size, size});
        } else {
            SetBorderSize(ParseRectValue(value));
        }
    } else if (_wcsicmp(name, L"borderstyle") == 0) {
        m_borderStyle = _wtoi(value);
        Invalidate();
    } else if (_wcsicmp(name, L"borderround") == 0) {
        wchar_t* end = nullptr;
        m_borderRound.cx = wcstol(value, &end, 10);
        m_borderRound.cy = *end ? wcstol(end + 1, nullptr, 10) : 0;
        Invalidate();
    } else if (_wcsicmp(name, L"bkimage") == 0) {
        SetBkImage(value);
    } else if (_wcsicmp(name, L"foreimage") == 0) {
        if (m_foreImage == value) return;
        m_foreImage = value;
        Invalidate();
    } else if (_wcsicmp(name, L"width") == 0) {
        SetFixedWidth(_wtoi(value));
    } else if (_wcsicmp(name, L"height") == 0) {
        SetFixedHeight(_wtoi(value));
    } else if (_wcsicmp(name, L"minwidth") == 0) {
        SetMinWidth(_wtoi(value));
    } else if (_wcsicmp(name, L"minheight") == 0) {
        SetMinHeight(_wtoi(value));
    } else if (_wcsicmp(name, L"maxwidth") == 0) {
        SetMaxWidth(_wtoi(value));
    } else if (_wcsicmp(name, L"maxheight") == 0) {
        SetMaxHeight(_wtoi(value));
    } else if (_wcsicmp(name, L"name") == 0) {
        SetName(value);
    } else if (_wcsicmp(name, L"text") == 0) {
        SetText(value);
    } else if (_wcsicmp(name, L"tooltip") == 0) {
        SetToolTip(value);
    } else if (_wcsicmp(name, L"userdata") == 0) {
        SetUserData(value);
    } else if (_wcsicmp(name, L"shortcut") == 0) {
        SetShortcut(value[0]);
    } else if (_wcsicmp(name, L"drag") == 0) {
        SetDragEnabled(ParseBool(value));
    } else if (_wcsicmp(name, L"drop") == 0) {
        SetDropEnabled(ParseBool(value));
    } else if (_wcsicmp(name, L"resourcetext") == 0) {
        SetResourceText(ParseBool(value));
    } else if (_wcsicmp(name, L"enabled") == 0) {
        SetEnabled(ParseBool(value));
    } else if (_wcsicmp(name, L"mouse") == 0) {
        SetMouseEnabled(ParseBool(value));
    } else if (_wcsicmp(name, L"keyboard") == 0) {
        SetKeyboardEnabled(ParseBool(value));
    } else if (_wcsicmp(name, L"visible") == 0) {
        SetVisible(ParseBool(value));
    } else if (_wcsicmp(name, L"menu") == 0) {
        SetContextMenuUsed(ParseBool(value));
    } else if (_wcsicmp(name, L"cursor") == 0) {
        for (const CursorName& cursor : kCursors)
            if (_wcsicmp(value, cursor.name) == 0) SetCursor(cursor.id);
    } else if (_wcsicmp(name, L"virtualwnd") == 0) {
        SetVirtualWnd(value);
    } else if (_wcsicmp(name, L"innerstyle") == 0) {
        ForEachAttribute(value, [this](const CUIString& key, const CUIString& item) { SetAttribute(key, item); });
    } else if (*name && *value && !m_customAttributes.Find(name)) {
        m_customAttributes.Set(name, new CUIString(value));
    }
}

}  // namespace SkinUI
