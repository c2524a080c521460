#pragma once

namespace SkinUI {

class CControlUI;

// What one skin build may ask for, whatever the skin says: every nesting level costs stack in building,
// layout, painting, input and deletion, and every control costs time and memory.
namespace SkinBuildLimits {
// Element levels counted from the window's root through included files and child layouts together.
constexpr int kMaxElementDepth = 256;
// Controls created plus files included by one build (an included file counts each time it is built).
constexpr int kMaxControls = 50000;
}  // namespace SkinBuildLimits

// One build's budget of controls and inclusions. The outermost scope on the thread opens it; scopes opened
// while it lives (included files, child layouts initialised meanwhile) share it.
class CSkinBuildBudget {
public:
    CSkinBuildBudget();
    ~CSkinBuildBudget();
    CSkinBuildBudget(const CSkinBuildBudget&) = delete;
    CSkinBuildBudget& operator=(const CSkinBuildBudget&) = delete;

    // Takes one control or inclusion; false once the budget is spent (the first time with a debugger warning).
    static bool Take();
    // Whether the depth limit was already reported in the open build; notes that it is now.
    static bool NoteDepthWarning();

private:
    bool m_opened = false;
    int m_controlsLeft = SkinBuildLimits::kMaxControls;
    bool m_countWarned = false;
    bool m_depthWarned = false;
};

// The elements a child layout or a build into an existing parent adds start below that parent: the depth
// of the parent in its tree counts towards the limit while this lives.
class CSkinDepthBase {
public:
    explicit CSkinDepthBase(const CControlUI* parent);
    ~CSkinDepthBase();
    CSkinDepthBase(const CSkinDepthBase&) = delete;
    CSkinDepthBase& operator=(const CSkinDepthBase&) = delete;

private:
    int m_saved;
};

// One level of elements deeper while it lives.
class CSkinLevel {
public:
    CSkinLevel();
    ~CSkinLevel();
    CSkinLevel(const CSkinLevel&) = delete;
    CSkinLevel& operator=(const CSkinLevel&) = delete;

    // True beyond the depth limit (the first time in a build with a debugger warning).
    bool IsTooDeep() const;
};

}  // namespace SkinUI
