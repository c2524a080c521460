#pragma once

#include "Core/WindowWnd.h"

namespace SkinUI {

class CDateTimeUI;

// The system date picker laid over a date field; closes itself when it loses the focus with its calendar shut.
class CDateTimeWnd : public CWindowWnd {
public:
    explicit CDateTimeWnd(CDateTimeUI* owner) : m_owner(owner) {}

    // False when no window could be made.
    bool Init();
    void Detach() { m_owner = nullptr; }

protected:
    const wchar_t* GetWindowClassName() const override { return L"DateTimeWnd"; }
    const wchar_t* GetSuperClassName() const override { return L"SysDateTimePick32"; }
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void OnFinalMessage(HWND hwnd) override;

private:
    RECT CalcPos() const;
    void ReadDateIntoOwner();

    CDateTimeUI* m_owner;
    bool m_initialised = false;
    bool m_dropDownOpen = false;
    SYSTEMTIME m_oldTime = {};
};

}  // namespace SkinUI
