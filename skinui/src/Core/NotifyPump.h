#pragma once

#include "Core/UIEvents.h"
#include "Utils/StringPtrMap.h"

namespace SkinUI {

class CNotifyPump;

enum class NotifySignature { End = 0, Params = 1, Message = 2 };

using NotifyMessageHandler = void (CNotifyPump::*)(NotifyMessage&);
using NotifyParamsHandler = void (CNotifyPump::*)(WPARAM, LPARAM);

// One entry of a static notification map; an empty control name matches any control.
struct NotifyMapEntry {
    const wchar_t* type;
    const wchar_t* controlName;
    NotifySignature signature;
    NotifyMessageHandler onMessage;
    NotifyParamsHandler onParams;
};

struct NotifyMap {
    const NotifyMap* base;
    const NotifyMapEntry* entries;
};

// Dispatches notifications to member handlers through static maps, and to named virtual windows.
class CNotifyPump {
public:
    virtual ~CNotifyPump() = default;

    bool NotifyPump(NotifyMessage& msg);
    bool AddVirtualWnd(const wchar_t* name, CNotifyPump* pump);
    bool RemoveVirtualWnd(const wchar_t* name);

protected:
    virtual const NotifyMap* GetMessageMap() const { return &s_notifyMap; }
    static const NotifyMap s_notifyMap;

private:
    static bool LoopDispatch(CNotifyPump* pump, NotifyMessage& msg);

    CUIStringPtrMap m_virtualWnds;
    static const NotifyMapEntry s_notifyEntries[];
};

}  // namespace SkinUI

// Declares a class's notification map (inside the class body).
#define SKINUI_DECLARE_NOTIFY_MAP()                                                  \
protected:                                                                           \
    const ::SkinUI::NotifyMap* GetMessageMap() const override { return &s_notifyMap; } \
    static const ::SkinUI::NotifyMap s_notifyMap;                                    \
                                                                                     \
private:                                                                             \
    static const ::SkinUI::NotifyMapEntry s_notifyEntries[];

#define SKINUI_BEGIN_NOTIFY_MAP(theClass, baseClass)                                      \
    const ::SkinUI::NotifyMap theClass::s_notifyMap = {&baseClass::s_notifyMap, theClass::s_notifyEntries}; \
    const ::SkinUI::NotifyMapEntry theClass::s_notifyEntries[] = {

// Handler taking the notification record.
#define SKINUI_NOTIFY(type, controlName, memberFn)                                        \
    {type, controlName, ::SkinUI::NotifySignature::Message,                              \
     static_cast<::SkinUI::NotifyMessageHandler>(memberFn), nullptr},

// Handler taking the notification's wParam and lParam.
#define SKINUI_NOTIFY_PARAMS(type, controlName, memberFn)                                 \
    {type, controlName, ::SkinUI::NotifySignature::Params, nullptr,                      \
     static_cast<::SkinUI::NotifyParamsHandler>(memberFn)},

#define SKINUI_END_NOTIFY_MAP()                                                           \
    {nullptr, nullptr, ::SkinUI::NotifySignature::End, nullptr, nullptr}                 \
    }                                                                                    \
    ;
