#pragma once

#include <windows.h>

namespace SkinUI {

class CUIRect : public RECT {
public:
    CUIRect() : RECT{0, 0, 0, 0} {}
    CUIRect(const RECT& rc) : RECT(rc) {}
    CUIRect(int l, int t, int r, int b) : RECT{l, t, r, b} {}

    int GetWidth() const { return right - left; }
    int GetHeight() const { return bottom - top; }
    bool IsEmpty() const { return right <= left || bottom <= top; }
    void Offset(int dx, int dy);
    void Deflate(int cx, int cy);
    void MoveToOrigin();
    void Union(const RECT& rc);
};

// rc shrunk by each side of inset (left, top, right, bottom).
RECT DeflateRectBy(RECT rc, const RECT& inset);

// value raised to min and then lowered to max: a maximum below the minimum wins (std::clamp forbids it).
int ClampMinThenMax(int value, int min, int max);

// a * b / c truncated toward zero, 0 when c is 0. Mapping a value range onto pixels multiplies a span of
// up to 2^32 by a length, which overflows 32 bits long before either factor does; callers keep one factor
// a pixel length so the product fits 64 bits.
long long MulDiv64(long long a, long long b, long long c);

// a * b / c rounded half away from zero like MulDiv, but brought into the int range where MulDiv answers -1
// on overflow; 0 when c is 0.
int MulDivRounded(long long a, long long b, long long c);
// The same without the int range: the caller keeps a * b within 64 bits.
long long MulDivRounded64(long long a, long long b, long long c);

// v brought into the int range (sums of a position and a step near INT_MAX).
int ClampToInt(long long v);

class CUISize : public SIZE {
public:
    CUISize() : SIZE{0, 0} {}
    CUISize(const SIZE& size) : SIZE(size) {}
    CUISize(int cx, int cy) : SIZE{cx, cy} {}
};

}  // namespace SkinUI
