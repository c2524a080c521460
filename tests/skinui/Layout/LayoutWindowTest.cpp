// Layouts built from a skin and shown in a window: what the user sees after building and after changes.
#include "Control/UIAnimationTabLayout.h"
#include "Core/DialogBuilder.h"
#include "Layout/TabLayoutUI.h"
#include "../Core/SkinTestData.h"
#include "../Core/TestWindows.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace SkinUI;
using namespace SkinUI::Testing;

namespace {

class LayoutWindowTest : public WindowTest {
protected:
    void TearDown() override { CWindowUIManager::Term(); }
};

// Red, green and blue pages in a 300x200 window, the layout alone or inside a vertical layout.
std::wstring ThreePageSkin(const wchar_t* element, const wchar_t* attributes, bool wrapped)
{
    const std::wstring tabs = std::wstring(L"<") + element + L" name=\"tabs\" " + attributes +
                              L"><Control bkcolor=\"#FFFF0000\"/><Control bkcolor=\"#FF00FF00\"/>"
                              L"<Control bkcolor=\"#FF0000FF\"/></" + element + L">";
    return L"<Window size=\"300,200\">" + (wrapped ? L"<VerticalLayout>" + tabs + L"</VerticalLayout>" : tabs) +
           L"</Window>";
}

// Pages added again in code while the layout, or the container it is in, is hidden.
enum class Refill { No, WhileHidden, InsideHiddenParent };

TEST_F(LayoutWindowTest, TheSelectedPageIsShownInTheLayoutsPlace)
{
    struct Case {
        const wchar_t* element;
        const wchar_t* attributes;
        int page;
        RECT place;
        Refill refill = Refill::No;
        bool selectBeforeShown = false;
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
        {L"TabLayout", L"selectedid=\"2\"", 0, {0, 0, 300, 200}, Refill::WhileHidden},
        {L"TabLayout", L"", 0, {0, 0, 300, 200}, Refill::InsideHiddenParent},
        {L"AnimationTabLayout", L"selectedid=\"1\"", 0, {0, 0, 300, 200}, Refill::WhileHidden},
        {L"AnimationTabLayout", L"", 2, {0, 0, 300, 200}, Refill::No, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.element << " " << c.attributes);
        HostWindow host;
        ASSERT_NE(nullptr, host.Create(nullptr, L"tabs", WS_POPUP, 0, 40, 40, 300, 200))
            << "no window: is an X display available?";
        CDialogBuilder builder;
        const std::wstring skin = ThreePageSkin(c.element, c.attributes, c.refill == Refill::InsideHiddenParent);
        CControlUI* root = builder.Create(skin.c_str(), nullptr, nullptr, &host.manager);
        ASSERT_NE(nullptr, root);
        ASSERT_TRUE(host.manager.AttachRootControl(root));
        auto* tabs = static_cast<CTabLayoutUI*>(host.manager.FindControl(L"tabs")->GetInterface(L"TabLayout"));
        ASSERT_NE(nullptr, tabs);
        // Selected in code before the window's first layout, as a window's set-up does.
        if (c.selectBeforeShown) tabs->SelectItem(c.page);
        if (c.refill != Refill::No) {
            CControlUI* hidden = c.refill == Refill::WhileHidden ? tabs : tabs->GetParent();
            hidden->SetVisible(false);
            tabs->RemoveAll();
            for (DWORD colour : {0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu}) {
                auto* page = new CControlUI();
                page->SetBkColor(colour);
                ASSERT_TRUE(tabs->Add(page));
            }
            hidden->SetVisible(true);
        }
        ::ShowWindow(host, SW_SHOWNOACTIVATE);
        ::UpdateWindow(host);
        auto* sliding = static_cast<CAnimationTabLayoutUI*>(tabs->GetInterface(L"AnimationTabLayout"));
        EXPECT_TRUE(PumpUntil([&] { return !sliding || !sliding->IsAnimationRunning(CAnimationTabLayoutUI::kSlideAnimation); }));

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

TEST_F(LayoutWindowTest, AChildLayoutFillsItselfFromItsFileOrEmptiesWhenTheFileIsMissing)
{
    struct Case {
        std::wstring file;
        int children;
        const wchar_t* firstName;
    };
    const Case cases[] = {{SkinDataPath("row.xml"), 1, L"row"}, {L"missing-child-layout.xml", 0, nullptr}};
    for (const Case& c : cases) {
        HostWindow host;
        ASSERT_NE(nullptr, host.Create(nullptr, L"child", WS_POPUP, 0, 40, 40, 300, 200))
            << "no window: is an X display available?";
        const std::wstring xml = L"<Window size=\"300,200\"><VerticalLayout><ChildLayout name=\"part\" xmlfile=\"" +
                                 c.file + L"\"><Control name=\"placeholder\"/></ChildLayout></VerticalLayout></Window>";
        CDialogBuilder builder;
        CControlUI* root = builder.Create(xml.c_str(), nullptr, nullptr, &host.manager);
        ASSERT_NE(nullptr, root);
        ASSERT_TRUE(host.manager.AttachRootControl(root));
        ::ShowWindow(host, SW_SHOWNOACTIVATE);
        ::UpdateWindow(host);
        CControlUI* layout = host.manager.FindControl(L"part");
        ASSERT_NE(nullptr, layout);
        auto* part = static_cast<IContainerUI*>(layout->GetInterface(L"IContainer"));
        if (c.firstName) {
            // The file's root comes after what the skin put there.
            ASSERT_EQ(2, part->GetCount());
            EXPECT_EQ(CUIString(c.firstName), part->GetItemAt(1)->GetName());
        } else {
            EXPECT_EQ(0, part->GetCount());
        }
        ::DestroyWindow(host);
    }
}

// A column of three 50-pixel rows, changed through the container's interface while shown: the window lays
// the rest out again at its next paint.
TEST_F(LayoutWindowTest, ChangingTheChildrenOfAShownLayoutReflowsTheRest)
{
    enum Change { RemoveMiddle, RemoveFirstByIndex, MoveLastToTheTop, InsertAtTheTop, RemoveAll };
    struct Case {
        Change change;
        std::vector<LONG> tops;  // of the rows named "a", "b", "c" still there, in that order
    };
    const Case cases[] = {
        {RemoveMiddle, {0, 50}},
        {RemoveFirstByIndex, {0, 50}},
        {MoveLastToTheTop, {50, 100, 0}},
        {InsertAtTheTop, {50, 100, 150}},
        {RemoveAll, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "change " << c.change);
        HostWindow host;
        ASSERT_NE(nullptr, host.Create(nullptr, L"rows", WS_POPUP, 0, 40, 40, 300, 200))
            << "no window: is an X display available?";
        CDialogBuilder builder;
        CControlUI* root = builder.Create(L"<Window size=\"300,200\"><VerticalLayout><Control name=\"a\" height=\"50\"/>"
                                          L"<Control name=\"b\" height=\"50\"/><Control name=\"c\" height=\"50\"/>"
                                          L"</VerticalLayout></Window>",
                                          nullptr, nullptr, &host.manager);
        ASSERT_NE(nullptr, root);
        ASSERT_TRUE(host.manager.AttachRootControl(root));
        ::ShowWindow(host, SW_SHOWNOACTIVATE);
        ::UpdateWindow(host);
        auto* rows = static_cast<IContainerUI*>(root->GetInterface(L"IContainer"));
        CControlUI* b = host.manager.FindControl(L"b");
        CControlUI* c3 = host.manager.FindControl(L"c");
        ASSERT_EQ(100, c3->GetPos().top);
        switch (c.change) {
        case RemoveMiddle: ASSERT_TRUE(rows->Remove(b)); break;
        case RemoveFirstByIndex: ASSERT_TRUE(rows->RemoveAt(0)); break;
        case MoveLastToTheTop: ASSERT_TRUE(rows->SetItemIndex(c3, 0)); break;
        case InsertAtTheTop: {
            auto* added = new CControlUI();
            added->SetAttribute(L"height", L"50");
            ASSERT_TRUE(rows->AddAt(added, 0));
            break;
        }
        case RemoveAll: rows->RemoveAll(); break;
        }
        ::UpdateWindow(host);
        std::vector<LONG> tops;
        for (const wchar_t* name : {L"a", L"b", L"c"})
            if (CControlUI* row = host.manager.FindControl(name); row && rows->GetItemIndex(row) >= 0)
                tops.push_back(row->GetPos().top);
        EXPECT_EQ(c.tops, tops);
        EXPECT_EQ(c.tops.size() + (c.change == InsertAtTheTop ? 1 : 0), static_cast<size_t>(rows->GetCount()));
        ::DestroyWindow(host);
    }
}

}  // namespace
