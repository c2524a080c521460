#include "Control/InputsRegistration.h"

#include "Control/UIAnimationTabLayout.h"
#include "Control/UIDateTime.h"
#include "Control/UIGifAnim.h"
#include "Control/UIIPAddress.h"
#include "Control/UIOption.h"
#include "Control/UISlider.h"
#include "Core/ControlFactory.h"

namespace SkinUI {

void RegisterInputsControls(CControlFactory& factory)
{
    factory.RegisterControl(L"COptionUI", &COptionUI::CreateInstance);
    factory.RegisterControl(L"CCheckBoxUI", &CCheckBoxUI::CreateInstance);
    factory.RegisterControl(L"CSliderUI", &CSliderUI::CreateInstance);
    factory.RegisterControl(L"CAnimationTabLayoutUI", &CAnimationTabLayoutUI::CreateInstance);
    factory.RegisterControl(L"CGifAnimUI", &CGifAnimUI::CreateInstance);
    factory.RegisterControl(L"CDateTimeUI", &CDateTimeUI::CreateInstance);
    factory.RegisterControl(L"CIPAddressUI", &CIPAddressUI::CreateInstance);
}

}  // namespace SkinUI
