#pragma once

#include "Control/LabelUI.h"

namespace SkinUI {

// A label whose text scrolls through its rectangle, one step per tick of its window timer.
class CRollTextUI : public CLabelUI {
public:
    enum Direction { kLeft = 0, kRight = 1, kUp = 2, kDown = 3 };

    CRollTextUI() = default;
    ~CRollTextUI() override;
    static CControlUI* CreateInstance() { return new CRollTextUI(); }

    const wchar_t* GetClass() const override { return L"RollText"; }
    void* GetInterface(const wchar_t* name) override;
    void SetText(const wchar_t* text) override;
    void SetPos(RECT rc, bool invalidate = true) override;
    // Moved while rolling: rolls on in the new window, with what is left of its time limit.
    void SetManager(CWindowUIManager* manager, CControlUI* parent, bool runInit = true) override;
    void HandleEvent(ControlEvent& event) override;
    void PaintText(HDC hdc) override;

    // Starts rolling in a direction, one step every tickMs; with a time limit above 0 the rolling ends
    // after that many milliseconds with "textrollend".
    bool BeginRoll(int direction = kLeft, UINT tickMs = 100, UINT timeLimitMs = 0);
    void EndRoll();
    int GetOffset() const { return m_offset; }
    int GetTextLength() const { return m_textLength; }
    int GetDirection() const { return m_direction; }

    static constexpr UINT kTickTimer = 20;
    static constexpr UINT kEndTimer = 21;

private:
    int m_step = 5;
    int m_offset = 0;
    int m_direction = kLeft;
    int m_textLength = 0;
    UINT m_tickMs = 0;  // 0: not rolling
    DWORD m_endAt = 0;  // tick count of the time limit; 0: none pending
};

}  // namespace SkinUI
