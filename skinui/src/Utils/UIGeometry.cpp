#include "Utils/UIGeometry.h"

#include <algorithm>

namespace SkinUI {

void CUIRect::Offset(int dx, int dy) { ::OffsetRect(this, dx, dy); }

void CUIRect::Deflate(int cx, int cy) { ::InflateRect(this, -cx, -cy); }

void CUIRect::MoveToOrigin() { Offset(-left, -top); }

void CUIRect::Union(const RECT& rc)
{
    left = std::min(left, rc.left);
    top = std::min(top, rc.top);
    right = std::max(right, rc.right);
    bottom = std::max(bottom, rc.bottom);
}

RECT DeflateRectBy(RECT rc, const RECT& inset)
{
    rc.left += inset.left;
    rc.top += inset.top;
    rc.right -= inset.right;
    rc.bottom -= inset.bottom;
    return rc;
}

}  // namespace SkinUI
