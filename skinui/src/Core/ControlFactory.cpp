#include "Core/ControlFactory.h"

#include "Control/ButtonUI.h"
#include "Control/EditUI.h"
#include "Control/InputsRegistration.h"
#include "Control/LabelUI.h"
#include "Control/ListsRegistration.h"
#include "Control/ProgressUI.h"
#include "Control/RichEditRegistration.h"
#include "Control/ScrollBarUI.h"
#include "Control/UIActiveX.h"
#include "Control/UICef.h"
#include "Control/UIFlash.h"
#include "Control/UIWebBrowser.h"
#include "Core/ControlUI.h"
#include "Layout/BoxLayout.h"
#include "Layout/ContainerUI.h"
#include "Layout/TabLayoutUI.h"
#include "Layout/TileLayoutUI.h"

namespace SkinUI {
namespace {

CControlFactory* g_factory = nullptr;

CUIString LowerCase(const wchar_t* text)
{
    CUIString lower(text);
    lower.MakeLower();
    return lower;
}

}  // namespace

CControlFactory* CControlFactory::GetInstance()
{
    if (!g_factory) g_factory = new CControlFactory();
    return g_factory;
}

void CControlFactory::Release()
{
    delete g_factory;
    g_factory = nullptr;
}

CControlFactory::CControlFactory()
{
    RegisterControl(L"CControlUI", &CControlUI::CreateInstance);
    RegisterControl(L"CContainerUI", &CContainerUI::CreateInstance);
    RegisterControl(L"CScrollBarUI", &CScrollBarUI::CreateInstance);
    RegisterControl(L"CVerticalLayoutUI", &CVerticalLayoutUI::CreateInstance);
    RegisterControl(L"CHorizontalLayoutUI", &CHorizontalLayoutUI::CreateInstance);
    RegisterControl(L"CTabLayoutUI", &CTabLayoutUI::CreateInstance);
    RegisterControl(L"CTileLayoutUI", &CTileLayoutUI::CreateInstance);
    RegisterControl(L"CChildLayoutUI", &CChildLayoutUI::CreateInstance);
    RegisterControl(L"CLabelUI", &CLabelUI::CreateInstance);
    RegisterControl(L"CButtonUI", &CButtonUI::CreateInstance);
    RegisterControl(L"CProgressUI", &CProgressUI::CreateInstance);
    RegisterControl(L"CEditUI", &CEditUI::CreateInstance);
    RegisterControl(L"CActiveXUI", &CActiveXUI::CreateInstance);
    RegisterControl(L"CWebBrowserUI", &CWebBrowserUI::CreateInstance);
    RegisterControl(L"CFlashUI", &CFlashUI::CreateInstance);
    RegisterControl(L"CCefUI", &CCefUI::CreateInstance);
    RegisterRichEditControls(*this);
    RegisterInputsControls(*this);
    RegisterListsControls(*this);
}

void CControlFactory::RegisterControl(const wchar_t* className, Creator creator)
{
    if (!creator) return;
    m_creators.emplace(LowerCase(className), creator);
}

CControlUI* CControlFactory::CreateControl(const wchar_t* className) const
{
    const auto it = m_creators.find(LowerCase(className));
    return it == m_creators.end() ? nullptr : it->second();
}

}  // namespace SkinUI
