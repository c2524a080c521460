#include "Core/ControlUI.h"
#include "Core/WindowUIManager.h"

#include <gtest/gtest.h>

using namespace SkinUI;

namespace {

TEST(ControlAttributes, PosWithNegativeLeftUsesTheRightEdge)
{
    CControlUI control;
    control.SetAttribute(L"pos", L"-1,0,20,10");
    EXPECT_EQ(20, control.GetFixedXY().cx);
    EXPECT_EQ(0, control.GetFixedXY().cy);
    EXPECT_EQ(21, control.GetFixedWidth());
    EXPECT_EQ(10, control.GetFixedHeight());
}

TEST(ControlAttributes, TextAndToolTipLineBreaks)
{
    CControlUI control;
    control.SetText(L"a{\\n}b");
    EXPECT_EQ(CUIString(L"a\nb"), control.GetText());
    control.SetToolTip(L"a<n>b");
    EXPECT_EQ(CUIString(L"a\r\nb"), control.GetToolTip());
}

TEST(ControlAttributes, ColoursParseHexWithOptionalHash)
{
    CControlUI control;
    control.SetAttribute(L"bkcolor", L" #FF102030");
    EXPECT_EQ(0xFF102030u, control.GetBkColor());
    control.SetAttribute(L"BKCOLOR", L"FF405060");
    EXPECT_EQ(0xFF405060u, control.GetBkColor());
    control.SetAttribute(L"bordercolor", L"#80FFFFFF");
    EXPECT_EQ(0x80FFFFFFu, control.GetBorderColor());
}

TEST(ControlAttributes, BorderSizeOneOrFourValues)
{
    CControlUI control;
    control.SetAttribute(L"bordersize", L"2");
    RECT size = control.GetBorderSize();
    EXPECT_EQ(2, size.left);
    EXPECT_EQ(2, size.bottom);
    control.SetAttribute(L"bordersize", L"1,0,1,0");
    size = control.GetBorderSize();
    EXPECT_EQ(1, size.left);
    EXPECT_EQ(0, size.top);
    EXPECT_EQ(1, size.right);
}

TEST(ControlAttributes, FloatAlignTokensApplyInOrder)
{
    CControlUI control;
    control.SetAttribute(L"floatalign", L"right,bottom");
    EXPECT_EQ(2u | 8u, control.GetFloatAlign());
    control.SetAttribute(L"floatalign", L"center vcenter");
    EXPECT_EQ(1u | 4u, control.GetFloatAlign());
    control.SetAttribute(L"floatalign", L"null");
    EXPECT_EQ(0u, control.GetFloatAlign());
    control.SetAttribute(L"float", L"0.1,0.2,0.5,1");
    EXPECT_TRUE(control.IsFloat());
    EXPECT_DOUBLE_EQ(0.5, control.GetFloatPercent()[2]);
}

TEST(ControlAttributes, SizeLimitsIgnoreNegativeValues)
{
    CControlUI control;
    control.SetAttribute(L"minwidth", L"5");
    control.SetAttribute(L"minwidth", L"-3");
    EXPECT_EQ(5, control.GetMinWidth());
    EXPECT_EQ(9999, control.GetMaxWidth());
    control.SetFixedWidth(-1);
    EXPECT_EQ(0, control.GetFixedWidth());
}

TEST(ControlAttributes, CursorNamesAndUnknownOnes)
{
    CControlUI control;
    control.SetAttribute(L"cursor", L"HAND");
    EXPECT_EQ(32649, control.GetCursor());
    control.SetAttribute(L"cursor", L"pointer");
    EXPECT_EQ(32649, control.GetCursor());
}

TEST(ControlAttributes, UnknownAttributesKeepTheirFirstValue)
{
    CControlUI control;
    control.SetAttribute(L"custom", L"one");
    control.SetAttribute(L"custom", L"two");
    control.SetAttribute(L"empty", L"");
    EXPECT_STREQ(L"one", control.GetCustomAttribute(L"custom"));
    EXPECT_EQ(nullptr, control.GetCustomAttribute(L"empty"));
}

TEST(ControlAttributes, ListPairsAreSeparatedByBlankOrComma)
{
    CControlUI comma;
    comma.ApplyAttributeList(L"name=\"a\",text=\"b\"");
    EXPECT_EQ(CUIString(L"a"), comma.GetName());
    EXPECT_EQ(CUIString(L"b"), comma.GetText());
    CControlUI semicolon;
    semicolon.ApplyAttributeList(L"name=\"a\";text=\"b\"");
    EXPECT_EQ(CUIString(L"a"), semicolon.GetName());
    EXPECT_TRUE(semicolon.GetText().IsEmpty());
    CControlUI quoted;
    quoted.ApplyAttributeList(L"text=&quot;x y&quot; name=\"n\"");
    EXPECT_EQ(CUIString(L"x y"), quoted.GetText());
    EXPECT_EQ(CUIString(L"n"), quoted.GetName());
}

TEST(ControlAttributes, StyleNamesExpandToTheirAttributes)
{
    CWindowUIManager manager;
    manager.AddStyle(L"wide", L"width=\"40\" height=\"12\"");
    manager.AddStyle(L"loop", L"loop");
    CControlUI control;
    control.SetManager(&manager, nullptr, false);
    control.SetAttribute(L"anything", L"wide");
    EXPECT_EQ(40, control.GetFixedWidth());
    EXPECT_EQ(nullptr, control.GetCustomAttribute(L"anything"));
    CControlUI other;
    other.SetManager(&manager, nullptr, false);
    other.ApplyAttributeList(L"wide");
    EXPECT_EQ(12, other.GetFixedHeight());
    other.ApplyAttributeList(L"loop");
    other.SetAttribute(L"x", L"loop");
}

TEST(ControlAttributes, InnerStyleAppliesEachPair)
{
    CControlUI control;
    control.SetAttribute(L"innerstyle", L"name=&quot;inner&quot; width=&quot;7&quot;");
    EXPECT_EQ(CUIString(L"inner"), control.GetName());
    EXPECT_EQ(7, control.GetFixedWidth());
}

TEST(ControlAttributes, GeometryGettersScaleWithTheWindowDpi)
{
    CWindowUIManager manager;
    manager.GetDpiScaler()->SetDPI(144);
    CControlUI control;
    control.SetAttribute(L"width", L"20");
    control.SetAttribute(L"padding", L"2,4,6,8");
    control.SetManager(&manager, nullptr, false);
    EXPECT_EQ(30, control.GetFixedWidth());
    EXPECT_EQ(6, control.GetPadding().top);
    const SIZE desired = control.CalcDesiredSize(SIZE{1000, 1000});
    EXPECT_EQ(30, desired.cx);
}

TEST(ControlAttributes, PaddingAndBorderSidesScaleEachOnItsOwn)
{
    CWindowUIManager manager;
    manager.GetDpiScaler()->SetDPI(144);
    CControlUI control;
    control.SetAttribute(L"padding", L"1,1,2,2");
    control.SetAttribute(L"bordersize", L"1,3,2,0");
    control.SetManager(&manager, nullptr, false);
    // 1.5 rounds to 2 and 3 to 3: the right side is not the scaled left plus a scaled difference.
    const RECT padding = control.GetPadding();
    EXPECT_EQ(2, padding.left);
    EXPECT_EQ(2, padding.top);
    EXPECT_EQ(3, padding.right);
    EXPECT_EQ(3, padding.bottom);
    const RECT border = control.GetBorderSize();
    EXPECT_EQ(2, border.left);
    EXPECT_EQ(5, border.top);
    EXPECT_EQ(3, border.right);
    EXPECT_EQ(0, border.bottom);
}

class ContextMenuRecorder : public INotifyUI {
public:
    int menus = 0;
    void Notify(NotifyMessage& msg) override { menus += msg.sType == L"menu"; }
};

class EventCounter : public CControlUI {
public:
    int seen = 0;
    void HandleEvent(ControlEvent& event) override
    {
        ++seen;
        CControlUI::HandleEvent(event);
    }
};

TEST(ControlEvents, ContextMenuNotifiesOnlyWithTheMenuFlagAndNeverBubbles)
{
    CWindowUIManager manager;
    ContextMenuRecorder notes;
    manager.AddNotifier(&notes);
    EventCounter parent;
    CControlUI child;
    parent.SetManager(&manager, nullptr, false);
    child.SetManager(&manager, &parent, false);
    ControlEvent event;
    event.Type = EVT_CONTEXTMENU;
    child.DispatchEvent(event);
    EXPECT_EQ(0, notes.menus);
    EXPECT_EQ(0, parent.seen);
    child.SetAttribute(L"menu", L"true");
    child.DispatchEvent(event);
    EXPECT_EQ(1, notes.menus);
    event.Type = EVT_MOUSEMOVE;
    child.DispatchEvent(event);
    EXPECT_EQ(1, parent.seen);
}

}  // namespace
