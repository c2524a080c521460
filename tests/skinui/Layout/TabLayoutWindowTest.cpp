// Tab layouts built from a skin and shown in a window: the page the user sees.
#include "Core/DialogBuilder.h"
#include "Layout/TabLayoutUI.h"
#include "../Core/SkinTestData.h"
#include "../Core/TestWindows.h"

#include <gtest/gtest.h>

#include <string>

using namespace SkinUI;
using namespace SkinUI::Testing;

namespace {

class TabLayoutWindowTest : public WindowTest {
protected:
    void TearDown() override { CWindowUIManager::Term(); }
};

// Red, green and blue pages in a 300x200 window.
std::wstring ThreePageSkin(const wchar_t* element, const wchar_t* attributes)
{
    return std::wstring(L"<Window size=\"300,200\"><") + element + L" name=\"tabs\" " + attributes +
           L"><Control bkcolor=\"#FFFF0000\"/><Control bkcolor=\"#FF00FF00\"/><Control bkcolor=\"#FF0000FF\"/></" +
           element + L"></Window>";
}

TEST_F(TabLayoutWindowTest, TheSelectedPageIsShownInTheLayoutsPlace)
{
    struct Case {
        const wchar_t* element;
        const wchar_t* attributes;
        int page;
        RECT place;
    };
    const DWORD colours[] = {0xFF0000, 0x00FF00, 0x0000FF};
    const Case cases[] = {
        {L"TabLayout", L"", 0, {0, 0, 300, 200}},
        {L"TabLayout", L"selectedid=\"0\"", 0, {0, 0, 300, 200}},
        {L"TabLayout", L"selectedid=\"2\"", 2, {0, 0, 300, 200}},
        {L"TabLayout", L"selectedid=\"1\" inset=\"10,20,30,40\"", 1, {10, 20, 270, 160}},
        {L"AnimationTabLayout", L"", 0, {0, 0, 300, 200}},
        {L"AnimationTabLayout", L"selectedid=\"0\"", 0, {0, 0, 300, 200}},
        {L"AnimationTabLayout", L"selectedid=\"1\"", 1, {0, 0, 300, 200}},
        {L"AnimationTabLayout", L"selectedid=\"2\" animation_direction=\"vertical\" inset=\"5,5,5,5\"", 2,
         {5, 5, 295, 195}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.element << " " << c.attributes);
        HostWindow host;
        ASSERT_NE(nullptr, host.Create(nullptr, L"tabs", WS_POPUP, 0, 40, 40, 300, 200))
            << "no window: is an X display available?";
        CDialogBuilder builder;
        CControlUI* root = builder.Create(ThreePageSkin(c.element, c.attributes).c_str(), nullptr, nullptr, &host.manager);
        ASSERT_NE(nullptr, root);
        ASSERT_TRUE(host.manager.AttachRootControl(root));
        ::ShowWindow(host, SW_SHOWNOACTIVATE);
        ::UpdateWindow(host);

        auto* tabs = static_cast<CTabLayoutUI*>(root->GetInterface(L"TabLayout"));
        ASSERT_NE(nullptr, tabs);
        EXPECT_EQ(c.page, tabs->GetCurSel());
        for (int i = 0; i < 3; ++i) EXPECT_EQ(i == c.page, tabs->GetItemAt(i)->IsVisible()) << "page " << i;
        const RECT place = tabs->GetItemAt(c.page)->GetPos();
        EXPECT_EQ(c.place.left, place.left);
        EXPECT_EQ(c.place.top, place.top);
        EXPECT_EQ(c.place.right, place.right);
        EXPECT_EQ(c.place.bottom, place.bottom);

        Canvas canvas(300, 200);
        root->Paint(canvas.dc(), canvas.Bounds(), nullptr);
        EXPECT_EQ(colours[c.page], canvas.Rgb(150, 100));
        ::DestroyWindow(host);
    }
}

}  // namespace
