#pragma once

#include "Core/WindowUIManager.h"
#include "../Core/PaintedRects.h"
#include "../Core/SkinTestData.h"
#include "TestImages.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <functional>

namespace SkinUI::Testing {

// Lays the control over the whole canvas, from its corner, and paints it there.
inline void PaintOnto(CControlUI& control, const Canvas& canvas)
{
    control.SetPos(canvas.Bounds());
    control.Paint(canvas.dc(), canvas.Bounds(), nullptr);
}

// Runs a bar's table: each row gets a fresh Bar in a window of the row's scale, painted once in its colour and
// once as a blue square image of imageSide pixels, and both places must be the row's. `beforePaint` may look at
// the bar as the row left it, before anything is painted.
template <class Bar, std::size_t N>
void ExpectEachBarRowPainted(const BarCase (&rows)[N], const wchar_t* colourAttribute, const wchar_t* imageAttribute,
                             int imageSide, int canvasSize,
                             const std::function<void(Bar&, const BarCase&)>& beforePaint = nullptr)
{
    SkinZipScope zip;
    TempImageFile blue("bar.bmp", MakeBmp(imageSide, imageSide, 0x0000FF));
    for (const BarCase& row : rows) {
        SCOPED_TRACE(row.Name());
        CWindowUIManager manager;
        Bar bar;
        SetUpBar(manager, bar, row);
        if (beforePaint) beforePaint(bar, row);
        const PaintedRects painted =
            PaintColourThenImage(bar, colourAttribute, imageAttribute, blue.Path(), canvasSize);
        EXPECT_EQ(row.colour, painted.colour);
        EXPECT_EQ(row.image, painted.image);
    }
}

}  // namespace SkinUI::Testing
