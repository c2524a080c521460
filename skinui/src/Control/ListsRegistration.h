#pragma once

namespace SkinUI {

class CControlFactory;

// Makes the list family (lists, headers, rows, trees, text with links, combo boxes, menus) known to the control factory by class name.
void RegisterListsControls(CControlFactory& factory);

}  // namespace SkinUI
