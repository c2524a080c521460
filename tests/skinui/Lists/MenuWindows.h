#pragma once
// Menus a test opens over its windows, hovers and clicks, and the item states they leave behind.
#include "Control/UIMenu.h"
#include "Core/WindowUIManager.h"

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

}  // namespace SkinUI::Testing
