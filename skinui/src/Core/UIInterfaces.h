#pragma once

#include "Core/UIEvents.h"

namespace SkinUI {

class INotifyUI {
public:
    virtual ~INotifyUI() = default;
    virtual void Notify(NotifyMessage& msg) = 0;
};

class IMessageFilterUI {
public:
    virtual ~IMessageFilterUI() = default;
    virtual LRESULT MessageHandler(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled) = 0;
};

class IDialogBuilderCallback {
public:
    virtual ~IDialogBuilderCallback() = default;
    virtual CControlUI* CreateControl(const wchar_t* className) = 0;
};

class IQueryControlText {
public:
    virtual ~IQueryControlText() = default;
    virtual const wchar_t* QueryControlText(const wchar_t* id, const wchar_t* type) = 0;
};

class ITranslateAccelerator {
public:
    virtual ~ITranslateAccelerator() = default;
    // 0 means the message was consumed.
    virtual LRESULT TranslateAccelerator(MSG* msg) = 0;
};

}  // namespace SkinUI

namespace SkinUI {

// Answered through GetInterface(L"WantTab") by controls that may keep the Tab key (rich edit).
class IWantTabUI {
public:
    virtual ~IWantTabUI() = default;
    virtual bool IsWantTab() const = 0;
};

}  // namespace SkinUI
