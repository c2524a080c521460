#pragma once

namespace SkinUI {

class CControlFactory;

// Makes the rich edit known to the factory under its class name.
void RegisterRichEditControls(CControlFactory& factory);

}  // namespace SkinUI
