#pragma once

namespace SkinUI {

class CControlFactory;

// Registers the input controls (options, check boxes, sliders, fields, animations and the small extras)
// with the factory under their class names.
void RegisterInputsControls(CControlFactory& factory);

}  // namespace SkinUI
