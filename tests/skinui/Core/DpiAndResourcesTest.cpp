#include "Core/ControlFactory.h"
#include "Core/ControlUI.h"
#include "Core/DpiScaler.h"
#include "Core/TextResources.h"
#include "Core/WindowWnd.h"

#include <gtest/gtest.h>

#include <climits>
#include <memory>
#include <string>

using namespace SkinUI;

TEST(DpiScaler, ScalesAndRoundsToTheNearestPixel)
{
    CDpiScaler scaler;
    scaler.SetDPI(144);
    ASSERT_EQ(150, scaler.GetScale());
    EXPECT_EQ(15, scaler.Scale(10));
    EXPECT_EQ(8, scaler.Scale(5));
    EXPECT_EQ(0, scaler.Scale(0));
    EXPECT_EQ(-15, scaler.Scale(-10));
    EXPECT_EQ(10, scaler.Unscale(15));
    EXPECT_EQ(-10, scaler.Unscale(-15));
    RECT rc = {1, 1, 2, 2};
    scaler.ScaleRect(rc);
    EXPECT_EQ(2, rc.left);
    EXPECT_EQ(2, rc.top);
    EXPECT_EQ(4, rc.right);
    EXPECT_EQ(4, rc.bottom);
    const RECT copy = scaler.ScaleRectCopy(RECT{-10, 0, 10, 20});
    EXPECT_EQ(-15, copy.left);
    EXPECT_EQ(15, copy.right);
    EXPECT_EQ(30, copy.bottom);
    RECT back = copy;
    scaler.UnscaleRect(back);
    EXPECT_EQ(-10, back.left);
    EXPECT_EQ(10, back.right);
    SIZE size = {400, 300};
    scaler.ScaleSizeInPlace(size);
    EXPECT_EQ(600, size.cx);
    EXPECT_EQ(450, size.cy);
    // Values whose scaled form passes the int range stop at its end instead of becoming -1.
    EXPECT_EQ(INT_MAX, scaler.Scale(2000000000));
    EXPECT_EQ(INT_MIN, scaler.Scale(-2000000000));
    EXPECT_EQ(1500000000, scaler.Scale(1000000000));
    scaler.SetDPI(48);
    EXPECT_EQ(INT_MAX, scaler.Unscale(2000000000));
}

TEST(DpiScaler, IgnoresDpiValuesOfZeroOrLess)
{
    CDpiScaler scaler;
    scaler.SetDPI(120);
    EXPECT_EQ(125, scaler.GetScale());
    EXPECT_EQ(120, scaler.GetDPI());
    scaler.SetDPI(0);
    scaler.SetDPI(-96);
    EXPECT_EQ(125, scaler.GetScale());
    EXPECT_EQ(8, scaler.Unscale(10));
    EXPECT_GT(CDpiScaler::GetMainMonitorDPI(), 0);
}

namespace {
class CountingQuery : public IQueryControlText {
public:
    int calls = 0;
    const wchar_t* answer = L"translated";
    const wchar_t* QueryControlText(const wchar_t*, const wchar_t*) override
    {
        ++calls;
        return answer;
    }
};
}  // namespace

TEST(TextResources, FallsBackToTheIdAndCachesCallbackAnswers)
{
    CTextResources* texts = CTextResources::GetInstance();
    EXPECT_EQ(texts, CTextResources::GetInstance());
    CUIString text(L"stale");
    texts->GetText(text, nullptr, nullptr);
    EXPECT_TRUE(text.IsEmpty());
    texts->GetText(text, L"IDS_NEXT", nullptr);
    EXPECT_EQ(CUIString(L"IDS_NEXT"), text);

    CountingQuery query;
    texts->SetQueryCallback(&query);
    texts->GetText(text, L"IDS_NEXT", L"text");
    texts->GetText(text, L"IDS_NEXT", L"text");
    EXPECT_EQ(CUIString(L"translated"), text);
    EXPECT_EQ(1, query.calls);

    query.answer = nullptr;
    texts->GetText(text, L"IDS_EMPTY", nullptr);
    EXPECT_TRUE(text.IsEmpty());
    EXPECT_EQ(nullptr, texts->GetFileAlias(L"a.xml"));
    EXPECT_EQ(nullptr, texts->GetSkinAlias(L"main"));

    texts->Reset();
    query.answer = L"again";
    texts->GetText(text, L"IDS_NEXT", nullptr);
    EXPECT_EQ(CUIString(L"again"), text);
    texts->SetQueryCallback(nullptr);
    CTextResources::Release();
}

TEST(ControlFactory, CreatesRegisteredClassesWhateverTheCase)
{
    CControlFactory* factory = CControlFactory::GetInstance();
    for (const wchar_t* name : {L"CControlUI", L"ccontrolui", L"CCONTROLUI"}) {
        std::unique_ptr<CControlUI> control(factory->CreateControl(name));
        ASSERT_NE(nullptr, control) << name;
        EXPECT_STREQ(L"Control", control->GetClass());
    }
    EXPECT_EQ(nullptr, factory->CreateControl(L"Control"));
    EXPECT_EQ(nullptr, factory->CreateControl(nullptr));

    // The first registration of a name stays.
    factory->RegisterControl(L"CCONTROLUI", [] { return static_cast<CControlUI*>(nullptr); });
    std::unique_ptr<CControlUI> control(factory->CreateControl(L"CControlUI"));
    EXPECT_NE(nullptr, control);
    CControlFactory::Release();
}

TEST(ControlFactory, KnowsEveryControlASkinMayName)
{
    // A skin element "X" becomes the class "CXUI".
    CControlFactory* factory = CControlFactory::GetInstance();
    for (const wchar_t* element : {L"Control", L"Container", L"VerticalLayout", L"HorizontalLayout",
                                   L"TabLayout", L"TileLayout", L"ChildLayout", L"Label", L"Button",
                                   L"Progress", L"Edit", L"ScrollBar", L"ActiveX", L"WebBrowser",
                                   L"Flash", L"Cef", L"RichEdit", L"Option", L"CheckBox", L"Slider",
                                   L"AnimationTabLayout", L"GifAnim", L"DateTime", L"IPAddress", L"GroupBox",
                                   L"RollText", L"ColorPalette", L"HotKey", L"FadeButton", L"Ring",
                                   L"PlaceHolder", L"List", L"ListHeader", L"ListHeaderItem",
                                   L"ListLabelElement", L"ListTextElement", L"ListContainerElement",
                                   L"Text", L"TreeView", L"TreeNode", L"ComboBox", L"Menu", L"MenuElement"}) {
        const std::wstring className = std::wstring(L"C") + element + L"UI";
        std::unique_ptr<CControlUI> control(factory->CreateControl(className.c_str()));
        EXPECT_NE(nullptr, control) << className.c_str();
    }
    CControlFactory::Release();
}

TEST(WindowPlacement, CentresOverTheReferenceAndStaysInTheWorkArea)
{
    const RECT work = {0, 0, 1000, 800};
    POINT origin = CenteredWindowOrigin(RECT{0, 0, 200, 100}, RECT{100, 100, 500, 300}, work);
    EXPECT_EQ(200, origin.x);
    EXPECT_EQ(150, origin.y);
    origin = CenteredWindowOrigin(RECT{0, 0, 1200, 900}, work, work);
    EXPECT_EQ(0, origin.x);
    EXPECT_EQ(0, origin.y);
    origin = CenteredWindowOrigin(RECT{0, 0, 200, 100}, RECT{900, 750, 1000, 800}, work);
    EXPECT_EQ(800, origin.x);
    EXPECT_EQ(700, origin.y);
}
