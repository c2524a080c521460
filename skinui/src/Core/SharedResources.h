#pragma once

#include "Core/WindowUIManager.h"
#include "Core/ZipArchive.h"

#include <map>
#include <memory>
#include <utility>

namespace SkinUI {

// Process-wide resources every window falls back to, and the skin source. UI thread only.
struct SharedResources {
    DefaultColors colors;
    FontInfo defaultFont;
    CUIStringPtrMap fonts;
    // Bold, italic and underlined variants made for markup text; no skin id reaches them.
    CUIStringPtrMap styledFonts;
    // Copies of the shared fonts and of the shared default font for windows of another scale, by the
    // record copied and the pixel height: one per font and scale, freed with the font.
    std::map<std::pair<const FontInfo*, LONG>, FontInfo> scaledFonts;
    CUIStringPtrMap images;
    CUIStringPtrMap defaultAttributes;
    CUIStringPtrMap styles;
    CPtrArray controlCreators;
    CUIString resourcePath;
    CUIString zipName;
    CUIString zipPassword;
    std::unique_ptr<CZipArchive> zip;
    HPEN redPen = nullptr;
    // Colour adjustment of images and HSL-following controls; nothing in the framework switches it on.
    bool hslEnabled = false;
    short hue = 180;
    short saturation = 100;
    short lightness = 100;

    static SharedResources& Get();
};

// Deleting the values of the resource maps, then emptying them.
void DeleteFonts(CUIStringPtrMap& fonts);
void DeleteImages(CUIStringPtrMap& images);
void DeleteStrings(CUIStringPtrMap& strings);
void DeleteDrawInfos(CUIStringPtrMap& drawInfos);
// Deleting the scaled copies of one shared font record, or of all of them without one.
void DeleteScaledFonts(const FontInfo* of = nullptr);

}  // namespace SkinUI
