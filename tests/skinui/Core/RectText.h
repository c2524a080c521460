#pragma once

#include <windows.h>

#include <string>

namespace SkinUI::Testing {

// A rectangle as "left,top,right,bottom", so that a table's expected rectangle and the one a control
// took compare in one assertion and a mismatch reads plainly.
inline std::string RectText(const RECT& rc)
{
    return std::to_string(rc.left) + "," + std::to_string(rc.top) + "," + std::to_string(rc.right) + "," +
           std::to_string(rc.bottom);
}

}  // namespace SkinUI::Testing
