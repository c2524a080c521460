#include "Control/UIRichEdit.h"
#include "Core/ControlUI.h"
#include "Core/Painter.h"
#include "Core/SharedResources.h"
#include "Core/WindowUIManager.h"

#include <algorithm>
#include <cwchar>
#include <cwctype>

namespace SkinUI {
namespace {

constexpr LONG kBoldWeight = 700;

CUIString FontKey(int id)
{
    CUIString key;
    key.Format(L"%d", id);
    return key;
}

LOGFONTW DefaultGuiLogFont()
{
    LOGFONTW lf = {};
    ::GetObjectW(::GetStockObject(DEFAULT_GUI_FONT), sizeof(lf), &lf);
    lf.lfCharSet = DEFAULT_CHARSET;
    return lf;
}

void SetFace(LOGFONTW& lf, const wchar_t* face)
{
    if (face && *face) wcsncpy_s(lf.lfFaceName, LF_FACESIZE, face, _TRUNCATE);
}

// Records hold the face as the font was made from it (the default face for an empty one, cut to the
// LOGFONT's length), so an asked face is brought into that form; else such a face never matches and every
// caller adds the font again.
CUIString StoredFace(const wchar_t* face)
{
    LOGFONTW lf = DefaultGuiLogFont();
    SetFace(lf, face);
    return lf.lfFaceName;
}

// The default GUI font's weight plus the bold step, kept inside the range GDI accepts.
LONG BoldenedWeight(LONG weight) { return std::min<LONG>(weight + kBoldWeight, FW_HEAVY); }

FontInfo* FindFontByHandle(const CUIStringPtrMap& map, HFONT font)
{
    for (auto it = map.Begin(); it != map.End(); ++it) {
        auto* info = static_cast<FontInfo*>(it->second);
        if (info->hFont == font) return info;
    }
    return nullptr;
}

// Whether a font was made |height| pixels high (a negative LOGFONT height, as fonts here are made).
bool HasHeight(HFONT font, LONG height)
{
    LOGFONTW lf = {};
    return ::GetObjectW(font, sizeof(lf), &lf) == sizeof(lf) && lf.lfHeight == height;
}

// With a non-zero |height|, only a font made that high for its window's scale is taken.
FontInfo* FindFontByStyle(const CUIStringPtrMap& map, const wchar_t* face, int size, bool bold, bool underline,
                          bool italic, LONG height = 0)
{
    for (auto it = map.Begin(); it != map.End(); ++it) {
        auto* info = static_cast<FontInfo*>(it->second);
        if (info->sFontName == face && info->iSize == size && info->bBold == bold &&
            info->bUnderline == underline && info->bItalic == italic && (height == 0 || HasHeight(info->hFont, height)))
            return info;
    }
    return nullptr;
}

void StoreString(CUIStringPtrMap& map, const wchar_t* key, const wchar_t* value)
{
    delete static_cast<CUIString*>(map.Exchange(key, new CUIString(value)));
}

CControlUI* CALLBACK CollectRichEdits(CControlUI* control, void* data)
{
    if (void* richEdit = control->GetInterface(L"RichEdit")) static_cast<CPtrArray*>(data)->Add(richEdit);
    return nullptr;
}

}  // namespace

void CWindowUIManager::InitSharedState()
{
    SharedResources& shared = SharedResources::Get();
    if (shared.defaultFont.sFontName.IsEmpty()) {
        LOGFONTW lf = DefaultGuiLogFont();
        shared.defaultFont.hFont = ::CreateFontIndirectW(&lf);
        shared.defaultFont.sFontName = lf.lfFaceName;
        shared.defaultFont.iSize = -lf.lfHeight;
        shared.defaultFont.bBold = lf.lfWeight >= kBoldWeight;
        shared.defaultFont.bUnderline = lf.lfUnderline != 0;
        shared.defaultFont.bItalic = lf.lfItalic != 0;
        shared.defaultFont.tm = {};
    }
    m_colors = shared.colors;
    if (!shared.redPen) {
        shared.redPen = ::CreatePen(PS_SOLID, 1, RGB(220, 0, 0));
        ::InitCommonControls();
        ::LoadLibraryW(L"msimg32.dll");
    }
    StartGdiplus();
    CShadowUI::Initialize(s_instance);
}

void CWindowUIManager::ReleaseWindowResources()
{
    DeleteFonts(m_fonts);
    DeleteImages(m_images);
    DeleteStrings(m_defaultAttributes);
    DeleteStrings(m_styles);
    DeleteDrawInfos(m_drawInfos);
}

void CWindowUIManager::FillMetrics(FontInfo& info)
{
    if (!m_hdc || !info.hFont) return;
    HGDIOBJ old = ::SelectObject(m_hdc, info.hFont);
    ::GetTextMetricsW(m_hdc, &info.tm);
    ::SelectObject(m_hdc, old);
}

CUIStringPtrMap& CWindowUIManager::FontMap(bool shared)
{
    return shared || m_useSharedResources ? SharedResources::Get().fonts : m_fonts;
}

HFONT CWindowUIManager::AddFont(int id, const wchar_t* face, int size, bool bold, bool underline, bool italic,
                                bool shared)
{
    FontInfo* info = NewFont(face, size, bold, underline, italic);
    if (!info) return nullptr;
    auto* old = static_cast<FontInfo*>(FontMap(shared).Exchange(FontKey(id), info));
    if (old) {
        DeleteScaledFonts(old);
        ::DeleteObject(old->hFont);
        delete old;
    }
    return info->hFont;
}

// Markup's variants live in a table of their own, keyed by nothing a skin names: no skin font is ever
// replaced or deleted by one, and none by a skin's. Windows of different scales each get variants made at
// their own size, which no DPI change of another window alters.
HFONT CWindowUIManager::GetStyledFont(const wchar_t* face, int size, bool bold, bool underline, bool italic)
{
    const LONG height = -GetDpiScaler()->Scale(size);
    const CUIString stored = StoredFace(face);
    if (FontInfo* own = FindFontByStyle(m_fonts, stored, size, bold, underline, italic, height)) return own->hFont;
    SharedResources& shared = SharedResources::Get();
    if (FontInfo* common = FindFontByStyle(shared.fonts, stored, size, bold, underline, italic, height))
        return common->hFont;
    CUIStringPtrMap& variants = shared.styledFonts;
    if (FontInfo* info = FindFontByStyle(variants, stored, size, bold, underline, italic, height))
        return info->hFont;
    FontInfo* info = NewFont(face, size, bold, underline, italic);
    if (!info) return nullptr;
    variants.Set(FontKey(variants.GetSize()), info);
    return info->hFont;
}

FontInfo* CWindowUIManager::NewFont(const wchar_t* face, int size, bool bold, bool underline, bool italic)
{
    LOGFONTW lf = DefaultGuiLogFont();
    SetFace(lf, face);
    lf.lfHeight = -GetDpiScaler()->Scale(size);
    if (bold) lf.lfWeight = kBoldWeight;
    if (underline) lf.lfUnderline = TRUE;
    if (italic) lf.lfItalic = TRUE;
    HFONT font = ::CreateFontIndirectW(&lf);
    if (!font) return nullptr;
    auto* info = new FontInfo();
    info->hFont = font;
    info->sFontName = lf.lfFaceName;
    info->iSize = size;
    info->bBold = bold;
    info->bUnderline = underline;
    info->bItalic = italic;
    FillMetrics(*info);
    return info;
}

void CWindowUIManager::SetDefaultFont(const wchar_t* face, int size, bool bold, bool underline, bool italic,
                                      bool shared)
{
    LOGFONTW lf = DefaultGuiLogFont();
    SetFace(lf, face);
    lf.lfHeight = -GetDpiScaler()->Scale(size);
    if (bold) lf.lfWeight = BoldenedWeight(lf.lfWeight);
    if (underline) lf.lfUnderline = TRUE;
    if (italic) lf.lfItalic = TRUE;
    HFONT font = ::CreateFontIndirectW(&lf);
    if (!font) return;
    FontInfo& target = shared ? SharedResources::Get().defaultFont : m_defaultFont;
    DeleteScaledFonts(&target);
    if (target.hFont) ::DeleteObject(target.hFont);
    target = FontInfo();
    target.hFont = font;
    target.sFontName = lf.lfFaceName;
    target.iSize = size;
    target.bBold = bold;
    target.bUnderline = underline;
    target.bItalic = italic;
    FillMetrics(target);
}

// A shared font as this window draws it: the record when it was made at this window's scale, else its copy
// for this scale, made on first use. Shared records keep their size, so no window's DPI change resizes
// another window's text.
FontInfo& CWindowUIManager::AtOwnScale(FontInfo& shared)
{
    const LONG height = -GetDpiScaler()->Scale(shared.iSize);
    LOGFONTW lf = {};
    if (!shared.hFont || ::GetObjectW(shared.hFont, sizeof(lf), &lf) != sizeof(lf) || lf.lfHeight == height)
        return shared;
    auto [it, added] = SharedResources::Get().scaledFonts.try_emplace({&shared, height});
    FontInfo& copy = it->second;
    if (!added) return copy;
    // As a DPI change re-creates a font: everything but the height as the record was made.
    lf.lfHeight = height;
    lf.lfQuality = CLEARTYPE_QUALITY;
    copy.hFont = ::CreateFontIndirectW(&lf);
    if (!copy.hFont) {
        SharedResources::Get().scaledFonts.erase(it);
        return shared;
    }
    copy.sFontName = shared.sFontName;
    copy.iSize = shared.iSize;
    copy.bBold = shared.bBold;
    copy.bUnderline = shared.bUnderline;
    copy.bItalic = shared.bItalic;
    FillMetrics(copy);
    return copy;
}

FontInfo* CWindowUIManager::GetDefaultFontInfo()
{
    FontInfo& info =
        m_defaultFont.sFontName.IsEmpty() ? AtOwnScale(SharedResources::Get().defaultFont) : m_defaultFont;
    if (info.tm.tmHeight == 0) FillMetrics(info);
    return &info;
}

FontInfo* CWindowUIManager::GetFontInfo(int id)
{
    if (id < 0) return GetDefaultFontInfo();
    const CUIString key = FontKey(id);
    auto* info = static_cast<FontInfo*>(m_fonts.Find(key));
    if (!info) {
        info = static_cast<FontInfo*>(SharedResources::Get().fonts.Find(key));
        if (info) info = &AtOwnScale(*info);
    }
    if (!info) return GetDefaultFontInfo();
    if (info->tm.tmHeight == 0) FillMetrics(*info);
    return info;
}

FontInfo* CWindowUIManager::GetFontInfo(HFONT font)
{
    FontInfo* info = FindFontByHandle(m_fonts, font);
    if (!info) info = FindFontByHandle(SharedResources::Get().fonts, font);
    if (!info) info = FindFontByHandle(SharedResources::Get().styledFonts, font);
    for (auto& [of, copy] : SharedResources::Get().scaledFonts)
        if (!info && copy.hFont == font) info = &copy;
    if (!info) return GetDefaultFontInfo();
    if (info->tm.tmHeight == 0) FillMetrics(*info);
    return info;
}

HFONT CWindowUIManager::GetFont(int id) { return GetFontInfo(id)->hFont; }

HFONT CWindowUIManager::GetFont(const wchar_t* face, int size, bool bold, bool underline, bool italic)
{
    const CUIString stored = StoredFace(face);
    FontInfo* info = FindFontByStyle(m_fonts, stored, size, bold, underline, italic);
    if (!info) info = FindFontByStyle(SharedResources::Get().fonts, stored, size, bold, underline, italic);
    return info ? info->hFont : nullptr;
}

bool CWindowUIManager::AddFontFile(const wchar_t* name)
{
    std::vector<unsigned char> bytes;
    if (!CPainter::ReadSkinFile(name, bytes)) return false;
    DWORD count = 0;
    HANDLE font = ::AddFontMemResourceEx(bytes.data(), static_cast<DWORD>(bytes.size()), nullptr, &count);
    if (!font) return false;
    m_memoryFonts.push_back(font);
    return true;
}

void CWindowUIManager::RemoveAllFonts(bool shared)
{
    CUIStringPtrMap& fonts = shared ? SharedResources::Get().fonts : m_fonts;
    for (auto it = fonts.Begin(); it != fonts.End(); ++it) DeleteScaledFonts(static_cast<FontInfo*>(it->second));
    DeleteFonts(fonts);
}

void CWindowUIManager::RecreateFont(FontInfo& info)
{
    LOGFONTW lf = DefaultGuiLogFont();
    SetFace(lf, info.sFontName);
    lf.lfHeight = -GetDpiScaler()->Scale(info.iSize);
    lf.lfQuality = CLEARTYPE_QUALITY;
    // The weight the font was made with: a bold font of the skin is 700, a bold default font is
    // the GUI font's weight made bolder; neither may change with the size.
    LOGFONTW current = {};
    if (info.hFont && ::GetObjectW(info.hFont, sizeof(current), &current) == sizeof(current))
        lf.lfWeight = current.lfWeight;
    else if (info.bBold)
        lf.lfWeight = BoldenedWeight(lf.lfWeight);
    if (info.bUnderline) lf.lfUnderline = TRUE;
    if (info.bItalic) lf.lfItalic = TRUE;
    if (info.hFont) ::DeleteObject(info.hFont);
    info.hFont = ::CreateFontIndirectW(&lf);
    info.tm = {};
    FillMetrics(info);
}

const ImageRecord* CWindowUIManager::AddImage(const wchar_t* name, const wchar_t* type, DWORD mask, bool useHsl,
                                              bool shared, HINSTANCE instance)
{
    if (!name || !*name) return nullptr;
    ImageRecord* image = nullptr;
    if (!type || !*type) {
        image = CPainter::LoadImageMapped(name, nullptr, mask, instance);
    } else {
        if (!iswdigit(name[0])) return nullptr;
        image = CPainter::LoadImage(static_cast<UINT>(_wtoi(name)), type, mask, instance);
    }
    if (!image) return nullptr;
    image->sResType = type;
    image->dwMask = mask;
    image->bUseHSL = useHsl;
    if (useHsl) {
        DIBSECTION section = {};
        if (::GetObjectW(image->hBitmap, sizeof(section), &section) == sizeof(section) && section.dsBm.bmBits) {
            const size_t bytes = static_cast<size_t>(image->nX) * static_cast<size_t>(image->nY) * 4;
            image->pSrcBits = new BYTE[bytes];
            memcpy(image->pSrcBits, section.dsBm.bmBits, bytes);
        }
    }
    CUIStringPtrMap& map = shared || m_useSharedResources ? SharedResources::Get().images : m_images;
    CPainter::FreeImage(static_cast<ImageRecord*>(map.Exchange(name, image)));
    return image;
}

const ImageRecord* CWindowUIManager::GetImage(const wchar_t* name) const
{
    if (!name) return nullptr;
    if (auto* image = static_cast<const ImageRecord*>(m_images.Find(name))) return image;
    return static_cast<const ImageRecord*>(SharedResources::Get().images.Find(name));
}

const ImageRecord* CWindowUIManager::GetImageOrLoad(const wchar_t* name, const wchar_t* type, DWORD mask,
                                                    bool useHsl, HINSTANCE instance)
{
    if (const ImageRecord* image = GetImage(name)) return image;
    if (!AddImage(name, type, mask, useHsl, false, instance)) return nullptr;
    return GetImage(name);
}

bool CWindowUIManager::RemoveImage(const wchar_t* name, bool shared)
{
    CUIStringPtrMap& map = shared ? SharedResources::Get().images : m_images;
    auto* image = static_cast<ImageRecord*>(map.Find(name));
    if (!image) return false;
    map.Remove(name);
    CPainter::FreeImage(image);
    return true;
}

void CWindowUIManager::RemoveAllImages(bool shared) { DeleteImages(shared ? SharedResources::Get().images : m_images); }

const ImageDrawInfo* CWindowUIManager::GetImageDrawInfo(const wchar_t* description, const wchar_t* modify)
{
    const CUIString key = CUIString(description) + modify;
    if (key.IsEmpty()) return nullptr;
    if (auto* cached = static_cast<ImageDrawInfo*>(m_drawInfos.Find(key))) return cached;
    auto* info = new ImageDrawInfo();
    ParseImageDrawInfo(*info, description, modify, this);
    m_drawInfos.Set(key, info);
    return info;
}

void CWindowUIManager::RemoveAllImageDrawInfos() { DeleteDrawInfos(m_drawInfos); }

void CWindowUIManager::SetDefaultAttributeList(const wchar_t* className, const wchar_t* list, bool shared)
{
    StoreString(shared || m_useSharedResources ? SharedResources::Get().defaultAttributes : m_defaultAttributes,
                className, list);
}

const wchar_t* CWindowUIManager::GetDefaultAttributeList(const wchar_t* className) const
{
    auto* list = static_cast<const CUIString*>(m_defaultAttributes.Find(className));
    if (!list) list = static_cast<const CUIString*>(SharedResources::Get().defaultAttributes.Find(className));
    return list ? list->GetData() : nullptr;
}

void CWindowUIManager::RemoveAllDefaultAttributeList(bool shared)
{
    DeleteStrings(shared ? SharedResources::Get().defaultAttributes : m_defaultAttributes);
}

void CWindowUIManager::AddStyle(const wchar_t* name, const wchar_t* attributes, bool shared)
{
    StoreString(shared || m_useSharedResources ? SharedResources::Get().styles : m_styles, name, attributes);
}

const wchar_t* CWindowUIManager::GetStyle(const wchar_t* name) const
{
    if (!name || !*name) return nullptr;
    auto* style = static_cast<const CUIString*>(m_styles.Find(name));
    if (!style) style = static_cast<const CUIString*>(SharedResources::Get().styles.Find(name));
    return style ? style->GetData() : nullptr;
}

void CWindowUIManager::RemoveAllStyles(bool shared) { DeleteStrings(shared ? SharedResources::Get().styles : m_styles); }

void CWindowUIManager::SetDefaultColor(DWORD DefaultColors::*which, DWORD color, bool shared)
{
    if (!shared) {
        m_colors.*which = color;
        return;
    }
    DefaultColors& common = SharedResources::Get().colors;
    if (m_colors.*which == common.*which) m_colors.*which = color;
    common.*which = color;
}

void CWindowUIManager::SetDefaultDisabledColor(DWORD color, bool shared)
{
    SetDefaultColor(&DefaultColors::disabled, color, shared);
}
void CWindowUIManager::SetDefaultFontColor(DWORD color, bool shared)
{
    SetDefaultColor(&DefaultColors::font, color, shared);
}
void CWindowUIManager::SetDefaultLinkFontColor(DWORD color, bool shared)
{
    SetDefaultColor(&DefaultColors::linkFont, color, shared);
}
void CWindowUIManager::SetDefaultLinkHoverFontColor(DWORD color, bool shared)
{
    SetDefaultColor(&DefaultColors::linkHoverFont, color, shared);
}
void CWindowUIManager::SetDefaultSelectedBkColor(DWORD color, bool shared)
{
    SetDefaultColor(&DefaultColors::selectedBk, color, shared);
}

void CWindowUIManager::ResetDPIAssets()
{
    RemoveAllImageDrawInfos();
    RemoveAllImages();
    for (auto it = m_fonts.Begin(); it != m_fonts.End(); ++it) RecreateFont(*static_cast<FontInfo*>(it->second));
    if (m_defaultFont.hFont) RecreateFont(m_defaultFont);
    // Shared fonts and markup's variants stay as they are: other windows draw with them at their own
    // scale, and this one takes copies at its new scale (AtOwnScale).
    if (!m_root) return;
    CPtrArray richEdits;
    m_root->FindControl(&CollectRichEdits, &richEdits, FIND_ALL);
    // The text engine keeps the font it was given: each rich edit hands it the new one.
    for (int i = 0; i < richEdits.GetSize(); ++i) {
        auto* richEdit = static_cast<CRichEditUI*>(richEdits[i]);
        richEdit->SetFont(richEdit->GetFont());
    }
}

}  // namespace SkinUI
