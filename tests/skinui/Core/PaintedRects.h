#pragma once

#include "Control/ProgressUI.h"
#include "Core/ControlUI.h"
#include "SkinTestData.h"

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

struct PaintedRects {
    std::string colour;
    std::string image;
};

// Where a control's part shows, painted once in a colour (green, through colourAttribute) and once as an
// image (a blue file, through imageAttribute, with the colour taken away).
inline PaintedRects PaintColourThenImage(CControlUI& control, const wchar_t* colourAttribute,
                                         const wchar_t* imageAttribute, const std::wstring& blueImage, int canvasSize)
{
    PaintedRects painted;
    control.SetAttribute(colourAttribute, L"#FF00FF00");
    Canvas coloured(canvasSize, canvasSize);
    control.Paint(coloured.dc(), coloured.Bounds(), nullptr);
    painted.colour = RectText(coloured.BoundsOf(0x00FF00));
    control.SetAttribute(colourAttribute, L"#00000000");
    control.SetAttribute(imageAttribute, (L"file='" + blueImage + L"'").c_str());
    Canvas imaged(canvasSize, canvasSize);
    control.Paint(imaged.dc(), imaged.Bounds(), nullptr);
    painted.image = RectText(imaged.BoundsOf(0x0000FF));
    return painted;
}

// One row of a bar's table: a progress bar or a slider at a scale, its rectangle and range, and the
// rectangles (as RectText) a user should see filled in the colour and by the image.
struct BarCase {
    int dpi;
    bool horizontal;
    RECT item;
    int min, max, value;
    const char* colour;
    const char* image;

    std::string Name() const
    {
        return std::to_string(dpi) + " dpi, " + (horizontal ? "horizontal " : "vertical ") + std::to_string(value) +
               " in " + std::to_string(min) + ".." + std::to_string(max);
    }
};

// Puts the bar in the row's window scale, direction, range and place.
inline void SetUpBar(CWindowUIManager& manager, CProgressUI& bar, const BarCase& row)
{
    manager.GetDpiScaler()->SetDPI(row.dpi);
    bar.SetManager(&manager, nullptr, false);
    bar.SetAttribute(L"hor", row.horizontal ? L"true" : L"false");
    bar.SetAttribute(L"min", std::to_wstring(row.min).c_str());
    bar.SetAttribute(L"max", std::to_wstring(row.max).c_str());
    bar.SetAttribute(L"value", std::to_wstring(row.value).c_str());
    bar.SetPos(row.item);
}

}  // namespace SkinUI::Testing
