#include "Control/InputsRegistration.h"
#include "Control/UIColorPalette.h"
#include "Control/UIGroupBox.h"
#include "Control/UIHotKey.h"
#include "Control/UIRing.h"
#include "Control/UIRollText.h"
#include "Core/ControlFactory.h"
#include "Core/DialogBuilder.h"
#include "Core/WindowUIManager.h"
#include "Layout/ContainerUI.h"
#include "../Core/SkinTestData.h"
#include "InputsTestSupport.h"

#include <commctrl.h>
#include <functional>
#include <iterator>
#include <gtest/gtest.h>

using namespace SkinUI;
using namespace SkinUI::Testing;

namespace {

// Colours drawn through HSL rounding and stretching land within a few steps of the exact value.
::testing::AssertionResult Near(DWORD actual, DWORD expected)
{
    for (int shift = 0; shift < 24; shift += 8) {
        const int a = static_cast<int>((actual >> shift) & 0xFF);
        const int e = static_cast<int>((expected >> shift) & 0xFF);
        if (a - e > 4 || e - a > 4)
            return ::testing::AssertionFailure() << std::hex << actual << " is not near " << expected;
    }
    return ::testing::AssertionSuccess();
}

TEST(ExtraControls, SkinElementsBecomeTheirClasses)
{
    RegisterInputsControls(*CControlFactory::GetInstance());
    const wchar_t* xml =
        L"<Window><VerticalLayout><GroupBox/><RollText/><ColorPalette/><HotKey/><FadeButton/><Ring/>"
        L"<PlaceHolder/><GifAnim/><DateTime/><IPAddress/><CheckBox/><Option/></VerticalLayout></Window>";
    CDialogBuilder builder;
    CControlUI* root = builder.Create(xml, nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, root);
    auto* container = static_cast<IContainerUI*>(root->GetInterface(L"IContainer"));
    const wchar_t* classes[] = {L"GroupBox", L"RollText", L"ColorPalette", L"HotKey",   L"FadeButton", L"Ring",
                                L"PlaceHolder", L"GifAnim", L"DateTime", L"IPAddress", L"CheckBoxUI", L"Option"};
    ASSERT_EQ(12, container->GetCount());
    for (int i = 0; i < 12; ++i) {
        EXPECT_STREQ(classes[i], container->GetItemAt(i)->GetClass());
        if (i < 10) {
            EXPECT_NE(nullptr, container->GetItemAt(i)->GetInterface(classes[i]));
        }
    }
    delete root;
    CWindowUIManager::Term();
}

class GroupBoxTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        box.SetManager(&manager, nullptr, false);
        box.SetAttribute(L"bordersize", L"1");
        box.SetAttribute(L"bordercolor", L"#FFFF0000");
        box.SetPos(RECT{0, 0, 100, 80});
    }
    SkinZipScope zip;
    CWindowUIManager manager;
    CGroupBoxUI box;
};

TEST_F(GroupBoxTest, WithoutCaptionTheFrameIsClosed)
{
    EXPECT_EQ(20, box.GetInset().left);
    EXPECT_EQ(25, box.GetInset().top);
    Canvas canvas(100, 80, 0xFF000000);
    box.Paint(canvas.dc(), canvas.Bounds(), nullptr);
    EXPECT_EQ(0xFF0000u, canvas.Rgb(30, 5));
    EXPECT_EQ(0xFF0000u, canvas.Rgb(5, 40));
    bool rightEdge = false;
    bool bottomEdge = false;
    for (int i = 90; i < 95; ++i) rightEdge |= canvas.Rgb(i, 40) == 0xFF0000u;
    for (int i = 70; i < 75; ++i) bottomEdge |= canvas.Rgb(50, i) == 0xFF0000u;
    EXPECT_TRUE(rightEdge);
    EXPECT_TRUE(bottomEdge);
    EXPECT_EQ(0u, canvas.Rgb(50, 40));
    EXPECT_EQ(0u, canvas.Rgb(2, 2));
}

TEST_F(GroupBoxTest, ACaptionInterruptsTheTopEdge)
{
    box.SetText(L"Title");
    Canvas canvas(100, 80, 0xFF000000);
    const RECT caption = box.CaptionRect(canvas.dc(), RECT{5, 5, 95, 75});
    EXPECT_EQ(20, caption.left);
    EXPECT_EQ(5, caption.top);
    ASSERT_GT(caption.right, caption.left);
    ASSERT_LT(caption.right, 90);
    box.Paint(canvas.dc(), canvas.Bounds(), nullptr);
    const int edge = 5 + (caption.bottom - caption.top) / 2;
    EXPECT_EQ(0xFF0000u, canvas.Rgb(10, edge));
    EXPECT_EQ(0xFF0000u, canvas.Rgb(92, edge));
    EXPECT_NE(0xFF0000u, canvas.Rgb((caption.left + caption.right) / 2, edge));
    EXPECT_EQ(0u, canvas.Rgb(92, 5));
}

class RollTextTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        roll.SetManager(&manager, nullptr, false);
        roll.SetPos(RECT{0, 0, 100, 20});
        roll.SetText(L"rolling text");
    }
    void PaintOnce() { roll.Paint(canvas.dc(), canvas.Bounds(), nullptr); }
    SkinZipScope zip;
    CWindowUIManager manager;
    CRollTextUI roll;
    Canvas canvas{100, 20};
};

TEST_F(RollTextTest, FirstPaintMeasuresThenEachPaintStepsOn)
{
    PaintOnce();
    const int length = roll.GetTextLength();
    EXPECT_GT(length, 10);
    EXPECT_EQ(0, roll.GetOffset());
    PaintOnce();
    EXPECT_EQ(5, roll.GetOffset());
    PaintOnce();
    EXPECT_EQ(10, roll.GetOffset());
    // Round after round: it restarts once it has run past its width plus its own length.
    int restarts = 0;
    for (int i = 0; i < 200 && restarts == 0; ++i) {
        PaintOnce();
        restarts += roll.GetOffset() == 0;
    }
    EXPECT_EQ(1, restarts);
}

TEST_F(RollTextTest, NewTextOrPlaceRestartsMeasuring)
{
    PaintOnce();
    PaintOnce();
    PaintOnce();
    roll.SetText(L"another");
    EXPECT_EQ(0, roll.GetTextLength());
    EXPECT_EQ(0, roll.GetOffset());
    PaintOnce();
    EXPECT_GT(roll.GetTextLength(), 0);
    roll.SetPos(RECT{0, 0, 90, 20});
    EXPECT_EQ(0, roll.GetTextLength());
}

TEST_F(RollTextTest, TheEndTimerNotifiesOnce)
{
    NoteLog notes;
    manager.AddNotifier(&notes);
    ControlEvent end = MakeEvent(EVT_TIMER, 0, 0, CRollTextUI::kEndTimer);
    roll.DispatchEvent(end);
    EXPECT_EQ(1, notes.Count(L"textrollend", &roll));
    ControlEvent tick = MakeEvent(EVT_TIMER, 0, 0, CRollTextUI::kTickTimer);
    roll.DispatchEvent(tick);
    EXPECT_EQ(1, notes.Count(L"textrollend"));
    EXPECT_EQ(0, notes.Count(L"timer"));
    EXPECT_FALSE(roll.BeginRoll(7));
}

TEST(ColorPalette, HslConversion)
{
    EXPECT_EQ(0xFFFFFFu, CColorPaletteUI::HslToRgb(0, 200, 200));
    EXPECT_EQ(0x000000u, CColorPaletteUI::HslToRgb(0, 200, 0));
    EXPECT_EQ(0xFF0000u, CColorPaletteUI::HslToRgb(0, 200, 100));
    EXPECT_EQ(0x00FF00u, CColorPaletteUI::HslToRgb(120, 200, 100));
    EXPECT_EQ(0x0000FFu, CColorPaletteUI::HslToRgb(240, 200, 100));
    EXPECT_EQ(0x808080u, CColorPaletteUI::HslToRgb(77, 0, 100));
}

class ColorPaletteTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        manager.AddNotifier(&notes);
        palette.SetManager(&manager, nullptr, false);
        palette.InitControl();
        palette.SetPos(RECT{0, 0, 360, 220});
    }
    void Press(int type, int x, int y)
    {
        ControlEvent event = MakeEvent(type, x, y);
        palette.DispatchEvent(event);
    }
    SkinZipScope zip;
    CWindowUIManager manager;
    NoteLog notes;
    CColorPaletteUI palette;
};

TEST_F(ColorPaletteTest, ReleasingAtTheTopLeftGivesOpaqueWhite)
{
    Press(EVT_BUTTONDOWN, 0, 0);
    Press(EVT_BUTTONUP, 0, 0);
    EXPECT_EQ(0, palette.GetHue());
    EXPECT_EQ(200, palette.GetLightness());
    ASSERT_EQ(1, notes.Count(L"colorchanged"));
    EXPECT_EQ(0xFFFFFFFFu, notes.seen.back().wParam);
}

TEST_F(ColorPaletteTest, TheFieldPicksHueAndLightnessAndTheBarSaturation)
{
    Press(EVT_BUTTONDOWN, 120, 100);
    EXPECT_EQ(120, palette.GetHue());
    EXPECT_EQ(100, palette.GetLightness());
    Press(EVT_MOUSEMOVE, 500, 500);
    EXPECT_EQ(360, palette.GetHue());
    EXPECT_EQ(0, palette.GetLightness());
    EXPECT_EQ(360, palette.GetFieldThumb().x);
    EXPECT_EQ(200, palette.GetFieldThumb().y);
    Press(EVT_BUTTONUP, 500, 500);
    Press(EVT_BUTTONDOWN, 90, 215);
    EXPECT_EQ(50, palette.GetSaturation());
    Press(EVT_MOUSEMOVE, -40, 215);
    EXPECT_EQ(0, palette.GetSaturation());
    Press(EVT_BUTTONUP, -40, 215);
    EXPECT_EQ(2, notes.Count(L"colorchanged"));
}

TEST_F(ColorPaletteTest, APressEndedByAFocusLossOrDisablingStopsTheDragWithoutNotifying)
{
    const std::function<void()> endings[] = {
        [&] { Press(EVT_KILLFOCUS, 0, 0); },
        [&] { palette.SetEnabled(false); },
    };
    for (size_t i = 0; i < std::size(endings); ++i) {
        palette.SetEnabled(true);
        Press(EVT_BUTTONDOWN, 120, 100);
        endings[i]();
        Press(EVT_MOUSEMOVE, 240, 50);
        EXPECT_EQ(120, palette.GetHue()) << i;
        EXPECT_EQ(100, palette.GetLightness()) << i;
    }
    Press(EVT_BUTTONDOWN, 240, 50);
    EXPECT_EQ(120, palette.GetHue()) << "a disabled palette takes no press";
    EXPECT_EQ(0, notes.Count(L"colorchanged"));
}

TEST_F(ColorPaletteTest, PaintsTheFieldOverTheBarNeverPureBlack)
{
    Canvas canvas(360, 220, 0xFF123456);
    palette.Paint(canvas.dc(), canvas.Bounds(), nullptr);
    // Hue 180 at full saturation, half lightness: cyan in the middle of the field.
    EXPECT_TRUE(Near(canvas.Rgb(180, 100), 0x00FFFF));
    EXPECT_TRUE(Near(canvas.Rgb(180, 0), 0xFFFFFF));
    EXPECT_NE(0u, canvas.Rgb(180, 199));
    EXPECT_EQ(0x123456u, canvas.Rgb(180, 205));
    // The bar at its right end is the chosen colour at full saturation.
    EXPECT_TRUE(Near(canvas.Rgb(355, 215), 0x00FFFF));
    EXPECT_TRUE(Near(canvas.Rgb(2, 215), 0x808080));
}

TEST(Ring, TurnsThirtySixDegreesPerTickAndComesRound)
{
    CRingUI ring;
    std::vector<float> angles;
    for (int i = 0; i < 11; ++i) {
        ControlEvent tick = MakeEvent(EVT_TIMER, 0, 0, CRingUI::kTurnTimer);
        ring.DispatchEvent(tick);
        angles.push_back(ring.GetAngle());
    }
    EXPECT_FLOAT_EQ(36, angles[0]);
    EXPECT_FLOAT_EQ(360, angles[9]);
    EXPECT_FLOAT_EQ(36, angles[10]);
}

TEST(HotKey, CombinationNamesModifiersInOrder)
{
    EXPECT_TRUE(CHotKeyUI::CombinationText(0, 0).IsEmpty());
    const CUIString full = CHotKeyUI::CombinationText('A', HOTKEYF_CONTROL | HOTKEYF_SHIFT);
    const int first = full.Find(L" + ");
    ASSERT_GT(first, 0);
    const int second = full.Find(L" + ", first + 3);
    ASSERT_GT(second, first);
    EXPECT_EQ(-1, full.Find(L" + ", second + 3));
    EXPECT_EQ(CUIString(L"A"), full.Mid(second + 3));
    const CUIString alt = CHotKeyUI::CombinationText(VK_F5, HOTKEYF_ALT);
    EXPECT_NE(-1, alt.Find(L"F5"));
    EXPECT_NE(CHotKeyUI::CombinationText(VK_HOME, 0), CHotKeyUI::CombinationText(VK_NUMPAD7, 0));
}

TEST(HotKey, SizesToItsFontAndIsATabStopWhileEnabled)
{
    SkinZipScope zip;
    CWindowUIManager manager;
    CHotKeyUI hotKey;
    hotKey.SetManager(&manager, nullptr, false);
    hotKey.SetAttribute(L"width", L"80");
    const SIZE size = hotKey.CalcDesiredSize(SIZE{200, 200});
    EXPECT_EQ(80, size.cx);
    EXPECT_EQ(manager.GetFontInfo(-1)->tm.tmHeight + 6, size.cy);
    EXPECT_EQ(3u, hotKey.GetControlFlags());
    ControlEvent enter = MakeEvent(EVT_MOUSEENTER, 5, 5);
    hotKey.DispatchEvent(enter);
    EXPECT_EQ(CHotKeyUI::kHot, hotKey.GetButtonState());
    hotKey.SetEnabled(false);
    EXPECT_EQ(0u, hotKey.GetControlFlags());
    EXPECT_EQ(0u, hotKey.GetButtonState());
}

}  // namespace
