#include "Control/InputsRegistration.h"

#include "Control/UIAnimationTabLayout.h"
#include "Control/UIColorPalette.h"
#include "Control/UIDateTime.h"
#include "Control/UIFadeButton.h"
#include "Control/UIGifAnim.h"
#include "Control/UIGroupBox.h"
#include "Control/UIHotKey.h"
#include "Control/UIIPAddress.h"
#include "Control/UIOption.h"
#include "Control/UIPlaceHolder.h"
#include "Control/UIRing.h"
#include "Control/UIRollText.h"
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
    factory.RegisterControl(L"CGroupBoxUI", &CGroupBoxUI::CreateInstance);
    factory.RegisterControl(L"CRollTextUI", &CRollTextUI::CreateInstance);
    factory.RegisterControl(L"CColorPaletteUI", &CColorPaletteUI::CreateInstance);
    factory.RegisterControl(L"CHotKeyUI", &CHotKeyUI::CreateInstance);
    factory.RegisterControl(L"CFadeButtonUI", &CFadeButtonUI::CreateInstance);
    factory.RegisterControl(L"CRingUI", &CRingUI::CreateInstance);
    factory.RegisterControl(L"CPlaceHolderUI", &CPlaceHolderUI::CreateInstance);
}

}  // namespace SkinUI
