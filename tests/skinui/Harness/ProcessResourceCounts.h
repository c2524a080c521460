#pragma once

#include <string>

namespace SkinUI::Testing {

// The process's GDI objects, USER objects and kernel handles. Under Wine, which answers 0 for all
// three, they are counted from its GDI handle table (regions left out), the process's windows and the
// system's handle list.
struct ProcessResourceCounts {
    unsigned gdiObjects = 0;
    unsigned userObjects = 0;
    unsigned handles = 0;

    static ProcessResourceCounts Now();
    // True when no count is higher than that of level.
    bool NotAbove(const ProcessResourceCounts& level) const;
    std::string Describe() const;
};

}  // namespace SkinUI::Testing
