#pragma once

#include <windows.h>

#include <vector>

namespace SkinUI {

// One entry of the rich edit's context menu; id 0 is a separator.
struct RichEditMenuItem {
    UINT id = 0;
    const wchar_t* text = nullptr;
    UINT flags = MF_STRING;
};

// What the editor can do right now, as the menu needs it.
struct RichEditMenuState {
    bool canUndo = false;
    bool canRedo = false;
    bool readOnly = false;
    bool selectionEmpty = true;
};

// Command ids of the menu entries (WM_COMMAND).
enum RichEditMenuCommand : UINT {
    kMenuUndo = 101,
    kMenuCut = 102,
    kMenuCopy = 103,
    kMenuPaste = 104,
    kMenuClear = 105,
    kMenuSelectAll = 106,
    kMenuRedo = 107,
};

// The entries in their order with their enabled or grayed state.
std::vector<RichEditMenuItem> BuildRichEditMenu(const RichEditMenuState& state);

// Shows the entries as a popup menu at a screen point, owned by the window; the chosen command arrives as
// WM_COMMAND at the window.
void ShowRichEditMenu(HWND owner, POINT screen, const std::vector<RichEditMenuItem>& items);

}  // namespace SkinUI
