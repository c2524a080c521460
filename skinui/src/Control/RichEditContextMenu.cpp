#include "Control/RichEditContextMenu.h"

namespace SkinUI {

std::vector<RichEditMenuItem> BuildRichEditMenu(const RichEditMenuState& state)
{
    const auto entry = [](UINT id, const wchar_t* text, bool enabled) {
        return RichEditMenuItem{id, text, static_cast<UINT>(MF_STRING | (enabled ? MF_ENABLED : MF_GRAYED))};
    };
    const RichEditMenuItem separator{0, nullptr, MF_SEPARATOR};
    const bool canCut = !state.readOnly && !state.selectionEmpty;
    return {
        entry(kMenuUndo, L"撤销(&U)", state.canUndo),
        entry(kMenuRedo, L"重做(&R)", state.canRedo),
        separator,
        entry(kMenuCut, L"剪切(&X)", canCut),
        entry(kMenuCopy, L"复制(&C)", !state.selectionEmpty),
        entry(kMenuPaste, L"粘帖(&V)", !state.readOnly),
        entry(kMenuClear, L"清空(&L)", canCut),
        separator,
        entry(kMenuSelectAll, L"全选(&A)", true),
    };
}

void ShowRichEditMenu(HWND owner, POINT screen, const std::vector<RichEditMenuItem>& items)
{
    HMENU menu = ::CreatePopupMenu();
    if (!menu) return;
    for (const RichEditMenuItem& item : items) ::AppendMenuW(menu, item.flags, item.id, item.text);
    ::TrackPopupMenu(menu, TPM_RIGHTBUTTON, screen.x, screen.y, 0, owner, nullptr);
    ::DestroyMenu(menu);
}

}  // namespace SkinUI
