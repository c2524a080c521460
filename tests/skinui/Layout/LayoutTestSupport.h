#pragma once

#include "Layout/BoxLayout.h"

#include <memory>

namespace SkinUI::Testing {

// A vertical or a horizontal layout, for tables that run the same cases along both axes.
inline std::unique_ptr<CBoxLayoutUI> MakeBoxLayout(bool vertical)
{
    if (vertical) return std::make_unique<CVerticalLayoutUI>();
    return std::make_unique<CHorizontalLayoutUI>();
}

}  // namespace SkinUI::Testing
