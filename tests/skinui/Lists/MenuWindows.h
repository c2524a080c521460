#pragma once
// Menus a test opens over its windows, hovers and clicks, and the item states they leave behind.
#include "Control/UIMenu.h"
#include "Core/WindowUIManager.h"
#include "../Core/TestWindows.h"

#include <gtest/gtest.h>

namespace SkinUI::Testing {

// Opens the menu at the point: its clicks go to the owner's window, its checks into the table.
inline CMenuWnd* OpenMenu(const wchar_t* xml, CWindowUIManager* owner, CUIStringPtrMap* states, int x = 50, int y = 60)
{
    auto* menu = new CMenuWnd();
    menu->Init(nullptr, xml, x, y, owner, states, 6, true);
    return menu;
}

// Hovers the named item of a menu: the sub-menu it opened, painted once (none when it opened none).
inline CMenuWnd* HoverOpen(CMenuWnd& menu, const wchar_t* item)
{
    auto* element = static_cast<CMenuElementUI*>(menu.GetManager().FindControl(item));
    if (!element) return nullptr;
    ControlEvent event;
    event.Type = EVT_MOUSEENTER;
    element->HandleEvent(event);
    CMenuWnd* sub = element->GetSubMenuWindow();
    if (sub) ::UpdateWindow(sub->GetHWND());
    return sub;
}

inline void DeleteItemStates(CUIStringPtrMap& states)
{
    for (auto it = states.Begin(); it != states.End(); ++it) delete static_cast<MenuItemState*>(it->second);
}

// A fixture's part: a window of the application's with a menu of its own open over it.
class MenuOverWindow {
protected:
    // Fails the test when no window opens (no display).
    void OpenMenuOverWindow(const wchar_t* xml)
    {
        ASSERT_NE(nullptr, host.CreateTopLevel(nullptr, 300, 200)) << "no display";
        menu = OpenMenu(xml, &host.manager, &states);
        ASSERT_NE(nullptr, menu->GetHWND());
        hwnd = menu->GetHWND();
    }
    // Ends the menu with its sub-menus, then the window, then the item states they left.
    void CloseMenuAndWindow()
    {
        if (::IsWindow(hwnd)) ::DestroyWindow(hwnd);
        PumpUntil([] { return GetMenuObserver().GetReceivers().empty(); });
        if (host.GetHWND()) ::DestroyWindow(host.GetHWND());
        DeleteItemStates(states);
    }

    HostWindow host;
    CUIStringPtrMap states;
    CMenuWnd* menu = nullptr;
    HWND hwnd = nullptr;
};

}  // namespace SkinUI::Testing
