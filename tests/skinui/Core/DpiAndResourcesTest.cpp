#include "Core/ControlFactory.h"
#include "Core/ControlUI.h"
#include "Core/DpiScaler.h"
#include "Core/TextResources.h"
#include "Core/WindowWnd.h"
#include "../ActiveX/DebugOutputCapture.h"

#include <gtest/gtest.h>

#include <climits>
#include <memory>
#include <string>

using namespace SkinUI;
using SkinUI::Testing::DebugOutputCapture;

namespace {
struct DpiCase {
    int dpi;
    int scale;
};
constexpr DpiCase kDpis[] = {{96, 100}, {120, 125}, {144, 150}, {192, 200}};

CDpiScaler ScalerAt(int dpi)
{
    CDpiScaler scaler;
    scaler.SetDPI(dpi);
    return scaler;
}

void ExpectRect(const RECT& expected, const RECT& actual, const std::string& label)
{
    EXPECT_EQ(expected.left, actual.left) << label;
    EXPECT_EQ(expected.top, actual.top) << label;
    EXPECT_EQ(expected.right, actual.right) << label;
    EXPECT_EQ(expected.bottom, actual.bottom) << label;
}
}  // namespace

// The program draws its own windows at the window's scale, so the system must not stretch them: the first
// scaler makes the process per-monitor aware and starts at 100 %.
TEST(DpiScaler, MakesTheProcessPerMonitorAware)
{
    const DpiSystemFunctions& system = CDpiScaler::SystemFunctions();
    ASSERT_TRUE(system.available);
    ASSERT_NE(nullptr, system.getProcessDpiAwareness);
    EXPECT_NE(nullptr, system.setProcessDpiAwareness);
    EXPECT_NE(nullptr, system.getDpiForMonitor);
    const CDpiScaler scaler;
    EXPECT_EQ(100, scaler.GetScale());
    int awareness = -1;
    ASSERT_EQ(S_OK, system.getProcessDpiAwareness(::GetCurrentProcess(), &awareness));
    EXPECT_EQ(2, awareness);
    HDC screen = ::GetDC(nullptr);
    EXPECT_EQ(::GetDeviceCaps(screen, LOGPIXELSX), CDpiScaler::GetMainMonitorDPI());
    // Without Shcore the screen answers.
    EXPECT_EQ(::GetDeviceCaps(screen, LOGPIXELSX), CDpiScaler::GetMonitorDPI(DpiSystemFunctions()));
    ::ReleaseDC(nullptr, screen);
}

namespace {
// Shcore's answers, as a table row sets them.
struct FakeShcore {
    static inline HRESULT queryResult = S_OK;
    static inline int awareness = 0;
    static inline HRESULT monitorResult = S_OK;
    static inline UINT monitorDpi = 96;
    static inline int setCalls = 0, setValue = -1, monitorCalls = 0;

    static HRESULT WINAPI Query(HANDLE process, int* value)
    {
        if (process != ::GetCurrentProcess() || FAILED(queryResult)) return E_FAIL;
        *value = awareness;
        return queryResult;
    }
    static HRESULT WINAPI Set(int value)
    {
        ++setCalls;
        setValue = value;
        return S_OK;
    }
    // Only the effective DPI (type 0) is known.
    static HRESULT WINAPI Monitor(HMONITOR monitor, int type, UINT* x, UINT* y)
    {
        ++monitorCalls;
        if (!monitor || type != 0) return E_INVALIDARG;
        *x = *y = monitorDpi;
        return monitorResult;
    }
};
}  // namespace

TEST(DpiScaler, AwarenessDecidesTheStartingScale)
{
    HDC screen = ::GetDC(nullptr);
    const int screenScale = ::MulDiv(::GetDeviceCaps(screen, LOGPIXELSX), 100, 96);
    ::ReleaseDC(nullptr, screen);
    struct Case {
        const char* name;
        bool hasQuery;
        HRESULT query;
        int awareness;
        bool hasSet, hasMonitor;
        HRESULT monitor;
        UINT dpi;
        int scale, setValue, monitorCalls;
    };
    const Case cases[] = {
        {"unaware becomes per-monitor aware", true, S_OK, 0, true, true, S_OK, 144, 100, 2, 0},
        {"unaware without the setter", true, S_OK, 0, false, true, S_OK, 144, 100, -1, 0},
        {"system aware at 144", true, S_OK, 1, true, true, S_OK, 144, 150, -1, 1},
        {"system aware at 120", true, S_OK, 1, true, true, S_OK, 120, 125, -1, 1},
        {"monitor question fails", true, S_OK, 1, true, true, E_FAIL, 144, 100, -1, 1},
        {"monitor cannot be asked", true, S_OK, 1, true, false, S_OK, 144, 100, -1, 0},
        {"monitor answers 0: the screen", true, S_OK, 1, true, true, S_OK, 0, screenScale, -1, 1},
        {"absurd monitor DPI", true, S_OK, 1, true, true, S_OK, 4800, 100, -1, 1},
        {"per-monitor aware already", true, S_OK, 2, true, true, S_OK, 144, 100, -1, 0},
        {"awareness question fails", true, E_FAIL, 1, true, true, S_OK, 144, 100, -1, 0},
        {"awareness cannot be asked", false, S_OK, 1, true, true, S_OK, 144, 100, -1, 0},
    };
    for (const Case& c : cases) {
        FakeShcore::queryResult = c.query;
        FakeShcore::awareness = c.awareness;
        FakeShcore::monitorResult = c.monitor;
        FakeShcore::monitorDpi = c.dpi;
        FakeShcore::setCalls = FakeShcore::monitorCalls = 0;
        FakeShcore::setValue = -1;
        DpiSystemFunctions system;
        system.available = true;
        if (c.hasQuery) system.getProcessDpiAwareness = &FakeShcore::Query;
        if (c.hasSet) system.setProcessDpiAwareness = &FakeShcore::Set;
        if (c.hasMonitor) system.getDpiForMonitor = &FakeShcore::Monitor;
        const CDpiScaler scaler(system);
        EXPECT_EQ(c.scale, scaler.GetScale()) << c.name;
        EXPECT_EQ(c.setValue, FakeShcore::setValue) << c.name;
        EXPECT_EQ(c.setValue < 0 ? 0 : 1, FakeShcore::setCalls) << c.name;
        EXPECT_EQ(c.monitorCalls, FakeShcore::monitorCalls) << c.name;
    }
}

TEST(DpiScaler, DpiBecomesAScaleInPercentAndBack)
{
    for (const DpiCase& c : kDpis) {
        const CDpiScaler scaler = ScalerAt(c.dpi);
        EXPECT_EQ(c.scale, scaler.GetScale()) << c.dpi;
        EXPECT_EQ(c.dpi, scaler.GetDPI()) << c.dpi;
    }
}

// Every value rounds to the nearest pixel, halves away from zero.
TEST(DpiScaler, ScaleAndUnscaleRoundToTheNearestPixel)
{
    struct Case {
        int dpi, value, scaled, unscaled;
    };
    const Case cases[] = {
        {96, 7, 7, 7},       {96, -7, -7, -7},    {120, 10, 13, 8},    {120, 7, 9, 6},
        {120, 2, 3, 2},      {120, -2, -3, -2},   {120, 13, 16, 10},   {144, 5, 8, 3},
        {144, 10, 15, 7},    {144, 15, 23, 10},   {144, 16, 24, 11},   {144, -10, -15, -7},
        {144, 0, 0, 0},      {192, 7, 14, 4},     {192, 3, 6, 2},      {192, 15, 30, 8},
    };
    for (const Case& c : cases) {
        const CDpiScaler scaler = ScalerAt(c.dpi);
        EXPECT_EQ(c.scaled, scaler.Scale(c.value)) << c.dpi << " " << c.value;
        EXPECT_EQ(c.unscaled, scaler.Unscale(c.value)) << c.dpi << " " << c.value;
        const SIZE size = scaler.ScaleSize(c.value, c.value + 1);
        EXPECT_EQ(c.scaled, size.cx) << c.dpi << " " << c.value;
        EXPECT_EQ(scaler.Scale(c.value + 1), size.cy) << c.dpi << " " << c.value;
        SIZE inPlace = {c.value + 1, c.value};
        scaler.ScaleSizeInPlace(inPlace);
        EXPECT_EQ(size.cy, inPlace.cx) << c.dpi << " " << c.value;
        EXPECT_EQ(c.scaled, inPlace.cy) << c.dpi << " " << c.value;
    }
}

// A rectangle keeps its own width: right = Scale(left) + Scale(width), which differs from Scale(right)
// where both round up.
TEST(DpiScaler, RectanglesScaleTheirCornerAndTheirSizeApart)
{
    struct Case {
        int dpi;
        RECT rc, scaled, unscaled;
    };
    const Case cases[] = {
        {96, {3, 4, 10, 20}, {3, 4, 10, 20}, {3, 4, 10, 20}},
        {120, {2, 2, 4, 6}, {3, 3, 6, 8}, {2, 2, 4, 5}},
        {120, {-10, 0, 10, 8}, {-13, 0, 12, 10}, {-8, 0, 8, 6}},
        {144, {1, 1, 2, 2}, {2, 2, 4, 4}, {1, 1, 2, 2}},
        {144, {-10, 0, 10, 20}, {-15, 0, 15, 30}, {-7, 0, 6, 13}},
        {144, {3, 5, 9, 8}, {5, 8, 14, 13}, {2, 3, 6, 5}},
        {192, {3, 5, 9, 8}, {6, 10, 18, 16}, {2, 3, 5, 5}},
        // Spanning most of the int range: the width alone passes it.
        {96, {-2000000000, -2000000000, 2000000000, 2000000000},
         {-2000000000, -2000000000, 2000000000, 2000000000}, {-2000000000, -2000000000, 2000000000, 2000000000}},
        {144, {-2000000000, 0, 2000000000, 10}, {INT_MIN, 0, INT_MAX, 15}, {-1333333333, 0, 1333333334, 7}},
    };
    for (const Case& c : cases) {
        const CDpiScaler scaler = ScalerAt(c.dpi);
        const std::string label = std::to_string(c.dpi) + " " + std::to_string(c.rc.left);
        ExpectRect(c.scaled, scaler.ScaleRectCopy(c.rc), label + " copy");
        RECT rc = c.rc;
        scaler.ScaleRect(rc);
        ExpectRect(c.scaled, rc, label + " in place");
        rc = c.rc;
        scaler.UnscaleRect(rc);
        ExpectRect(c.unscaled, rc, label + " unscaled");
    }
    // A measured size written back unscaled gives the same pixels when scaled again.
    const CDpiScaler scaler = ScalerAt(144);
    EXPECT_EQ(450, scaler.Scale(scaler.Unscale(450)));
    EXPECT_EQ(600, scaler.Scale(scaler.Unscale(600)));
}

TEST(DpiScaler, ValuesPastTheIntRangeStopAtItsEnds)
{
    const CDpiScaler scaler = ScalerAt(144);
    EXPECT_EQ(INT_MAX, scaler.Scale(2000000000));
    EXPECT_EQ(INT_MIN, scaler.Scale(-2000000000));
    EXPECT_EQ(1500000000, scaler.Scale(1000000000));
    EXPECT_EQ(INT_MAX, ScalerAt(48).Unscale(2000000000));
}

// A DPI whose scale leaves 25 % .. 500 % is refused with one warning and the last good scale stays.
TEST(DpiScaler, RefusesAbsurdDpiValuesAndKeepsTheLastGoodScale)
{
    struct Case {
        int dpi, scale;  // scale 0: refused
    };
    const Case cases[] = {{480, 500}, {481, 0}, {24, 25}, {23, 0}, {0, 0}, {-96, 0}, {INT_MAX, 0}, {INT_MIN, 0},
                          {2147483, 0}, {120, 125}};
    CDpiScaler scaler;
    scaler.SetDPI(144);
    DebugOutputCapture debug;
    ASSERT_TRUE(debug.IsListening());
    for (const Case& c : cases) {
        const int before = scaler.GetScale();
        const size_t lines = debug.Lines().size();
        scaler.SetDPI(c.dpi);
        EXPECT_EQ(c.scale ? c.scale : before, scaler.GetScale()) << c.dpi;
        const std::vector<std::string> written = debug.Lines();
        ASSERT_EQ(lines + (c.scale ? 0 : 1), written.size()) << c.dpi;
        if (!c.scale) {
            EXPECT_EQ(0u, written.back().find("SkinUI: Warning: ")) << c.dpi;
        }
        // Sizes stay sane whatever was asked.
        RECT rc = {10, 10, 110, 60};
        scaler.ScaleRect(rc);
        EXPECT_EQ(scaler.Scale(100), rc.right - rc.left) << c.dpi;
        EXPECT_GT(rc.right, rc.left) << c.dpi;
    }
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
