#pragma once

#include "Control/LabelUI.h"

namespace SkinUI {

class CDateTimeWnd;

// A label showing a date as "yyyy-mm-dd"; while focused or clicked the platform's date picker is put over it.
class CDateTimeUI : public CLabelUI {
public:
    CDateTimeUI();
    ~CDateTimeUI() override;
    static CControlUI* CreateInstance() { return new CDateTimeUI(); }

    const wchar_t* GetClass() const override { return L"DateTime"; }
    void* GetInterface(const wchar_t* name) override;
    UINT GetControlFlags() const override;
    void HandleEvent(ControlEvent& event) override;
    void SetManager(CWindowUIManager* manager, CControlUI* parent, bool runInit = true) override;
    void SetVisible(bool visible = true) override;
    void SetInternalVisible(bool visible = true) override;

    const SYSTEMTIME& GetTime() const { return m_time; }
    void SetTime(const SYSTEMTIME& time);
    // 0 leaves the text, 1 writes the date into it, 2 clears it.
    int GetUpdateMode() const { return m_updateMode; }
    void SetUpdateMode(int mode) { m_updateMode = mode; }
    void UpdateText();
    HWND GetPickerWindow() const;

    // Used by the picker window.
    void OnPickerClosed() { m_window = nullptr; }

private:
    void OpenPicker();
    void ClosePicker();
    void ClosePickerWhenHidden();

    SYSTEMTIME m_time = {};
    int m_updateMode = 0;
    CDateTimeWnd* m_window = nullptr;
};

}  // namespace SkinUI
