#include "Control/RichEditRegistration.h"

#include "Control/UIRichEdit.h"
#include "Core/ControlFactory.h"

namespace SkinUI {

void RegisterRichEditControls(CControlFactory& factory)
{
    factory.RegisterControl(L"CRichEditUI", &CRichEditUI::CreateInstance);
}

}  // namespace SkinUI
