#include "Control/UIIPAddress.h"
#include "Core/WindowUIManager.h"
#include "../Core/SkinTestData.h"
#include "InputsTestSupport.h"

#include <gtest/gtest.h>

using namespace SkinUI;
using namespace SkinUI::Testing;

namespace {

class IPAddressTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        field.SetManager(&manager, nullptr, false);
        field.SetPos(RECT{0, 0, 160, 20});
    }
    void Click(int x)
    {
        ControlEvent event = MakeEvent(EVT_BUTTONDOWN, x, 10);
        field.DispatchEvent(event);
    }
    void Keys(std::initializer_list<wchar_t> keys)
    {
        for (wchar_t key : keys) {
            ControlEvent event = MakeEvent(EVT_KEYDOWN);
            event.chKey = key;
            field.DispatchEvent(event);
        }
    }
    void Wheel(short delta)
    {
        ControlEvent event = MakeEvent(EVT_SCROLLWHEEL, 10, 10, MAKEWPARAM(0, static_cast<WORD>(delta)));
        field.DispatchEvent(event);
    }
    CWindowUIManager manager;
    CIPAddressUI field;
};

TEST_F(IPAddressTest, StartsReadOnlyAtAllZeros)
{
    EXPECT_EQ(CUIString(L"0.0.0.0"), field.GetText());
    EXPECT_TRUE(field.IsReadOnly());
    EXPECT_EQ(0, field.GetSegment());
    EXPECT_STREQ(L"IPAddress", field.GetClass());
}

TEST_F(IPAddressTest, ThreeDigitsFillAnOctetAndMoveOnWithClamping)
{
    Click(5);
    EXPECT_EQ(1, field.GetSegment());
    Keys({L'1', L'9', L'2'});
    EXPECT_EQ(CUIString(L"192.0.0.0"), field.GetText());
    EXPECT_EQ(2, field.GetSegment());
    Keys({VK_NUMPAD3, L'0', L'0'});
    EXPECT_EQ(CUIString(L"192.255.0.0"), field.GetText());
    EXPECT_EQ(3, field.GetSegment());
}

TEST_F(IPAddressTest, ClicksPickTheQuarterAndDigitsNeedASegment)
{
    Keys({L'7'});
    EXPECT_EQ(CUIString(L"0.0.0.0"), field.GetText());
    Click(159);
    EXPECT_EQ(4, field.GetSegment());
    Click(40);
    EXPECT_EQ(1, field.GetSegment());
    Click(41);
    EXPECT_EQ(2, field.GetSegment());
    Click(100);
    EXPECT_EQ(3, field.GetSegment());
}

TEST_F(IPAddressTest, UpAndDownStayWithinAnOctet)
{
    Click(5);
    Keys({L'2', L'5', L'5'});
    Keys({VK_LEFT, VK_UP});
    EXPECT_EQ(255, field.GetOctet(0));
    Keys({VK_RIGHT, VK_DOWN});
    EXPECT_EQ(0, field.GetOctet(1));
    Wheel(WHEEL_DELTA);
    Wheel(WHEEL_DELTA);
    EXPECT_EQ(2, field.GetOctet(1));
    Wheel(-WHEEL_DELTA);
    EXPECT_EQ(CUIString(L"255.1.0.0"), field.GetText());
}

TEST_F(IPAddressTest, RightOrPeriodOnTheLastOctetDoesNothing)
{
    Click(150);
    Keys({L'9', VK_OEM_PERIOD, VK_RIGHT, VK_DECIMAL});
    EXPECT_EQ(4, field.GetSegment());
    Keys({L'9'});
    EXPECT_EQ(CUIString(L"0.0.0.99"), field.GetText());
    Keys({VK_BACK});
    EXPECT_EQ(CUIString(L"0.0.0.0"), field.GetText());
}

TEST_F(IPAddressTest, RightOrPeriodWithNoSegmentSelectsTheFirst)
{
    for (wchar_t key : {static_cast<wchar_t>(VK_RIGHT), static_cast<wchar_t>(VK_OEM_PERIOD),
                        static_cast<wchar_t>(VK_DECIMAL)}) {
        ControlEvent kill = MakeEvent(EVT_KILLFOCUS);
        field.DispatchEvent(kill);
        ASSERT_EQ(0, field.GetSegment());
        Keys({key});
        EXPECT_EQ(1, field.GetSegment()) << "key " << int(key);
        Keys({L'7'});
        EXPECT_EQ(7, field.GetOctet(0));
    }
}

TEST_F(IPAddressTest, PeriodAppliesPendingDigitsAndMovesRight)
{
    Click(5);
    Keys({L'1', L'0', VK_OEM_PERIOD, L'8', VK_DECIMAL});
    EXPECT_EQ(CUIString(L"10.8.0.0"), field.GetText());
    EXPECT_EQ(3, field.GetSegment());
    ControlEvent kill = MakeEvent(EVT_KILLFOCUS);
    field.DispatchEvent(kill);
    EXPECT_EQ(0, field.GetSegment());
}

TEST_F(IPAddressTest, DisabledFieldIgnoresInput)
{
    field.SetEnabled(false);
    Click(5);
    Keys({L'1'});
    EXPECT_EQ(0, field.GetSegment());
    EXPECT_EQ(CUIString(L"0.0.0.0"), field.GetText());
}

TEST_F(IPAddressTest, TheCurrentOctetIsPaintedOnTheSelectionColour)
{
    SkinZipScope zip;
    CWindowUIManager painted;
    CIPAddressUI shown;
    shown.SetManager(&painted, nullptr, false);
    shown.SetPos(RECT{0, 0, 160, 20});
    ControlEvent click = MakeEvent(EVT_BUTTONDOWN, 45, 10);
    shown.DispatchEvent(click);
    Canvas canvas(160, 20, 0xFFFFFFFF);
    shown.Paint(canvas.dc(), canvas.Bounds(), nullptr);
    EXPECT_EQ(0x3399FFu, canvas.Rgb(52, 4));
    EXPECT_EQ(0xFFFFFFu, canvas.Rgb(52, 1));
    EXPECT_EQ(0xFFFFFFu, canvas.Rgb(15, 1));
}

}  // namespace
