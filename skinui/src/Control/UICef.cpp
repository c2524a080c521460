#include "Control/UICef.h"

#include "Control/UICefImpl.h"
#include "Core/AttributeValues.h"
#include "Core/Painter.h"

#include <cwchar>
#include <cwctype>

namespace SkinUI {
namespace {

// The window message a control input event stands for; 0 for events the browser does not take.
UINT WindowMessageOf(int eventType)
{
    switch (eventType) {
    case EVT_KEYDOWN: return WM_KEYDOWN;
    case EVT_KEYUP: return WM_KEYUP;
    case EVT_CHAR: return WM_CHAR;
    case EVT_SYSCHAR: return WM_SYSCHAR;
    case EVT_SYSKEYDOWN: return WM_SYSKEYDOWN;
    case EVT_SYSKEYUP: return WM_SYSKEYUP;
    case EVT_MOUSEMOVE: return WM_MOUSEMOVE;
    case EVT_MOUSELEAVE: return WM_MOUSELEAVE;
    case EVT_BUTTONDOWN: return WM_LBUTTONDOWN;
    case EVT_DBLCLICK: return WM_LBUTTONDOWN;  // the second press; the click count says it is a double
    case EVT_BUTTONUP: return WM_LBUTTONUP;
    case EVT_RBUTTONDOWN: return WM_RBUTTONDOWN;
    case EVT_RBUTTONUP: return WM_RBUTTONUP;
    case EVT_MBUTTONDOWN: return WM_MBUTTONDOWN;
    case EVT_MBUTTONUP: return WM_MBUTTONUP;
    case EVT_SCROLLWHEEL: return WM_MOUSEWHEEL;
    default: return 0;
    }
}

bool IsKeyMessage(UINT message) { return message >= WM_KEYDOWN && message <= WM_SYSCHAR; }

}  // namespace

CCefUI::CCefUI() : m_impl(new CCefUIImpl(this)) {}

CCefUI::~CCefUI() { delete m_impl; }

void* CCefUI::GetInterface(const wchar_t* name)
{
    if (_wcsicmp(name, L"Cef") == 0) return this;
    return CContainerUI::GetInterface(name);
}

void CCefUI::InitControl()
{
    if (!m_created) m_created = m_impl->CreateBrowser();
}

void CCefUI::SetManager(CWindowUIManager* manager, CControlUI* parent, bool runInit)
{
    const bool moved = manager != m_manager;
    // Initialisation may run application code, which may delete the control.
    const auto alive = WatchLifetime();
    CContainerUI::SetManager(manager, parent, runInit);
    if (moved && !alive.expired()) m_impl->FollowWindow();
}

void CCefUI::SetPos(RECT rc, bool invalidate)
{
    // The size event runs application code, which may delete the control.
    const auto alive = WatchLifetime();
    CContainerUI::SetPos(rc, invalidate);
    if (alive.expired()) return;
    if (!m_created) {
        m_created = m_impl->CreateBrowser();
        return;
    }
    m_impl->OnControlMoved();
}

// The browser is told what is seen: a parent hiding the control (a page not selected) hides it too, and
// its native window would otherwise cover what is shown there.
void CCefUI::FollowVisibility()
{
    const bool visible = IsVisible();
    // A creation that failed earlier (no window, no room, or refused by the engine) is tried again
    // when the control is shown.
    if (visible && !m_created) m_created = m_impl->CreateBrowser();
    m_impl->SetBrowserVisible(visible);
}

void CCefUI::SetVisible(bool visible)
{
    // Losing the focus notifies: the handler may have deleted the control.
    const auto alive = WatchLifetime();
    CContainerUI::SetVisible(visible);
    if (!alive.expired()) FollowVisibility();
}

void CCefUI::SetInternalVisible(bool visible)
{
    const auto alive = WatchLifetime();
    CContainerUI::SetInternalVisible(visible);
    if (!alive.expired()) FollowVisibility();
}

void CCefUI::HandleEvent(ControlEvent& event)
{
    if (event.Type == EVT_SETFOCUS || event.Type == EVT_KILLFOCUS) {
        m_impl->HandleFocus(event.Type == EVT_SETFOCUS);
    } else if (const UINT message = WindowMessageOf(event.Type)) {
        if (IsKeyMessage(message)) m_impl->HandleKeyMessage(message, event.wParam, event.lParam);
        else m_impl->HandleMouseMessage(message, event.wParam, event.lParam);
    }
    CContainerUI::HandleEvent(event);
}

void CCefUI::SetUrl(const wchar_t* url)
{
    m_url = url;
    m_impl->LoadUrl();
}

void CCefUI::SetAttribute(const wchar_t* name, const wchar_t* value)
{
    if (_wcsicmp(name, L"url") == 0) SetUrl(value);
    else if (_wcsicmp(name, L"transparent") == 0) m_impl->SetTransparent(ParseBool(value));
    else if (_wcsicmp(name, L"opengl") == 0) m_impl->SetOpenGL(ParseBool(value));
    else if (_wcsicmp(name, L"osr") == 0) m_impl->SetOffscreen(ParseBool(value));
    else if (_wcsicmp(name, L"drag") == 0) m_impl->SetDrag(ParseBool(value));
    else if (_wcsicmp(name, L"fps") == 0) m_impl->SetFrameRate(_wtoi(value));
    else if (_wcsicmp(name, L"cefbkcolor") == 0) m_impl->SetBackgroundColor(ParseColorValue(value, true));
    else CControlUI::SetAttribute(name, value);
}

bool CCefUI::PaintParts(HDC hdc, const RECT& paint, CControlUI* stop)
{
    const bool goOn = CContainerUI::PaintParts(hdc, paint, stop);
    RECT visible;
    if (!::IntersectRect(&visible, &paint, &m_rcItem)) return goOn;
    CClipRegion clip;
    CClipRegion::ClipToRect(hdc, visible, clip);
    m_impl->PaintFrames(hdc);
    return goOn;
}

}  // namespace SkinUI
