// Labels measured in a window (the font metrics come from the window's device context).
#include "Control/LabelUI.h"
#include "Layout/BoxLayout.h"
#include "../Core/TestWindows.h"

using namespace SkinUI;
using namespace SkinUI::Testing;

namespace {

class LabelWindowTest : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        ASSERT_NE(nullptr, host.Create(nullptr, L"labels", WS_POPUP, 0, 40, 40, 400, 100))
            << "no window: is an X display available?";
        manager().AddFont(1, L"Arial", 20, false, false, false);
    }
    void TearDown() override
    {
        if (::IsWindow(host)) ::DestroyWindow(host);
        CWindowUIManager::Term();
    }
    CWindowUIManager& manager() { return host.manager; }
    int FontHeight() { return manager().GetFontInfo(1)->tm.tmHeight; }
    // A row holding `label` and a control after it, shown and laid out in the window.
    CControlUI* ShowInRow(CLabelUI* label)
    {
        auto* row = new CHorizontalLayoutUI();
        row->Add(label);
        auto* after = new CControlUI();
        after->SetAttribute(L"width", L"20");
        row->Add(after);
        manager().AttachRootControl(row);
        ::ShowWindow(host, SW_SHOWNOACTIVATE);
        ::UpdateWindow(host);
        return after;
    }

    HostWindow host;
};

TEST_F(LabelWindowTest, SingleLineHeightIsTheFontHeightPlusEightAndThePadding)
{
    CLabelUI label;
    label.SetManager(&manager(), nullptr, false);
    label.SetAttribute(L"font", L"1");
    label.SetAttribute(L"textpadding", L"0,3,0,5");
    label.SetText(L"单行");
    ASSERT_GT(FontHeight(), 20);
    EXPECT_EQ(FontHeight() + 8 + 8, label.CalcDesiredSize(SIZE{300, 500}).cy);
    label.SetAttribute(L"autocalcheight", L"true");  // plays no part on a single line
    EXPECT_EQ(FontHeight() + 8 + 8, label.CalcDesiredSize(SIZE{300, 400}).cy);

    CLabelUI multi;
    multi.SetManager(&manager(), nullptr, false);
    multi.SetAttribute(L"font", L"1");
    multi.SetAttribute(L"wordbreak", L"true");
    multi.SetText(L"单行");
    EXPECT_EQ(400, multi.CalcDesiredSize(SIZE{300, 400}).cy) << "without auto height it takes what it gets";
}

TEST_F(LabelWindowTest, AutoWidthLabelMakesItsRowLayOutAgainWhenItsTextChanges)
{
    auto* label = new CLabelUI();
    label->SetAttribute(L"font", L"1");
    label->SetAttribute(L"autocalcwidth", L"true");
    label->SetText(L"ab");
    CControlUI* after = ShowInRow(label);
    const int shortWidth = label->GetPos().right - label->GetPos().left;
    EXPECT_GT(shortWidth, 0);
    EXPECT_EQ(label->GetPos().right, after->GetPos().left);

    label->SetText(L"abcdefghijkl");
    EXPECT_TRUE(manager().IsUpdateNeeded());
    ::UpdateWindow(host);
    const int longWidth = label->GetPos().right - label->GetPos().left;
    EXPECT_GT(longWidth, shortWidth + 50);
    EXPECT_EQ(label->GetPos().right, after->GetPos().left);
}

TEST_F(LabelWindowTest, FixedSizeLabelOnlyRepaintsWhenItsTextChanges)
{
    auto* label = new CLabelUI();
    label->SetAttribute(L"width", L"60");
    label->SetText(L"ab");
    CControlUI* after = ShowInRow(label);
    const RECT before = after->GetPos();
    ASSERT_FALSE(manager().IsUpdateNeeded());

    label->SetText(L"abcdefghijkl");
    EXPECT_FALSE(manager().IsUpdateNeeded());
    ::UpdateWindow(host);
    EXPECT_EQ(before.left, after->GetPos().left);
    EXPECT_EQ(60, label->GetPos().right - label->GetPos().left);
}

}  // namespace
