#include "Core/SharedResources.h"

#include "Core/Painter.h"

namespace SkinUI {

SharedResources& SharedResources::Get()
{
    static SharedResources shared;
    return shared;
}

void DeleteFonts(CUIStringPtrMap& fonts)
{
    for (auto it = fonts.Begin(); it != fonts.End(); ++it) {
        auto* info = static_cast<FontInfo*>(it->second);
        ::DeleteObject(info->hFont);
        delete info;
    }
    fonts.RemoveAll();
}

void DeleteScaledFonts(const FontInfo* of)
{
    auto& copies = SharedResources::Get().scaledFonts;
    for (auto it = copies.begin(); it != copies.end();) {
        if (of && it->first.first != of) {
            ++it;
            continue;
        }
        ::DeleteObject(it->second.hFont);
        it = copies.erase(it);
    }
}

void DeleteImages(CUIStringPtrMap& images)
{
    for (auto it = images.Begin(); it != images.End(); ++it) CPainter::FreeImage(static_cast<ImageRecord*>(it->second));
    images.RemoveAll();
}

void DeleteStrings(CUIStringPtrMap& strings)
{
    for (auto it = strings.Begin(); it != strings.End(); ++it) delete static_cast<CUIString*>(it->second);
    strings.RemoveAll();
}

void DeleteDrawInfos(CUIStringPtrMap& drawInfos)
{
    for (auto it = drawInfos.Begin(); it != drawInfos.End(); ++it) delete static_cast<ImageDrawInfo*>(it->second);
    drawInfos.RemoveAll();
}

}  // namespace SkinUI
