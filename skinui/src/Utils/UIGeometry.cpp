#include "Utils/UIGeometry.h"

#include <algorithm>
#include <climits>

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

int ClampMinThenMax(int value, int min, int max) { return std::min(std::max(value, min), max); }

long long MulDiv64(long long a, long long b, long long c) { return c == 0 ? 0 : a * b / c; }

long long MulDivRounded64(long long a, long long b, long long c)
{
    if (c == 0) return 0;
    const long long product = a * b;
    const long long half = (c < 0 ? -c : c) / 2;
    const bool negative = (product < 0) != (c < 0);
    const long long magnitude = ((product < 0 ? -product : product) + half) / (c < 0 ? -c : c);
    return negative ? -magnitude : magnitude;
}

int MulDivRounded(long long a, long long b, long long c) { return ClampToInt(MulDivRounded64(a, b, c)); }

int ClampToInt(long long v) { return static_cast<int>(std::clamp<long long>(v, INT_MIN, INT_MAX)); }

}  // namespace SkinUI
