#include "Control/NativeFieldRect.h"

#include "Control/LabelUI.h"
#include "Core/WindowUIManager.h"
#include "Utils/UIGeometry.h"

namespace SkinUI {

RECT NativeFieldRect(const CLabelUI& field)
{
    RECT pos = DeflateRectBy(field.GetPos(), field.GetTextPadding());
    CWindowUIManager* manager = field.GetManager();
    const FontInfo* font = manager ? manager->GetFontInfo(field.GetFont()) : nullptr;
    const LONG textHeight = font ? font->tm.tmHeight : 0;
    const LONG height = pos.bottom - pos.top;
    if (textHeight > 0 && textHeight < height) {
        pos.top += (height - textHeight) / 2;
        pos.bottom = pos.top + textHeight;
    }
    return pos;
}

}  // namespace SkinUI
