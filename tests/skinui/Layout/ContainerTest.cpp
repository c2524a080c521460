#include "Control/ScrollBarUI.h"
#include "Core/ControlFactory.h"
#include "Layout/ContainerUI.h"
#include "../Core/SkinTestData.h"

#include <gtest/gtest.h>

using namespace SkinUI;
using namespace SkinUI::Testing;

namespace {

class DeletionProbe : public CControlUI {
public:
    explicit DeletionProbe(bool* deleted) : m_deleted(deleted) {}
    ~DeletionProbe() override { *m_deleted = true; }

private:
    bool* m_deleted;
};

class ScrollNotes : public INotifyUI {
public:
    std::vector<WPARAM> scrolls;
    void Notify(NotifyMessage& msg) override
    {
        if (msg.sType == L"scroll") scrolls.push_back(msg.wParam);
    }
};

CControlUI* CALLBACK Hit(CControlUI* control, void*) { return control; }

class ContainerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        manager.AddNotifier(&notes);
        container.SetManager(&manager, nullptr, false);
    }
    CWindowUIManager manager;
    ScrollNotes notes;
    CContainerUI container;
};

TEST_F(ContainerTest, RemovingAStrangerFailsAndDeletesNothing)
{
    bool deleted = false;
    DeletionProbe stranger(&deleted);
    EXPECT_FALSE(container.Remove(&stranger));
    EXPECT_FALSE(deleted);
    EXPECT_FALSE(container.Add(nullptr));
}

TEST_F(ContainerTest, ChildrenAreBoundAndDeletedWithTheContainer)
{
    bool deleted = false;
    {
        CContainerUI owner;
        auto* child = new DeletionProbe(&deleted);
        owner.SetManager(&manager, nullptr, false);
        ASSERT_TRUE(owner.Add(child));
        EXPECT_EQ(&manager, child->GetManager());
        EXPECT_EQ(&owner, child->GetParent());
        EXPECT_EQ(0, owner.GetItemIndex(child));
    }
    EXPECT_TRUE(deleted);
}

TEST_F(ContainerTest, RemoveWithoutWindowDeletesAtOnceWhenNotDelayed)
{
    bool deleted = false;
    auto* child = new DeletionProbe(&deleted);
    container.Add(child);
    container.SetDelayedDestroy(false);
    EXPECT_TRUE(container.Remove(child));
    EXPECT_TRUE(deleted);
    EXPECT_EQ(0, container.GetCount());
}

TEST_F(ContainerTest, MaximumWinsOverMinimum)
{
    auto* child = new CControlUI();
    child->SetMinWidth(300);
    child->SetMaxWidth(200);
    container.Add(child);
    container.SetPos(RECT{0, 0, 500, 100});
    EXPECT_EQ(200, child->GetWidth());
    EXPECT_EQ(100, child->GetHeight());
}

TEST_F(ContainerTest, InsetShrinksTheClientArea)
{
    auto* child = new CControlUI();
    container.Add(child);
    container.SetAttribute(L"inset", L"5,6,7,8");
    container.SetPos(RECT{0, 0, 100, 100});
    const RECT& pos = child->GetPos();
    EXPECT_EQ(5, pos.left);
    EXPECT_EQ(6, pos.top);
    EXPECT_EQ(93, pos.right);
    EXPECT_EQ(92, pos.bottom);
}

TEST_F(ContainerTest, FloatingChildrenFollowTheirAlignmentOrPercentages)
{
    auto* centred = new CControlUI();
    centred->SetAttribute(L"float", L"true");
    centred->SetAttribute(L"width", L"50");
    centred->SetAttribute(L"height", L"10");
    centred->SetAttribute(L"floatalign", L"center,bottom");
    auto* placed = new CControlUI();
    placed->SetAttribute(L"float", L"0.5,0,0.5,0");
    placed->SetAttribute(L"pos", L"2,3,12,13");
    container.Add(centred);
    container.Add(placed);
    container.SetPos(RECT{10, 20, 111, 120});
    EXPECT_EQ(10 + 25, centred->GetPos().left);
    EXPECT_EQ(120 - 10, centred->GetPos().top);
    EXPECT_EQ(10 + 50 + 2, placed->GetPos().left);
    EXPECT_EQ(20 + 3, placed->GetPos().top);
    EXPECT_EQ(10 + 50 + 10 + 2, placed->GetPos().right);
}

TEST_F(ContainerTest, ChildAlignValuesAreCaseSensitive)
{
    container.SetAttribute(L"childalign", L"Center");
    EXPECT_EQ(0u, container.GetChildAlign());
    container.SetAttribute(L"childalign", L"center");
    EXPECT_EQ(1u, container.GetChildAlign());
    container.SetAttribute(L"childvalign", L"bottom");
    EXPECT_EQ(8u, container.GetChildVAlign());
}

TEST_F(ContainerTest, ScrollBarAttributeCreatesAndDeletesTheBar)
{
    manager.SetDefaultAttributeList(L"VScrollBar", L"linesize=\"3\"");
    container.SetAttribute(L"vscrollbar", L"true");
    ASSERT_NE(nullptr, container.GetVerticalScrollBar());
    EXPECT_EQ(3, container.GetVerticalScrollBar()->GetLineSize());
    EXPECT_EQ(&container, container.GetVerticalScrollBar()->GetOwner());
    container.SetAttribute(L"hscrollbarstyle", L"linesize=\"4\"");
    ASSERT_NE(nullptr, container.GetHorizontalScrollBar());
    EXPECT_TRUE(container.GetHorizontalScrollBar()->IsHorizontal());
    EXPECT_EQ(4, container.GetHorizontalScrollBar()->GetLineSize());
    container.SetAttribute(L"vscrollbar", L"false");
    EXPECT_EQ(nullptr, container.GetVerticalScrollBar());
    EXPECT_NE(nullptr, container.GetHorizontalScrollBar());
}

TEST_F(ContainerTest, OverflowShowsTheBarAndScrollingMovesChildren)
{
    auto* child = new CControlUI();
    container.Add(child);
    container.EnableScrollBar(true, false);
    container.GetVerticalScrollBar()->SetVisible(false);
    container.SetPos(RECT{0, 0, 100, 100});
    container.ProcessScrollBar(container.GetPos(), 84, 300);
    CScrollBarUI* bar = container.GetVerticalScrollBar();
    ASSERT_TRUE(bar->IsVisible());
    EXPECT_EQ(200, bar->GetScrollRange());
    EXPECT_EQ(84, child->GetWidth());
    const LONG top = child->GetPos().top;
    container.SetScrollPos(SIZE{0, 50});
    EXPECT_EQ(top - 50, child->GetPos().top);
    ASSERT_EQ(1u, notes.scrolls.size());
    EXPECT_EQ(WPARAM((50 + 8) / 8), notes.scrolls[0]);
    container.SetScrollPos(SIZE{0, 50});
    EXPECT_EQ(1u, notes.scrolls.size());
    container.SetScrollStepSize(10);
    container.LineDown();
    EXPECT_EQ(60, container.GetScrollPos().cy);
    container.EndDown();
    EXPECT_EQ(200, container.GetScrollPos().cy);
    container.HomeUp();
    EXPECT_EQ(0, container.GetScrollPos().cy);
    container.ProcessScrollBar(container.GetPos(), 84, 50);
    EXPECT_FALSE(bar->IsVisible());
}

TEST_F(ContainerTest, HitTestFindsChildrenUnlessMouseChildIsOff)
{
    auto* child = new CControlUI();
    container.Add(child);
    container.SetAttribute(L"inset", L"10,10,10,10");
    container.SetPos(RECT{0, 0, 100, 100});
    POINT inside = {50, 50};
    EXPECT_EQ(child, container.FindControl(&Hit, &inside, FIND_VISIBLE | FIND_HITTEST | FIND_TOP_FIRST));
    POINT edge = {5, 5};
    EXPECT_EQ(&container, container.FindControl(&Hit, &edge, FIND_VISIBLE | FIND_HITTEST | FIND_TOP_FIRST));
    container.SetMouseChildEnabled(false);
    EXPECT_EQ(&container, container.FindControl(&Hit, &inside, FIND_VISIBLE | FIND_HITTEST | FIND_TOP_FIRST));
}

TEST_F(ContainerTest, HidingTheContainerHidesChildrenInternally)
{
    auto* child = new CControlUI();
    container.Add(child);
    container.SetVisible(false);
    EXPECT_FALSE(child->IsVisible());
    container.SetVisible(true);
    EXPECT_TRUE(child->IsVisible());
    container.SetEnabled(false);
    EXPECT_FALSE(child->IsEnabled());
}

TEST_F(ContainerTest, PaintsChildrenInsideTheClientArea)
{
    Canvas canvas(40, 40);
    container.SetBkColor(0xFFFF0000);
    auto* child = new CControlUI();
    child->SetBkColor(0xFF0000FF);
    child->SetMinHeight(100);
    container.Add(child);
    container.SetAttribute(L"inset", L"4,4,4,4");
    container.SetPos(RECT{0, 0, 40, 40});
    EXPECT_EQ(100, child->GetHeight());
    container.Paint(canvas.dc(), canvas.Bounds(), nullptr);
    EXPECT_EQ(0xFF0000u, canvas.Rgb(2, 2));
    EXPECT_EQ(0x0000FFu, canvas.Rgb(20, 20));
    // The child is taller than the client area but is cut at its edge.
    EXPECT_EQ(0xFF0000u, canvas.Rgb(20, 38));
}

TEST_F(ContainerTest, PaintingStopsAtTheStopControl)
{
    Canvas canvas(20, 20);
    auto* first = new CControlUI();
    auto* second = new CControlUI();
    second->SetBkColor(0xFF00FF00);
    container.Add(first);
    container.Add(second);
    container.SetPos(RECT{0, 0, 20, 20});
    EXPECT_FALSE(container.Paint(canvas.dc(), canvas.Bounds(), second));
    EXPECT_EQ(0u, canvas.Rgb(5, 5));
}

TEST(ContainerFactory, CreatesContainersByName)
{
    CControlUI* control = CControlFactory::GetInstance()->CreateControl(L"CContainerUI");
    ASSERT_NE(nullptr, control);
    EXPECT_NE(nullptr, control->GetInterface(L"IContainer"));
    delete control;
}

}  // namespace
