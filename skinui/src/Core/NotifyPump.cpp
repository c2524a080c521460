#include "Core/NotifyPump.h"

#include "Core/ControlUI.h"

namespace SkinUI {

const NotifyMapEntry CNotifyPump::s_notifyEntries[] = {
    {nullptr, nullptr, NotifySignature::End, nullptr, nullptr},
};
const NotifyMap CNotifyPump::s_notifyMap = {nullptr, CNotifyPump::s_notifyEntries};

bool CNotifyPump::AddVirtualWnd(const wchar_t* name, CNotifyPump* pump)
{
    if (!name || !*name || !pump || m_virtualWnds.Find(name)) return false;
    return m_virtualWnds.Set(name, pump);
}

bool CNotifyPump::RemoveVirtualWnd(const wchar_t* name) { return m_virtualWnds.Remove(name); }

bool CNotifyPump::NotifyPump(NotifyMessage& msg)
{
    if (!msg.sVirtualWnd.IsEmpty()) {
        for (auto it = m_virtualWnds.Begin(); it != m_virtualWnds.End(); ++it) {
            if (it->first.CompareNoCase(msg.sVirtualWnd) == 0 &&
                LoopDispatch(static_cast<CNotifyPump*>(it->second), msg))
                return true;
        }
    }
    return LoopDispatch(this, msg);
}

bool CNotifyPump::LoopDispatch(CNotifyPump* pump, NotifyMessage& msg)
{
    // A notification whose sender was released matches only entries for any control.
    const CUIString senderName = msg.pSender ? msg.pSender->GetName() : CUIString();
    for (const NotifyMap* map = pump->GetMessageMap(); map; map = map->base) {
        const NotifyMapEntry* exact = nullptr;
        const NotifyMapEntry* fallback = nullptr;
        for (const NotifyMapEntry* entry = map->entries; entry->signature != NotifySignature::End; ++entry) {
            if (!(msg.sType == entry->type)) continue;
            const bool anyControl = !entry->controlName || !*entry->controlName;
            if (anyControl) {
                fallback = entry;
            } else if (senderName == entry->controlName) {
                exact = entry;
                break;
            }
        }
        const NotifyMapEntry* chosen = exact ? exact : fallback;
        if (!chosen) continue;
        if (chosen->signature == NotifySignature::Message) {
            (pump->*chosen->onMessage)(msg);
            return true;
        }
        if (chosen->signature == NotifySignature::Params) {
            (pump->*chosen->onParams)(msg.wParam, msg.lParam);
            return true;
        }
        return false;
    }
    return false;
}

}  // namespace SkinUI
