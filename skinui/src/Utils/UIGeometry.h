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

class CUISize : public SIZE {
public:
    CUISize() : SIZE{0, 0} {}
    CUISize(const SIZE& size) : SIZE(size) {}
    CUISize(int cx, int cy) : SIZE{cx, cy} {}
};

}  // namespace SkinUI
