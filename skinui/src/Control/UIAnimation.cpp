#include "Control/UIAnimation.h"

#include "Core/ControlUI.h"
#include "Core/WindowUIManager.h"

#include <algorithm>

namespace SkinUI {

CUIAnimation::Job* CUIAnimation::FindJob(UINT id) const
{
    for (const auto& job : m_jobs)
        if (job->id == id) return job.get();
    return nullptr;
}

void CUIAnimation::RemoveJob(UINT id)
{
    m_jobs.erase(std::remove_if(m_jobs.begin(), m_jobs.end(), [id](const auto& job) { return job->id == id; }),
                 m_jobs.end());
}

bool CUIAnimation::StartAnimation(int elapseMs, int totalFrames, UINT id, bool loop)
{
    if (FindJob(id) || elapseMs <= 0 || totalFrames <= 0 || !m_owner) return false;
    CWindowUIManager* manager = m_owner->GetManager();
    if (!manager || !manager->SetTimer(m_owner, id, static_cast<UINT>(elapseMs))) return false;
    m_jobs.push_back(std::make_unique<Job>(Job{id, elapseMs, totalFrames, 0, loop, true}));
    return true;
}

void CUIAnimation::StopAnimation(UINT id)
{
    if (!m_owner) return;
    CWindowUIManager* manager = m_owner->LiveManager();  // also runs while the owner is deleted
    if (id == 0) {
        for (const auto& job : m_jobs)
            if (manager) manager->KillTimer(m_owner, job->id);
        m_jobs.clear();
        return;
    }
    if (!FindJob(id)) return;
    if (manager) manager->KillTimer(m_owner, id);
    RemoveJob(id);
}

void CUIAnimation::ResumeAnimationsInNewWindow()
{
    if (!m_owner) return;
    CWindowUIManager* manager = m_owner->GetManager();
    m_jobs.erase(std::remove_if(m_jobs.begin(), m_jobs.end(),
                                [this, manager](const auto& job) {
                                    return !manager ||
                                           !manager->SetTimer(m_owner, job->id, static_cast<UINT>(job->elapseMs));
                                }),
                 m_jobs.end());
}

bool CUIAnimation::IsAnimationRunning(UINT id) const { return FindJob(id) != nullptr; }

int CUIAnimation::GetCurrentFrame(UINT id) const
{
    const Job* job = FindJob(id);
    return job ? job->currentFrame : -1;
}

bool CUIAnimation::SetCurrentFrame(int frame, UINT id)
{
    Job* job = FindJob(id);
    if (!job || frame < 0 || frame > job->totalFrames) return false;
    job->currentFrame = frame;
    return true;
}

void CUIAnimation::OnAnimationElapse(UINT id)
{
    if (!m_owner) return;
    Job* job = FindJob(id);
    if (!job) return;
    if (job->currentFrame == 0) {
        const bool firstLoop = job->firstLoop;
        job->firstLoop = false;
        OnAnimationStart(id, firstLoop);
        // A hook may have stopped the job.
        if (FindJob(id) != job) return;
    }
    OnAnimationStep(job->totalFrames, job->currentFrame, id);
    if (FindJob(id) != job) return;
    if (job->currentFrame >= job->totalFrames) {
        OnAnimationStop(id);
        if (FindJob(id) != job) return;
        if (!job->loop) {
            if (CWindowUIManager* manager = m_owner->GetManager()) manager->KillTimer(m_owner, id);
            RemoveJob(id);
            return;
        }
        job->currentFrame = 0;
    }
    ++job->currentFrame;
}

}  // namespace SkinUI
