#pragma once

#include "Control/EditUI.h"

namespace SkinUI {

// An IPv4 address field drawn as four columns and edited octet by octet with keys, clicks and the wheel,
// without a native edit window.
class CIPAddressUI : public CEditUI {
public:
    CIPAddressUI();
    static CControlUI* CreateInstance() { return new CIPAddressUI(); }

    const wchar_t* GetClass() const override { return L"IPAddress"; }
    void* GetInterface(const wchar_t* name) override;
    void HandleEvent(ControlEvent& event) override;
    void PaintText(HDC hdc) override;

    int GetOctet(int index) const { return index >= 0 && index < 4 ? m_octets[index] : 0; }
    // 0 none, 1..4 the octet being edited.
    int GetSegment() const { return m_segment; }

private:
    void RewriteText();
    void ApplyTyped();
    void StepOctet(int delta);
    void HandleKey(wchar_t key);

    int m_octets[4] = {0, 0, 0, 0};
    int m_segment = 0;
    wchar_t m_lastKey = 0;
    CUIString m_typed;
};

}  // namespace SkinUI
