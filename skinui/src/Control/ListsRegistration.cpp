#include "Control/ListsRegistration.h"

#include "Control/UIComboBox.h"
#include "Control/UIList.h"
#include "Control/UIListElement.h"
#include "Control/UIListHeader.h"
#include "Control/UIMenu.h"
#include "Control/UIText.h"
#include "Control/UITreeView.h"
#include "Core/ControlFactory.h"

namespace SkinUI {

void RegisterListsControls(CControlFactory& factory)
{
    factory.RegisterControl(L"CListUI", &CListUI::CreateInstance);
    factory.RegisterControl(L"CListHeaderUI", &CListHeaderUI::CreateInstance);
    factory.RegisterControl(L"CListHeaderItemUI", &CListHeaderItemUI::CreateInstance);
    factory.RegisterControl(L"CListLabelElementUI", &CListLabelElementUI::CreateInstance);
    factory.RegisterControl(L"CListTextElementUI", &CListTextElementUI::CreateInstance);
    factory.RegisterControl(L"CListContainerElementUI", &CListContainerElementUI::CreateInstance);
    factory.RegisterControl(L"CTextUI", &CTextUI::CreateInstance);
    factory.RegisterControl(L"CTreeViewUI", &CTreeViewUI::CreateInstance);
    factory.RegisterControl(L"CTreeNodeUI", &CTreeNodeUI::CreateInstance);
    factory.RegisterControl(L"CComboBoxUI", &CComboBoxUI::CreateInstance);
    factory.RegisterControl(L"CMenuUI", &CMenuUI::CreateInstance);
    factory.RegisterControl(L"CMenuElementUI", &CMenuElementUI::CreateInstance);
}

}  // namespace SkinUI
