#pragma once

#include "Core/UIEvents.h"
#include "Core/UIInterfaces.h"

#include <vector>

namespace SkinUI::Testing {

// Records the notifications of one window in order.
class NoteLog : public INotifyUI {
public:
    std::vector<NotifyMessage> seen;
    void Notify(NotifyMessage& msg) override { seen.push_back(msg); }
    int Count(const wchar_t* type, const CControlUI* sender = nullptr) const
    {
        int count = 0;
        for (const NotifyMessage& msg : seen)
            count += msg.sType == type && (!sender || msg.pSender == sender);
        return count;
    }
};

inline ControlEvent MakeEvent(int type, int x = 0, int y = 0, WPARAM wParam = 0)
{
    ControlEvent event;
    event.Type = type;
    event.ptMouse = POINT{x, y};
    event.wParam = wParam;
    return event;
}

}  // namespace SkinUI::Testing
