#include "Core/SkinBuildLimits.h"

#include "Core/ControlUI.h"
#include "Utils/ProcessUtils.h"

#include <algorithm>

namespace SkinUI {
namespace {

// The open build's budget, owned by the scope that opened it.
thread_local CSkinBuildBudget* t_build = nullptr;
thread_local int t_depth = 0;

int TreeDepth(const CControlUI* control)
{
    int depth = 0;
    for (; control; control = control->GetParent()) ++depth;
    return depth;
}

}  // namespace

CSkinBuildBudget::CSkinBuildBudget()
{
    if (t_build) return;
    t_build = this;
    m_opened = true;
}

CSkinBuildBudget::~CSkinBuildBudget()
{
    if (m_opened) t_build = nullptr;
}

bool CSkinBuildBudget::Take()
{
    if (!t_build) return true;
    if (t_build->m_controlsLeft > 0) {
        --t_build->m_controlsLeft;
        return true;
    }
    if (!t_build->m_countWarned) {
        DebugOutputFormat(L"SkinUI: Warning: Skin makes more than %d controls and inclusions; the rest is left out.\n",
                          SkinBuildLimits::kMaxControls);
        t_build->m_countWarned = true;
    }
    return false;
}

bool CSkinBuildBudget::NoteDepthWarning()
{
    if (!t_build) return false;
    const bool warned = t_build->m_depthWarned;
    t_build->m_depthWarned = true;
    return warned;
}

CSkinDepthBase::CSkinDepthBase(const CControlUI* parent) : m_saved(t_depth)
{
    t_depth = std::max(t_depth, TreeDepth(parent));
}

CSkinDepthBase::~CSkinDepthBase() { t_depth = m_saved; }

CSkinLevel::CSkinLevel() { ++t_depth; }

CSkinLevel::~CSkinLevel() { --t_depth; }

bool CSkinLevel::IsTooDeep() const
{
    if (t_depth <= SkinBuildLimits::kMaxElementDepth) return false;
    if (!CSkinBuildBudget::NoteDepthWarning())
        DebugOutputFormat(L"SkinUI: Warning: Skin elements nested deeper than %d levels are left out.\n",
                          SkinBuildLimits::kMaxElementDepth);
    return true;
}

}  // namespace SkinUI
