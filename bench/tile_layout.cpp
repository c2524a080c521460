// Benchmark: how long one SetPos of a tile layout, and of a list whose rows tile (and one scroll step of
// it), takes for a growing number of children. Run under Wine; time that grows with the square of the
// count (ten times the children, a hundred times the time) means a row is placed by walking the children
// before it.
#include "Control/UIList.h"
#include "Control/UIListElement.h"
#include "Layout/TileLayoutUI.h"

#include <chrono>
#include <cstdio>

int main()
{
    for (const int count : {2000, 20000}) {
        SkinUI::CTileLayoutUI tiles;
        tiles.SetAttribute(L"columns", L"4");
        for (int i = 0; i < count; ++i) {
            auto* child = new SkinUI::CControlUI();
            child->SetAttribute(L"height", i % 3 == 0 ? L"30" : L"20");
            tiles.Add(child);
        }
        const auto begin = std::chrono::steady_clock::now();
        tiles.SetPos(RECT{0, 0, 400, 300});
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
        std::printf("children %d SetPos %.4f s\n", count, seconds);
    }
    for (const int count : {2000, 20000}) {
        SkinUI::CListUI list;
        list.EnableScrollBar();
        for (int i = 0; i < count; ++i) {
            auto* tile = new SkinUI::CListContainerElementUI();
            tile->SetFixedWidth(100);
            tile->SetFixedHeight(50);
            tile->SetVisible(i % 7 != 0);  // hidden tiles take no cell
            list.Add(tile);
        }
        const auto begin = std::chrono::steady_clock::now();
        list.SetPos(RECT{0, 0, 400, 300});
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
        std::printf("tiled list rows %d SetPos %.4f s\n", count, seconds);
        // A scroll step moves every row by its own place.
        const auto scrollBegin = std::chrono::steady_clock::now();
        list.GetList()->SetScrollPos(SIZE{0, 50});
        const double scrollSeconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - scrollBegin).count();
        std::printf("tiled list rows %d scroll step %.4f s\n", count, scrollSeconds);
    }
    return 0;
}
