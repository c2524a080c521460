#pragma once

#include "Core/WindowWnd.h"

namespace SkinUI {

class CPlaceHolderUI;
class CWindowUIManager;

// The native child window of a place holder; reports its size changes to the owner's callback.
class CPlaceHolderWnd : public CWindowWnd {
public:
    CPlaceHolderWnd(CPlaceHolderUI* owner, CWindowUIManager* manager, DWORD color, bool colorSet)
        : m_owner(owner), m_manager(manager), m_color(color), m_colorSet(colorSet)
    {
    }

    void Detach() { m_owner = nullptr; }
    void SetColor(DWORD color);
    bool IsColorSet() const { return m_colorSet; }

protected:
    const wchar_t* GetWindowClassName() const override { return L"PlaceHolderWindowClass"; }
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void OnFinalMessage(HWND hwnd) override;

private:
    CPlaceHolderUI* m_owner;
    CWindowUIManager* m_manager;
    DWORD m_color;
    bool m_colorSet;
};

}  // namespace SkinUI
