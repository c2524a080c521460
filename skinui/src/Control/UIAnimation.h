#pragma once

#include <windows.h>

#include <memory>
#include <vector>

namespace SkinUI {

class CControlUI;

// Frame-counted animations of one control, each job driven by the window's timer of the same id.
class IUIAnimation {
public:
    virtual ~IUIAnimation() = default;
    virtual bool StartAnimation(int elapseMs, int totalFrames, UINT id = 0, bool loop = false) = 0;
    virtual void StopAnimation(UINT id = 0) = 0;
    virtual bool IsAnimationRunning(UINT id) const = 0;
    virtual int GetCurrentFrame(UINT id = 0) const = 0;
    virtual bool SetCurrentFrame(int frame, UINT id = 0) = 0;
    virtual void OnAnimationStep(int totalFrames, int currentFrame, UINT id) = 0;
    virtual void OnAnimationStart(UINT id, bool firstLoop) = 0;
    virtual void OnAnimationStop(UINT id) = 0;
    virtual void OnAnimationElapse(UINT id) = 0;
};

// The owner forwards its timer events to OnAnimationElapse and overrides the hooks. Destruction does not
// kill timers: owners stop their jobs first when they need to.
class CUIAnimation : public IUIAnimation {
public:
    explicit CUIAnimation(CControlUI* owner) : m_owner(owner) {}
    ~CUIAnimation() override = default;
    CUIAnimation(const CUIAnimation&) = delete;
    CUIAnimation& operator=(const CUIAnimation&) = delete;

    bool StartAnimation(int elapseMs, int totalFrames, UINT id = 0, bool loop = false) override;
    void StopAnimation(UINT id = 0) override;
    bool IsAnimationRunning(UINT id) const override;
    int GetCurrentFrame(UINT id = 0) const override;
    bool SetCurrentFrame(int frame, UINT id = 0) override;
    void OnAnimationStep(int, int, UINT) override {}
    void OnAnimationStart(UINT, bool) override {}
    void OnAnimationStop(UINT) override {}
    void OnAnimationElapse(UINT id) override;
    // The window the owner left let go of its timers: each job goes on with a timer of the owner's
    // window now, or ends when it has none.
    void ResumeAnimationsInNewWindow();

private:
    struct Job {
        UINT id;
        int elapseMs;
        int totalFrames;
        int currentFrame = 0;
        bool loop;
        bool firstLoop = true;
    };

    Job* FindJob(UINT id) const;
    void RemoveJob(UINT id);

    CControlUI* m_owner;
    std::vector<std::unique_ptr<Job>> m_jobs;
};

}  // namespace SkinUI
