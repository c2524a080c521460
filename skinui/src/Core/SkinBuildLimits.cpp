#include "Core/SkinBuildLimits.h"

#include "Core/ControlUI.h"
#include "Utils/ProcessUtils.h"

#include <algorithm>

namespace SkinUI {
namespace {

struct BuildState {
    int controlsLeft = SkinBuildLimits::kMaxControls;
    bool countWarned = false;
    bool depthWarned = false;
};

thread_local BuildState* t_build = nullptr;
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
    t_build = new BuildState();
    m_opened = true;
}

CSkinBuildBudget::~CSkinBuildBudget()
{
    if (!m_opened) return;
    delete t_build;
    t_build = nullptr;
}

bool CSkinBuildBudget::Take()
{
    if (!t_build) return true;
    if (t_build->controlsLeft > 0) {
        --t_build->controlsLeft;
        return true;
    }
    if (!t_build->countWarned) {
        DebugOutputFormat(L"SkinUI: Warning: Skin makes more than %d controls and inclusions; the rest is left out.\n",
                          SkinBuildLimits::kMaxControls);
        t_build->countWarned = true;
    }
    return false;
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
    if (!t_build || !t_build->depthWarned) {
        DebugOutputFormat(L"SkinUI: Warning: Skin elements nested deeper than %d levels are left out.\n",
                          SkinBuildLimits::kMaxElementDepth);
        if (t_build) t_build->depthWarned = true;
    }
    return true;
}

}  // namespace SkinUI
