#include "Control/UIOption.h"

#include "Core/AttributeValues.h"
#include "Core/ImageDrawInfo.h"
#include "Core/Painter.h"
#include "Core/WindowUIManager.h"

#include <cwchar>

namespace SkinUI {

COptionUI::~COptionUI()
{
    CWindowUIManager* manager = LiveManager();
    if (!m_group.IsEmpty() && manager) manager->RemoveFromOptionGroup(m_group, this);
}

void* COptionUI::GetInterface(const wchar_t* name)
{
    if (name && _wcsicmp(name, L"Option") == 0) return this;
    return CButtonUI::GetInterface(name);
}

void COptionUI::SetManager(CWindowUIManager* manager, CControlUI* parent, bool runInit)
{
    // The window it leaves takes it out of its group (the base's release); the window it joins lists it,
    // however it comes: built, added, or given back without a second Init.
    const bool joins = runInit || manager != m_manager;
    CControlUI::SetManager(manager, parent, runInit);
    if (joins && !m_group.IsEmpty() && m_manager) JoinGroup();
}

void COptionUI::SetGroup(const wchar_t* name)
{
    if (!name) {
        if (m_group.IsEmpty()) return;
    } else if (m_group == name) {
        return;
    }
    if (!m_group.IsEmpty() && m_manager) m_manager->RemoveFromOptionGroup(m_group, this);
    m_group = name;
    if (!m_group.IsEmpty() && m_manager) JoinGroup();
}

void COptionUI::JoinGroup()
{
    m_manager->AddToOptionGroup(m_group, this);
    // Selected before it joined (a skin sets "selected" before the window is known): it stays the one
    // selected member, as if it had been selected now.
    if (m_selected) DeselectOtherMembers(false);
}

void COptionUI::DeselectOtherMembers(bool notify)
{
    const CPtrArray* group = m_manager->GetOptionGroup(m_group);
    if (!group) return;
    // A member's Selected may be the application's, and change the group, end it or delete this option:
    // the members are those of the group as it is when each one's turn comes.
    const CPtrArray members(*group);
    const auto alive = WatchLifetime();
    for (int i = 0; i < members.GetSize(); ++i) {
        if (alive.expired() || !m_manager) return;
        group = m_manager->GetOptionGroup(m_group);
        auto* member = static_cast<CControlUI*>(members[i]);
        if (!group || group->Find(member) < 0) continue;
        auto* option = static_cast<COptionUI*>(member->GetInterface(L"Option"));
        if (option && option != this) option->Selected(false, notify);
    }
}

void COptionUI::Selected(bool selected, bool notify)
{
    if (m_selected == selected) return;
    m_selected = selected;
    if (m_manager) {
        if (!m_group.IsEmpty() && !m_selected) {
            Invalidate();
            return;
        }
        const auto alive = WatchLifetime();
        if (!m_group.IsEmpty()) DeselectOtherMembers(notify);
        if (alive.expired()) return;
        if (notify && m_manager) m_manager->SendNotify(this, L"selectchanged", SelectChangedParam(), 0);
        if (alive.expired()) return;
    }
    Invalidate();
}

bool COptionUI::Activate()
{
    const auto keepWindow = KeepWindowWhileActing();
    const auto alive = WatchLifetime();
    if (!CButtonUI::Activate()) return false;
    if (alive.expired()) return true;
    if (m_group.IsEmpty()) Selected(!m_selected, true);
    else Selected(true, true);
    return true;
}

void COptionUI::SetSelectedStateImage(const wchar_t* description)
{
    m_selectedStateImage = description;
    Invalidate();
}

void COptionUI::SetAttribute(const wchar_t* name, const wchar_t* value)
{
    struct ImageAttribute {
        const wchar_t* name;
        CUIString COptionUI::*field;
    };
    static const ImageAttribute images[] = {
        {L"selectedimage", &COptionUI::m_selectedImage},
        {L"selectedhotimage", &COptionUI::m_selectedHotImage},
        {L"selectedpushedimage", &COptionUI::m_selectedPushedImage},
        {L"selectedforeimage", &COptionUI::m_selectedForeImage},
    };
    for (const ImageAttribute& image : images) {
        if (_wcsicmp(name, image.name) != 0) continue;
        this->*image.field = value;
        Invalidate();
        return;
    }
    if (_wcsicmp(name, L"group") == 0) {
        SetGroup(value);
    } else if (_wcsicmp(name, L"selected") == 0) {
        Selected(ParseBool(value), true);
    } else if (_wcsicmp(name, L"selectedstateimage") == 0) {
        SetSelectedStateImage(value);
    } else if (_wcsicmp(name, L"selectedstatecount") == 0) {
        m_selectedStateCount = _wtoi(value);
        Invalidate();
    } else if (_wcsicmp(name, L"selectedbkcolor") == 0) {
        m_selectedBkColor = ParseColorValue(value);
    } else if (_wcsicmp(name, L"selectedtextcolor") == 0) {
        m_selectedTextColor = ParseColorValue(value);
    } else if (_wcsicmp(name, L"selectedfont") == 0) {
        m_selectedFont = _wtoi(value);
        Invalidate();
    } else {
        CButtonUI::SetAttribute(name, value);
    }
}

void COptionUI::PaintBackgroundColor(HDC hdc)
{
    if (!m_selected) {
        CButtonUI::PaintBackgroundColor(hdc);
        return;
    }
    if (m_selectedBkColor != 0) CPainter::FillColor(hdc, m_rcPaint, GetAdjustedColor(m_selectedBkColor));
}

void COptionUI::BuildFramesFromStateImage()
{
    if (m_selectedStateImage.IsEmpty() || m_selectedStateCount <= 0 || !m_manager) return;
    ImageDrawInfo info;
    ParseImageDescription(info, m_selectedStateImage, nullptr);
    const ImageRecord* image = m_manager->GetImageOrLoad(info.sImageName, info.sResType, info.dwMask, info.bHSL);
    if (!m_selectedImage.IsEmpty() || !image || image->nX <= 0 || image->nY <= 0) return;
    const int frameWidth = image->nX / m_selectedStateCount;
    auto frame = [&](int index) {
        CUIString description;
        description.Format(L"res='%ls' restype='%ls' dest='%d,%d,%d,%d' source='%d,%d,%d,%d'",
                           info.sImageName.GetData(), info.sResType.GetData(), info.rcDest.left, info.rcDest.top,
                           info.rcDest.right, info.rcDest.bottom, index * frameWidth, 0, (index + 1) * frameWidth,
                           image->nY);
        return description;
    };
    m_selectedImage = frame(0);
    if (m_selectedStateCount >= 2) {
        m_selectedHotImage = frame(1);
        m_selectedPushedImage = frame(1);
    }
    if (m_selectedStateCount >= 3) m_selectedPushedImage = frame(2);
}

void COptionUI::PaintStateImage(HDC hdc)
{
    if (!m_selected) {
        CButtonUI::PaintStateImage(hdc);
        return;
    }
    BuildFramesFromStateImage();
    const UINT state = GetButtonState();
    if ((state & kPushed) && !m_selectedPushedImage.IsEmpty()) {
        if (DrawImage(hdc, m_selectedPushedImage)) return;
    } else if ((state & kHot) && !m_selectedHotImage.IsEmpty()) {
        if (DrawImage(hdc, m_selectedHotImage)) return;
    }
    if (!m_selectedImage.IsEmpty()) DrawImage(hdc, m_selectedImage);
}

void COptionUI::PaintForegroundImage(HDC hdc)
{
    if (m_selected && !m_selectedForeImage.IsEmpty() && DrawImage(hdc, m_selectedForeImage)) return;
    CButtonUI::PaintForegroundImage(hdc);
}

void COptionUI::PaintText(HDC hdc)
{
    if (!m_selected) {
        CButtonUI::PaintText(hdc);
        return;
    }
    // Only the disabled colour settles here: the label's own text colour stays unset, so that the
    // option still follows the window's default once it is deselected.
    if (m_manager && m_disabledTextColor == 0) m_disabledTextColor = m_manager->GetDefaultDisabledColor();
    DWORD textColor = m_selectedTextColor ? m_selectedTextColor : m_textColor;
    if (textColor == 0 && m_manager) textColor = m_manager->GetDefaultFontColor();
    const int font = m_selectedFont != -1 ? m_selectedFont : m_font;
    DrawLabelText(hdc, IsEnabled() ? textColor : m_disabledTextColor, font);
}

void* CCheckBoxUI::GetInterface(const wchar_t* name)
{
    if (name && _wcsicmp(name, L"CheckBox") == 0) return this;
    return COptionUI::GetInterface(name);
}

void CCheckBoxUI::HandleEvent(ControlEvent& event)
{
    if (PassMouseToParent(event, [&] { COptionUI::HandleEvent(event); })) return;
    if (m_autoCheck && (event.Type == EVT_BUTTONDOWN || event.Type == EVT_DBLCLICK) &&
        ::PtInRect(&m_rcItem, event.ptMouse) && IsEnabled()) {
        Selected(!IsSelected(), true);
        if (m_manager) m_manager->SendNotify(this, L"checkclick", 0, 0);
        Invalidate();
        return;
    }
    COptionUI::HandleEvent(event);
}

void CCheckBoxUI::SetAttribute(const wchar_t* name, const wchar_t* value)
{
    if (_wcsicmp(name, L"EnableAutoCheck") == 0) m_autoCheck = ParseBool(value);
    COptionUI::SetAttribute(name, value);
}

}  // namespace SkinUI
