#pragma once

#include "Core/ControlUI.h"

#include <functional>

namespace SkinUI {

class CPlaceHolderWnd;

// Reserves its rectangle with a native child window, for content drawn by someone other than the framework.
class CPlaceHolderUI : public CControlUI {
public:
    using SizeCallback = std::function<void(const CUIString& name)>;

    CPlaceHolderUI() = default;
    ~CPlaceHolderUI() override;
    static CControlUI* CreateInstance() { return new CPlaceHolderUI(); }

    const wchar_t* GetClass() const override { return L"PlaceHolder"; }
    void* GetInterface(const wchar_t* name) override;
    void InitControl() override;
    void SetManager(CWindowUIManager* manager, CControlUI* parent, bool runInit = true) override;
    void SetPos(RECT rc, bool invalidate = true) override;
    void SetVisible(bool visible = true) override;
    void SetInternalVisible(bool visible = true) override;
    void SetAttribute(const wchar_t* name, const wchar_t* value) override;

    HWND GetNativeWindow() const;
    DWORD GetPlaceHolderColor() const { return m_color; }
    // Whether the window paints itself in the colour (set once a "bkcolor" was given).
    bool IsWindowColorSet() const;
    // Called with the control's name whenever its window changes size.
    void SetSizeCallback(SizeCallback callback) { m_sizeCallback = std::move(callback); }
    const SizeCallback& GetSizeCallback() const { return m_sizeCallback; }

    // Used by the native window.
    void OnNativeWindowClosed() { m_window = nullptr; }

private:
    void ShowNativeWindow() const;

    CPlaceHolderWnd* m_window = nullptr;
    DWORD m_color = 0xFFFFFFFF;
    bool m_colorSet = false;
    SizeCallback m_sizeCallback;
};

}  // namespace SkinUI
