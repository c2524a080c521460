#pragma once

#include "Utils/UIString.h"

#include <windows.h>

#include <vector>

namespace SkinUI {

class CWindowUIManager;

// How a computed shadow looks; colour is 0x00RRGGBB.
struct ShadowLook {
    int size = 0;
    int sharpness = 5;
    int darkness = 150;
    int offsetX = 0;
    int offsetY = 0;
    DWORD color = 0;
};

// One parent row's inside run [first, end) in parent coordinates; first >= end means the row is empty.
struct ShadowSpan {
    int first = 0;
    int end = 0;
};

// Fills the (W + 2n) x (H + 2n) premultiplied pixels, rows from the top, of the shadow of a parent W x H whose
// shape row by row is given by spans.
void RenderShadow(std::vector<DWORD>& pixels, int width, int height, const std::vector<ShadowSpan>& spans,
                  const ShadowLook& look);

// The drop shadow of a borderless top-level window: a layered, click-through popup kept right behind it.
class CShadowUI {
public:
    CShadowUI() = default;
    virtual ~CShadowUI();
    CShadowUI(const CShadowUI&) = delete;
    CShadowUI& operator=(const CShadowUI&) = delete;

    static bool Initialize(HINSTANCE instance);
    void Create(CWindowUIManager* manager);

    bool SetSize(int size);
    bool SetSharpness(unsigned int sharpness);
    bool SetDarkness(unsigned int darkness);
    bool SetPosition(int x, int y);
    bool SetColor(COLORREF color);
    bool SetShadowCorner(RECT corner);
    bool SetImage(const wchar_t* description);
    void ShowShadow(bool show) { m_show = show; }
    bool IsShowShadow() const { return m_show; }
    bool CopyShadow(CShadowUI* target) const;
    void Update(HWND parent);

    HWND GetShadowWindow() const { return m_window; }
    const ShadowLook& GetLook() const { return m_look; }

private:
    static LRESULT CALLBACK ParentProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    void OnParentMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    void Rerender();
    void MoveBehind(HWND parent);
    void RenderImage(HDC dc, int width, int height);

    enum Status : BYTE { kEnabled = 1, kVisible = 2, kParentVisible = 4 };

    CWindowUIManager* m_manager = nullptr;
    HWND m_window = nullptr;
    HWND m_parent = nullptr;
    WNDPROC m_previousProc = nullptr;
    BYTE m_status = 0;
    bool m_useImage = false;
    bool m_show = false;
    ShadowLook m_look;
    LPARAM m_lastParentSize = 0;
    bool m_updatePending = false;
    CUIString m_image;
    RECT m_corner = {0, 0, 0, 0};
};

}  // namespace SkinUI
