#pragma once

#include "Utils/TimerBase.h"

#include <functional>
#include <utility>

namespace SkinUI {

// A timer-queue timer that calls one function object on its thread.
class Timer : public TimerBase {
public:
    explicit Timer(std::function<void()> callback = {}) : m_callback(std::move(callback)) {}
    ~Timer() override
    {
        // The callback may still run until the timer is gone; stop before the callable is destroyed.
        Stop(true);
    }

protected:
    void OnTimer() override
    {
        if (m_callback) m_callback();
    }

private:
    std::function<void()> m_callback;
};

}  // namespace SkinUI
