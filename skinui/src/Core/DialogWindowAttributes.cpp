#include "Core/DialogBuilder.h"

#include "Core/AttributeValues.h"
#include "Core/DpiScaler.h"
#include "Core/ShadowUI.h"
#include "Core/WindowUIManager.h"

#include <cwchar>

namespace SkinUI {
namespace {

// Up to four decimal numbers, each further one after skipping exactly one character; missing ones are 0.
void ParseNumbers(const wchar_t* value, LONG* numbers, int count)
{
    const wchar_t* p = value;
    for (int i = 0; i < count; ++i) {
        if (!*p) {
            numbers[i] = 0;
            continue;
        }
        wchar_t* end = nullptr;
        numbers[i] = wcstol(p, &end, 10);
        p = end;
        if (*p) ++p;
    }
}

RECT ParseRect(const wchar_t* value)
{
    LONG numbers[4] = {};
    ParseNumbers(value, numbers, 4);
    return RECT{numbers[0], numbers[1], numbers[2], numbers[3]};
}

SIZE ParseSize(const wchar_t* value)
{
    LONG numbers[2] = {};
    ParseNumbers(value, numbers, 2);
    return SIZE{numbers[0], numbers[1]};
}

void ApplySize(CWindowUIManager* manager, const wchar_t* value)
{
    if (_wcsicmp(value, L"max") == 0) {
        RECT work = {};
        ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
        manager->SetInitSize(work.right - work.left, work.bottom - work.top, false);
        return;
    }
    const SIZE size = ParseSize(value);
    manager->SetInitSize(size.cx, size.cy, true);
}

// Colours and the shadow.
bool ApplyLookAttribute(CWindowUIManager* manager, const wchar_t* name, const wchar_t* value)
{
    CShadowUI* shadow = manager->GetShadow();
    if (_wcsicmp(name, L"disabledfontcolor") == 0) manager->SetDefaultDisabledColor(ParseColorValue(value));
    else if (_wcsicmp(name, L"defaultfontcolor") == 0) manager->SetDefaultFontColor(ParseColorValue(value));
    else if (_wcsicmp(name, L"linkfontcolor") == 0) manager->SetDefaultLinkFontColor(ParseColorValue(value));
    else if (_wcsicmp(name, L"linkhoverfontcolor") == 0) manager->SetDefaultLinkHoverFontColor(ParseColorValue(value));
    else if (_wcsicmp(name, L"selectedcolor") == 0) manager->SetDefaultSelectedBkColor(ParseColorValue(value));
    else if (_wcsicmp(name, L"shadowsize") == 0) shadow->SetSize(_wtoi(value));
    else if (_wcsicmp(name, L"shadowsharpness") == 0) shadow->SetSharpness(static_cast<unsigned>(_wtoi(value)));
    else if (_wcsicmp(name, L"shadowdarkness") == 0) shadow->SetDarkness(static_cast<unsigned>(_wtoi(value)));
    else if (_wcsicmp(name, L"shadowposition") == 0) {
        const SIZE offset = ParseSize(value);
        shadow->SetPosition(offset.cx, offset.cy);
    } else if (_wcsicmp(name, L"shadowcolor") == 0) {
        const DWORD color = ParseColorValue(value);
        shadow->SetColor(RGB((color >> 16) & 0xFF, (color >> 8) & 0xFF, color & 0xFF));
    } else if (_wcsicmp(name, L"shadowcorner") == 0) shadow->SetShadowCorner(ParseRect(value));
    else if (_wcsicmp(name, L"shadowimage") == 0) shadow->SetImage(value);
    else if (_wcsicmp(name, L"showshadow") == 0) shadow->ShowShadow(ParseBool(value));
    else return false;
    return true;
}

void ApplyWindowAttribute(CWindowUIManager* manager, const wchar_t* name, const wchar_t* value)
{
    if (ApplyLookAttribute(manager, name, value)) return;
    if (_wcsicmp(name, L"size") == 0) ApplySize(manager, value);
    else if (_wcsicmp(name, L"sizebox") == 0) manager->SetSizeBox(ParseRect(value));
    else if (_wcsicmp(name, L"caption") == 0) manager->SetCaptionRect(ParseRect(value));
    else if (_wcsicmp(name, L"roundcorner") == 0) {
        const SIZE corner = ParseSize(value);
        manager->SetRoundCorner(corner.cx, corner.cy);
    } else if (_wcsicmp(name, L"mininfo") == 0) {
        const SIZE size = ParseSize(value);
        manager->SetMinInfo(size.cx, size.cy);
    } else if (_wcsicmp(name, L"maxinfo") == 0) {
        const SIZE size = ParseSize(value);
        manager->SetMaxInfo(size.cx, size.cy);
    } else if (_wcsicmp(name, L"showdirty") == 0) manager->SetShowUpdateRect(ParseBool(value));
    else if (_wcsicmp(name, L"opacity") == 0 || _wcsicmp(name, L"alpha") == 0)
        manager->SetOpacity(static_cast<BYTE>(_wtoi(value)));
    else if (wcscmp(name, L"layeredopacity") == 0) manager->SetLayeredOpacity(static_cast<BYTE>(_wtoi(value)));
    else if (wcscmp(name, L"layered") == 0 || wcscmp(name, L"bktrans") == 0) manager->SetLayered(ParseBool(value));
    else if (wcscmp(name, L"layeredimage") == 0) {
        manager->SetLayered(true);
        manager->SetLayeredImage(value);
    } else if (wcscmp(name, L"noactivate") == 0) manager->SetNoActivate(ParseBool(value));
    else if (_wcsicmp(name, L"gdiplustext") == 0) manager->SetUseGdiplusText(ParseBool(value));
    else if (_wcsicmp(name, L"textrenderinghint") == 0) manager->SetGdiplusTextRenderingHint(_wtoi(value));
    else if (_wcsicmp(name, L"tooltiphovertime") == 0) manager->SetHoverTime(static_cast<DWORD>(_wtoi(value)));
}

}  // namespace

void ApplyWindowDpi(CXmlNode root, CWindowUIManager* manager)
{
    wchar_t value[32] = {};
    if (!root.GetAttributeValue(L"dpi", value, 32)) return;
    const int dpi = _wcsicmp(value, L"system") == 0 ? CDpiScaler::GetMainMonitorDPI() : _wtoi(value);
    if (dpi > 0) manager->GetDpiScaler()->SetDPI(dpi);
}

void ApplyWindowAttributes(CXmlNode root, CWindowUIManager* manager)
{
    for (int i = 0; i < root.GetAttributeCount(); ++i)
        ApplyWindowAttribute(manager, root.GetAttributeName(i), root.GetAttributeValue(i));
}

}  // namespace SkinUI
