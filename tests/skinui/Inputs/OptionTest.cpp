#include "Control/InputsRegistration.h"
#include "Control/UIAnimationTabLayout.h"
#include "Control/UIOption.h"
#include "Control/UISlider.h"
#include "Core/ControlFactory.h"
#include "Core/DialogBuilder.h"
#include "Core/WindowUIManager.h"
#include "Layout/BoxLayout.h"
#include "Layout/ContainerUI.h"
#include "../Core/SkinTestData.h"
#include "../Core/TestWindows.h"
#include "InputsTestSupport.h"
#include "TestImages.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace SkinUI;
using namespace SkinUI::Testing;

namespace {

// Whether any pixel of the canvas is of the colour (0xRRGGBB).
bool Shows(const Canvas& canvas, DWORD rgb)
{
    const RECT bounds = canvas.Bounds();
    for (int x = 0; x < bounds.right; ++x)
        for (int y = 0; y < bounds.bottom; ++y)
            if (canvas.Rgb(x, y) == rgb) return true;
    return false;
}

class OptionGroupTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        RegisterInputsControls(*CControlFactory::GetInstance());
        manager.AddNotifier(&notes);
        const wchar_t* xml =
            L"<Window><HorizontalLayout>"
            L"<Option name=\"a\" group=\"g\" selected=\"true\" width=\"30\"/>"
            L"<Option name=\"b\" group=\"g\" width=\"30\"/>"
            L"<Option name=\"c\" group=\"g\" width=\"30\"/>"
            L"<Option name=\"free\" width=\"30\"/>"
            L"<CheckBox name=\"check\" EnableAutoCheck=\"true\" width=\"30\"/>"
            L"</HorizontalLayout></Window>";
        CControlUI* root = builder.Create(xml, nullptr, nullptr, &manager);
        EXPECT_NE(nullptr, root);
        manager.AttachRootControl(root);
        root->SetPos(RECT{0, 0, 150, 20});
        notes.seen.clear();
    }
    void TearDown() override { CWindowUIManager::Term(); }
    COptionUI* Option(const wchar_t* name)
    {
        CControlUI* control = manager.FindControl(name);
        return control ? static_cast<COptionUI*>(control->GetInterface(L"Option")) : nullptr;
    }
    void Click(CControlUI* control)
    {
        const RECT rc = control->GetPos();
        ControlEvent down = MakeEvent(EVT_BUTTONDOWN, rc.left + 5, rc.top + 5);
        control->DispatchEvent(down);
        ControlEvent up = MakeEvent(EVT_BUTTONUP, rc.left + 5, rc.top + 5);
        control->DispatchEvent(up);
    }

    CWindowUIManager manager;
    CDialogBuilder builder;
    NoteLog notes;
};

TEST_F(OptionGroupTest, SkinElementsBecomeTheirClasses)
{
    EXPECT_STREQ(L"Option", Option(L"a")->GetClass());
    CControlUI* check = manager.FindControl(L"check");
    EXPECT_STREQ(L"CheckBoxUI", check->GetClass());
    EXPECT_NE(nullptr, check->GetInterface(L"CheckBox"));
    EXPECT_NE(nullptr, check->GetInterface(L"Option"));
    EXPECT_NE(nullptr, check->GetInterface(L"Button"));
    const wchar_t* more = L"<Window><VerticalLayout><Slider name=\"s\"/><AnimationTabLayout name=\"t\"/>"
                          L"</VerticalLayout></Window>";
    CDialogBuilder other;
    CControlUI* root = other.Create(more, nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, root);
    auto* container = static_cast<IContainerUI*>(root->GetInterface(L"IContainer"));
    EXPECT_STREQ(L"Slider", container->GetItemAt(0)->GetClass());
    EXPECT_STREQ(L"AnimationTabLayout", container->GetItemAt(1)->GetClass());
    EXPECT_NE(nullptr, container->GetItemAt(1)->GetInterface(L"TabLayout"));
    delete root;
}

TEST_F(OptionGroupTest, ClickingAMemberSelectsItAloneAndOnlyItNotifies)
{
    EXPECT_TRUE(Option(L"a")->IsSelected());
    Click(Option(L"b"));
    EXPECT_FALSE(Option(L"a")->IsSelected());
    EXPECT_TRUE(Option(L"b")->IsSelected());
    EXPECT_FALSE(Option(L"c")->IsSelected());
    EXPECT_EQ(1, notes.Count(L"selectchanged"));
    EXPECT_EQ(1, notes.Count(L"selectchanged", Option(L"b")));
    EXPECT_EQ(1, notes.Count(L"click", Option(L"b")));
    EXPECT_EQ(COptionUI::kSelected, Option(L"b")->GetOptionState() & COptionUI::kSelected);
    EXPECT_EQ(0u, Option(L"a")->GetOptionState() & COptionUI::kSelected);
    Click(Option(L"b"));
    EXPECT_TRUE(Option(L"b")->IsSelected());
    EXPECT_EQ(1, notes.Count(L"selectchanged"));
}

TEST_F(OptionGroupTest, AnOptionWithoutGroupTogglesOnEachClick)
{
    COptionUI* free = Option(L"free");
    Click(free);
    EXPECT_TRUE(free->IsSelected());
    Click(free);
    EXPECT_FALSE(free->IsSelected());
    ASSERT_EQ(2, notes.Count(L"selectchanged", free));
    EXPECT_TRUE(Option(L"a")->IsSelected());
    // A check box without auto-check toggles on the click, as any option does.
    auto* check = new CCheckBoxUI();
    static_cast<IContainerUI*>(manager.GetRoot()->GetInterface(L"IContainer"))->Add(check);
    check->SetPos(RECT{200, 0, 230, 20});
    Click(check);
    EXPECT_TRUE(check->IsSelected());
    EXPECT_EQ(1u, notes.seen.back().wParam) << "a check box tells its new state";
}

TEST_F(OptionGroupTest, AutoCheckTogglesOnPressWithStateThenCheckClick)
{
    CControlUI* check = manager.FindControl(L"check");
    const RECT rc = check->GetPos();
    ControlEvent down = MakeEvent(EVT_BUTTONDOWN, rc.left + 3, 5);
    check->DispatchEvent(down);
    ASSERT_EQ(2u, notes.seen.size());
    EXPECT_EQ(CUIString(L"selectchanged"), notes.seen[0].sType);
    EXPECT_EQ(1u, notes.seen[0].wParam);
    EXPECT_EQ(CUIString(L"checkclick"), notes.seen[1].sType);
    ControlEvent again = MakeEvent(EVT_DBLCLICK, rc.left + 3, 5);
    check->DispatchEvent(again);
    EXPECT_EQ(0u, notes.seen[2].wParam);
    EXPECT_FALSE(Option(L"check")->IsSelected());
    ControlEvent outside = MakeEvent(EVT_BUTTONDOWN, rc.right + 10, 5);
    check->DispatchEvent(outside);
    EXPECT_FALSE(Option(L"check")->IsSelected());
}

TEST_F(OptionGroupTest, ChangingOrLeavingAGroupUpdatesTheWindowsGroups)
{
    Option(L"c")->SetGroup(L"h");
    EXPECT_EQ(2, manager.GetOptionGroup(L"g")->GetSize());
    EXPECT_EQ(1, manager.GetOptionGroup(L"h")->GetSize());
    Option(L"c")->Selected(true, true);
    EXPECT_TRUE(Option(L"a")->IsSelected());
    Option(L"c")->SetGroup(nullptr);
    EXPECT_TRUE(Option(L"c")->GetGroup().IsEmpty());
    auto* extra = new COptionUI();
    extra->SetGroup(L"h");
    extra->SetGroup(L"g");  // outside any window, a change of group touches no window's groups
    extra->SetManager(&manager, nullptr, true);
    EXPECT_EQ(3, manager.GetOptionGroup(L"g")->GetSize());
    delete extra;
    EXPECT_EQ(2, manager.GetOptionGroup(L"g")->GetSize());
}

// Built for the window but deleted before it joins, or moved to another window: the group keeps only
// the options that are still its window's, and clicking one walks the group safely.
TEST_F(OptionGroupTest, AnOptionLeavesTheGroupOfEachWindowItLeaves)
{
    CDialogBuilder other;
    CControlUI* unused = other.Create(L"<Window><VerticalLayout><Option group=\"g\"/><Option group=\"g\"/>"
                                      L"</VerticalLayout></Window>",
                                      nullptr, nullptr, &manager);
    ASSERT_NE(nullptr, unused);
    delete unused;
    EXPECT_EQ(3, manager.GetOptionGroup(L"g")->GetSize());

    CWindowUIManager second;
    auto* moved = new COptionUI();
    moved->SetGroup(L"g");
    moved->SetManager(&manager, nullptr, true);
    moved->SetManager(&second, nullptr, true);
    EXPECT_EQ(3, manager.GetOptionGroup(L"g")->GetSize());
    EXPECT_EQ(1, second.GetOptionGroup(L"g")->GetSize());
    delete moved;
    EXPECT_EQ(nullptr, second.GetOptionGroup(L"g"));
    Click(Option(L"c"));
    EXPECT_TRUE(Option(L"c")->IsSelected());
    EXPECT_FALSE(Option(L"a")->IsSelected());
}

// However a group came together, one member is selected: the one selected last, as a click would.
TEST(OptionGroup, TwoSelectedMembersLeaveTheLaterOneSelectedHoweverTheGroupWasBuilt)
{
    RegisterInputsControls(*CControlFactory::GetInstance());
    const wchar_t* const groupFirst =
        L"<Option name=\"a\" group=\"g\" selected=\"true\"/><Option name=\"b\" group=\"g\" selected=\"true\"/>";
    const wchar_t* const selectedFirst =
        L"<Option name=\"a\" selected=\"true\" group=\"g\"/><Option name=\"b\" selected=\"true\" group=\"g\"/>";
    using Code = void (*)(CHorizontalLayoutUI& root, COptionUI& option);
    const struct {
        const char* how;
        const wchar_t* skin;  // else two options made in code
        bool builtForTheWindow;
        Code code;
    } ways[] = {
        {"skin built, then attached", groupFirst, false, nullptr},
        {"skin built for the window", groupFirst, true, nullptr},
        {"selected before group, built for the window", selectedFirst, true, nullptr},
        {"selected before group, then attached", selectedFirst, false, nullptr},
        {"added to a window later", nullptr, false,
         [](CHorizontalLayoutUI& root, COptionUI& option) {
             option.SetGroup(L"g");
             option.Selected(true, false);
             root.Add(&option);
         }},
        {"grouped in code after selecting", nullptr, false,
         [](CHorizontalLayoutUI& root, COptionUI& option) {
             root.Add(&option);
             option.Selected(true, false);
             option.SetGroup(L"g");
         }},
    };
    for (const auto& way : ways) {
        CWindowUIManager manager;
        if (way.skin) {
            const std::wstring xml = std::wstring(L"<Window><HorizontalLayout>") + way.skin + L"</HorizontalLayout></Window>";
            CDialogBuilder builder;
            manager.AttachRootControl(builder.Create(xml.c_str(), nullptr, nullptr, way.builtForTheWindow ? &manager : nullptr));
        } else {
            auto* root = new CHorizontalLayoutUI();
            manager.AttachRootControl(root);
            for (const wchar_t* name : {L"a", L"b"}) {
                auto* option = new COptionUI();
                option->SetName(name);
                way.code(*root, *option);
            }
        }
        auto* a = static_cast<COptionUI*>(manager.FindControl(L"a"));
        auto* b = static_cast<COptionUI*>(manager.FindControl(L"b"));
        ASSERT_TRUE(a && b) << way.how;
        EXPECT_FALSE(a->IsSelected()) << way.how;
        EXPECT_EQ(0u, a->GetOptionState() & COptionUI::kSelected) << way.how;
        EXPECT_TRUE(b->IsSelected()) << way.how;
        // The group still works as one: a click on the other member moves the selection.
        ASSERT_TRUE(a->Activate()) << way.how;
        EXPECT_TRUE(a->IsSelected()) << way.how;
        EXPECT_FALSE(b->IsSelected()) << way.how;
    }
    CWindowUIManager::Term();
}

class InputRepaintTest : public WindowTest {};

TEST_F(InputRepaintTest, ChangesToWhatAnInputShowsAskTheWindowToRepaint)
{
    const struct {
        CControlUI* (*make)();
        const wchar_t* name;
        const wchar_t* value;
    } cases[] = {
        {[] { return static_cast<CControlUI*>(new COptionUI()); }, L"selectedimage", L"a.png"},
        {[] { return static_cast<CControlUI*>(new COptionUI()); }, L"selectedforeimage", L"a.png"},
        {[] { return static_cast<CControlUI*>(new COptionUI()); }, L"selectedstatecount", L"2"},
        {[] { return static_cast<CControlUI*>(new COptionUI()); }, L"selectedfont", L"1"},
        {[] { return static_cast<CControlUI*>(new CSliderUI()); }, L"thumbimage", L"a.png"},
        {[] { return static_cast<CControlUI*>(new CSliderUI()); }, L"thumbcolor", L"#FF00FF00"},
        {[] { return static_cast<CControlUI*>(new CSliderUI()); }, L"bkcolorheight", L"4"},
        {[] { return static_cast<CControlUI*>(new CSliderUI()); }, L"bkcolorwidth", L"4"},
    };
    for (const auto& c : cases) {
        CControlUI* control = c.make();
        const std::wstring what = std::wstring(control->GetClass()) + L" " + c.name;
        EXPECT_TRUE(AttributeAsksForRepaint(control, c.name, c.value)) << std::string(what.begin(), what.end());
    }
}

TEST(Option, SelectedWithoutSelectedBackgroundPaintsNoBackground)
{
    SkinZipScope zip;
    CWindowUIManager manager;
    COptionUI option;
    option.SetManager(&manager, nullptr, false);
    option.SetAttribute(L"bkcolor", L"#FFFF0000");
    option.SetPos(RECT{0, 0, 20, 20});
    Canvas canvas(20, 20, 0xFF000000);
    option.Paint(canvas.dc(), canvas.Bounds(), nullptr);
    EXPECT_EQ(0xFF0000u, canvas.Rgb(10, 10));
    option.Selected(true, false);
    Canvas selected(20, 20, 0xFF000000);
    option.Paint(selected.dc(), selected.Bounds(), nullptr);
    EXPECT_EQ(0u, selected.Rgb(10, 10));
    option.SetAttribute(L"selectedbkcolor", L"FF00FF00");
    option.Paint(selected.dc(), selected.Bounds(), nullptr);
    EXPECT_EQ(0x00FF00u, selected.Rgb(10, 10));
}

TEST(Option, SelectedTextColourIsUsedOnlyWhileSelected)
{
    SkinZipScope zip;
    CWindowUIManager manager;
    COptionUI option;
    option.SetManager(&manager, nullptr, false);
    option.SetAttribute(L"textcolor", L"#FF0000FF");
    option.SetAttribute(L"selectedtextcolor", L"#FFFF0000");
    option.SetAttribute(L"selected", L"true");
    option.SetText(L"\x2588\x2588\x2588\x2588");
    option.SetPos(RECT{0, 0, 60, 20});
    Canvas canvas(60, 20, 0xFFFFFFFF);
    option.Paint(canvas.dc(), canvas.Bounds(), nullptr);
    EXPECT_TRUE(Shows(canvas, 0xFF0000u)) << "drawn in the selected colour";
    EXPECT_EQ(0xFF0000FFu, option.GetTextColor());
}

TEST(Option, PaintingWhileSelectedLeavesAnUnsetTextColourUnset)
{
    SkinZipScope zip;
    CWindowUIManager manager;
    manager.SetDefaultFontColor(0xFF00FF00);
    COptionUI option;
    option.SetManager(&manager, nullptr, false);
    option.SetAttribute(L"selected", L"true");
    option.SetText(L"\x2588\x2588\x2588\x2588");
    option.SetPos(RECT{0, 0, 60, 20});
    Canvas canvas(60, 20, 0xFFFFFFFF);
    option.Paint(canvas.dc(), canvas.Bounds(), nullptr);
    EXPECT_TRUE(Shows(canvas, 0x00FF00u)) << "drawn in the window's default colour";
    EXPECT_EQ(0u, option.GetTextColor());
    // Deselected, it follows the window's default as it is now.
    manager.SetDefaultFontColor(0xFF0000FF);
    option.Selected(false, false);
    Canvas plain(60, 20, 0xFFFFFFFF);
    option.Paint(plain.dc(), plain.Bounds(), nullptr);
    EXPECT_EQ(0xFF0000FFu, option.GetTextColor());
}

// While selected the option shows the selected image of its state: pushed, else hot, else plain. Pushed
// without a pushed image it still looks hot; a pushed image that cannot be drawn gives the plain one.
TEST(Option, SelectedImagesFollowTheButtonState)
{
    SkinZipScope zip;
    TempImageFile plain("selected.bmp", MakeBmp(10, 10, 0x00FF00));
    TempImageFile hot("selected-hot.bmp", MakeBmp(10, 10, 0x0000FF));
    TempImageFile pushed("selected-pushed.bmp", MakeBmp(10, 10, 0xFF0000));
    const auto file = [](const TempImageFile& image) { return L"file='" + image.Path() + L"'"; };
    enum PushedImage { Drawable, None, Missing };
    const struct {
        const char* state;
        std::vector<int> events;
        PushedImage pushedImage;
        DWORD shown;
    } cases[] = {
        {"resting", {}, Drawable, 0x00FF00},
        {"hot", {EVT_MOUSEENTER}, Drawable, 0x0000FF},
        {"pushed", {EVT_MOUSEENTER, EVT_BUTTONDOWN}, Drawable, 0xFF0000},
        {"pushed, no pushed image", {EVT_MOUSEENTER, EVT_BUTTONDOWN}, None, 0x0000FF},
        {"pushed, pushed image missing", {EVT_MOUSEENTER, EVT_BUTTONDOWN}, Missing, 0x00FF00},
        {"left again", {EVT_MOUSEENTER, EVT_MOUSELEAVE}, Drawable, 0x00FF00},
    };
    for (const auto& c : cases) {
        CWindowUIManager manager;
        COptionUI option;
        option.SetManager(&manager, nullptr, false);
        option.SetPos(RECT{0, 0, 10, 10});
        option.SetAttribute(L"selectedimage", file(plain).c_str());
        option.SetAttribute(L"selectedhotimage", file(hot).c_str());
        if (c.pushedImage == Drawable) option.SetAttribute(L"selectedpushedimage", file(pushed).c_str());
        if (c.pushedImage == Missing) option.SetAttribute(L"selectedpushedimage", L"file='no-such-image.bmp'");
        option.Selected(true, false);
        for (int type : c.events) {
            ControlEvent event = MakeEvent(type, 5, 5);
            option.DispatchEvent(event);
        }
        Canvas canvas(10, 10, 0xFF000000);
        option.Paint(canvas.dc(), canvas.Bounds(), nullptr);
        EXPECT_EQ(c.shown, canvas.Rgb(5, 5)) << c.state;
    }
    // Over the top half: the selected foreground while selected, else the plain one.
    CWindowUIManager manager;
    COptionUI option;
    option.SetManager(&manager, nullptr, false);
    option.SetPos(RECT{0, 0, 10, 10});
    option.SetAttribute(L"selectedimage", file(plain).c_str());
    option.SetAttribute(L"foreimage", (file(hot) + L" dest='0,0,10,5'").c_str());
    option.SetAttribute(L"selectedforeimage", (file(pushed) + L" dest='0,0,10,5'").c_str());
    for (const bool selected : {true, false}) {
        option.Selected(selected, false);
        Canvas canvas(10, 10, 0xFF000000);
        option.Paint(canvas.dc(), canvas.Bounds(), nullptr);
        EXPECT_EQ(selected ? 0xFF0000u : 0x0000FFu, canvas.Rgb(5, 2)) << "selected " << selected;
        EXPECT_EQ(selected ? 0x00FF00u : 0u, canvas.Rgb(5, 7)) << "selected " << selected;
    }
}

TEST(Option, ADisabledSelectedOptionWritesInTheWindowsDisabledColour)
{
    SkinZipScope zip;
    CWindowUIManager manager;
    manager.SetDefaultDisabledColor(0xFF00FF00);
    COptionUI option;
    option.SetManager(&manager, nullptr, false);
    option.SetAttribute(L"textcolor", L"#FF0000FF");
    option.SetText(L"\x2588\x2588\x2588\x2588");
    option.SetPos(RECT{0, 0, 60, 20});
    option.Selected(true, false);
    option.SetEnabled(false);
    Canvas canvas(60, 20, 0xFFFFFFFF);
    option.Paint(canvas.dc(), canvas.Bounds(), nullptr);
    EXPECT_TRUE(Shows(canvas, 0x00FF00u));
    EXPECT_FALSE(Shows(canvas, 0x0000FFu));
}

TEST(Option, StateImageStripIsCutIntoFrames)
{
    SkinZipScope zip;
    TempImageFile strip("strip.bmp", MakeBmp(90, 10, 0x00FF00));
    const CUIString description = CUIString(L"file='") + strip.Path().c_str() + L"'";
    // The 90-pixel strip cut into count frames: the first is the selected look, the second the hot and
    // pushed look, the third the pushed one. Without a count nothing is cut (empty: no such look).
    const struct {
        const wchar_t* count;
        const wchar_t* selected;
        const wchar_t* hot;
        const wchar_t* pushed;
    } cases[] = {
        {L"3", L"source='0,0,30,10'", L"source='30,0,60,10'", L"source='60,0,90,10'"},
        {L"2", L"source='0,0,45,10'", L"source='45,0,90,10'", L"source='45,0,90,10'"},
        {L"1", L"source='0,0,90,10'", nullptr, nullptr},
        {nullptr, nullptr, nullptr, nullptr},
    };
    const auto has = [](const CUIString& built, const wchar_t* source) {
        return source ? built.Find(source) != -1 : built.IsEmpty();
    };
    for (const auto& c : cases) {
        CWindowUIManager manager;
        COptionUI option;
        option.SetManager(&manager, nullptr, false);
        option.SetPos(RECT{0, 0, 30, 10});
        option.SetAttribute(L"selectedstateimage", description);
        if (c.count) option.SetAttribute(L"selectedstatecount", c.count);
        option.Selected(true, false);
        Canvas canvas(30, 10, 0xFF000000);
        option.Paint(canvas.dc(), canvas.Bounds(), nullptr);
        const std::string count = c.count ? std::to_string(_wtoi(c.count)) : "no count";
        EXPECT_TRUE(has(option.GetSelectedImage(), c.selected)) << count;
        EXPECT_TRUE(has(option.GetSelectedHotImage(), c.hot)) << count;
        EXPECT_TRUE(has(option.GetSelectedPushedImage(), c.pushed)) << count;
        EXPECT_EQ(c.count ? 0x00FF00u : 0u, canvas.Rgb(15, 5)) << count;
    }
}

}  // namespace
