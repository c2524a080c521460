#pragma once

#include "Core/WindowWnd.h"

namespace SkinUI {

class CEditUI;

// The system edit window laid over an edit box while it has the focus; closes itself when the focus goes.
class CEditWnd : public CWindowWnd {
public:
    explicit CEditWnd(CEditUI* owner) : m_owner(owner) {}
    ~CEditWnd() override;

    // False when no window could be made (then it may already have deleted itself, see CEditUI).
    bool Init();
    // The box is going away: its window no longer reports to it.
    void Detach() { m_owner = nullptr; }
    // The rectangle over the box: inside its text padding, one text line high and centred, cut by the
    // client areas of its ancestors (empty when one of them is hidden).
    RECT CalcPos() const;

protected:
    const wchar_t* GetWindowClassName() const override { return L"EditWnd"; }
    const wchar_t* GetSuperClassName() const override { return L"Edit"; }
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void OnFinalMessage(HWND hwnd) override;

private:
    LRESULT OnEditChanged(WPARAM wParam, LPARAM lParam);
    LRESULT OnColor(HDC hdc);

    CEditUI* m_owner;
    HBRUSH m_brush = nullptr;
    bool m_initialised = false;
};

}  // namespace SkinUI
