#include "Core/WindowImplBase.h"
#include "TestWindows.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

using namespace SkinUI;
using namespace SkinUI::Testing;

namespace {

TEST(FrameHitTest, SizeBoxEdgesCornersAndCaption)
{
    const RECT client = {0, 0, 200, 100};
    const RECT box = {4, 4, 4, 4};
    const RECT caption = {0, 0, 0, 30};
    EXPECT_EQ(UINT(HTTOPLEFT), FrameHitTest(POINT{1, 1}, client, box, caption, false));
    EXPECT_EQ(UINT(HTBOTTOMRIGHT), FrameHitTest(POINT{199, 99}, client, box, caption, false));
    EXPECT_EQ(UINT(HTTOP), FrameHitTest(POINT{100, 2}, client, box, caption, false));
    EXPECT_EQ(UINT(HTLEFT), FrameHitTest(POINT{1, 50}, client, box, caption, false));
    EXPECT_EQ(UINT(HTCAPTION), FrameHitTest(POINT{100, 10}, client, box, caption, false));
    EXPECT_EQ(UINT(HTCLIENT), FrameHitTest(POINT{100, 50}, client, box, caption, false));
    EXPECT_EQ(UINT(HTCAPTION), FrameHitTest(POINT{1, 1}, client, box, caption, true));
    EXPECT_EQ(UINT(HTCAPTION), FrameHitTest(POINT{100, 99}, client, RECT{0, 0, 0, 0}, RECT{0, 0, 0, -1}, false));
}

class SkinnedWindow : public WindowImplBase {
public:
    int inits = 0;
    std::vector<CUIString> clicked;
    std::vector<WPARAM> closes;

protected:
    const wchar_t* GetWindowClassName() const override { return L"SkinUITestSkinned"; }
    CUIString GetSkinFile() override
    {
        return L"<Window size=\"200,100\" caption=\"0,0,0,40\" sizebox=\"4,4,4,4\">"
               L"<VerticalLayout><HorizontalLayout height=\"40\"><Label name=\"title\" text=\"t\" width=\"100\"/><Control/>"
               L"<Button name=\"close\" width=\"30\"/></HorizontalLayout><Control/></VerticalLayout></Window>";
    }
    void InitWindow() override { ++inits; }
    void OnClick(NotifyMessage& msg) override { clicked.push_back(msg.pSender->GetName()); }
    LRESULT OnClose(UINT, WPARAM wParam, LPARAM, bool& handled) override
    {
        closes.push_back(wParam);
        handled = true;
        return 0;
    }
};

class WindowImplBaseTest : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        ASSERT_NE(nullptr, window.Create(nullptr, L"skinned", WS_POPUP, 0, 100, 100, 50, 50))
            << "no window: is an X display available?";
        ::ShowWindow(window, SW_SHOWNOACTIVATE);
        ::UpdateWindow(window);
    }
    void TearDown() override
    {
        if (::IsWindow(window)) ::DestroyWindow(window);
    }
    LRESULT HitAt(int x, int y)
    {
        POINT pt = {x, y};
        ::ClientToScreen(window, &pt);
        return ::SendMessageW(window, WM_NCHITTEST, 0, MAKELPARAM(pt.x, pt.y));
    }

    SkinnedWindow window;
};

TEST_F(WindowImplBaseTest, BuildsItsSkinAndSizesItself)
{
    EXPECT_EQ(1, window.inits);
    ASSERT_NE(nullptr, window.GetManager().GetRoot());
    RECT rc = {};
    ::GetClientRect(window, &rc);
    EXPECT_EQ(200, rc.right);
    EXPECT_EQ(100, rc.bottom);
    EXPECT_NE(0, window.GetStyle() & WS_CLIPCHILDREN);
}

TEST_F(WindowImplBaseTest, LabelsInTheCaptionDragButtonsClick)
{
    EXPECT_EQ(HTCAPTION, HitAt(50, 20));
    EXPECT_EQ(HTCLIENT, HitAt(180, 20));
    EXPECT_EQ(HTCLIENT, HitAt(100, 70));
    EXPECT_EQ(HTTOPLEFT, HitAt(1, 1));
    ::PostMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(180, 20));
    ::PostMessageW(window, WM_LBUTTONUP, 0, MAKELPARAM(180, 20));
    ASSERT_TRUE(PumpUntil([&] { return !window.clicked.empty(); }));
    EXPECT_EQ(CUIString(L"close"), window.clicked[0]);
}

TEST_F(WindowImplBaseTest, SystemCloseArrivesAsCloseWithoutResult)
{
    ::SendMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    ASSERT_EQ(1u, window.closes.size());
    EXPECT_EQ(0u, window.closes[0]);
}

TEST_F(WindowImplBaseTest, EscapeIsTheDefaultKeyButNotConsumed)
{
    bool handled = false;
    EXPECT_EQ(TRUE, window.MessageHandler(WM_KEYDOWN, VK_ESCAPE, 0, handled));
    EXPECT_FALSE(handled);
    EXPECT_EQ(FALSE, window.MessageHandler(WM_KEYDOWN, VK_RETURN, 0, handled));
}

}  // namespace


namespace {

// Swaps one imported function of this program for another while it lives (the framework is linked
// into the program, so its calls go through this program's import table).
class ImportSwap {
public:
    ImportSwap(const char* dll, const char* function, void* replacement)
    {
        auto* base = reinterpret_cast<BYTE*>(::GetModuleHandleW(nullptr));
        const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
        const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
        const IMAGE_DATA_DIRECTORY& imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
        for (auto* entry = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
             entry->Name; ++entry) {
            if (_stricmp(reinterpret_cast<const char*>(base + entry->Name), dll) != 0) continue;
            auto* names = reinterpret_cast<const IMAGE_THUNK_DATA*>(base + entry->OriginalFirstThunk);
            auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + entry->FirstThunk);
            for (; names->u1.AddressOfData; ++names, ++slots) {
                if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
                const auto* byName = reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
                if (strcmp(reinterpret_cast<const char*>(byName->Name), function) != 0) continue;
                m_slot = reinterpret_cast<void**>(&slots->u1.Function);
                m_original = Write(replacement);
                return;
            }
        }
    }
    ~ImportSwap()
    {
        if (m_slot) Write(m_original);
    }
    ImportSwap(const ImportSwap&) = delete;
    ImportSwap& operator=(const ImportSwap&) = delete;
    void* Original() const { return m_original; }

private:
    void* Write(void* value)
    {
        DWORD old = 0;
        ::VirtualProtect(m_slot, sizeof(void*), PAGE_READWRITE, &old);
        void* previous = *m_slot;
        *m_slot = value;
        ::VirtualProtect(m_slot, sizeof(void*), old, &old);
        return previous;
    }
    void** m_slot = nullptr;
    void* m_original = nullptr;
};

// Regions the system was given and the objects the program deleted, while the swaps below hold.
std::vector<HRGN> g_givenRegions;
std::vector<HGDIOBJ> g_deleted;
ImportSwap* g_setRegion = nullptr;
ImportSwap* g_deleteObject = nullptr;

int WINAPI RecordingSetWindowRgn(HWND window, HRGN region, BOOL redraw)
{
    const int result = reinterpret_cast<int(WINAPI*)(HWND, HRGN, BOOL)>(g_setRegion->Original())(window, region, redraw);
    if (result) g_givenRegions.push_back(region);
    return result;
}

BOOL WINAPI RecordingDeleteObject(HGDIOBJ object)
{
    g_deleted.push_back(object);
    return reinterpret_cast<BOOL(WINAPI*)(HGDIOBJ)>(g_deleteObject->Original())(object);
}

}  // namespace

TEST_F(WindowImplBaseTest, RegionGivenToTheWindowIsLeftToTheSystem)
{
    ImportSwap setRegion("user32.dll", "SetWindowRgn", reinterpret_cast<void*>(&RecordingSetWindowRgn));
    ImportSwap deleteObject("gdi32.dll", "DeleteObject", reinterpret_cast<void*>(&RecordingDeleteObject));
    ASSERT_NE(nullptr, setRegion.Original());
    ASSERT_NE(nullptr, deleteObject.Original());
    g_setRegion = &setRegion;
    g_deleteObject = &deleteObject;
    g_givenRegions.clear();
    g_deleted.clear();
    for (int width : {220, 240, 260}) ::SetWindowPos(window, nullptr, 0, 0, width, 120, SWP_NOMOVE | SWP_NOZORDER);
    const std::vector<HRGN> given = g_givenRegions;
    const std::vector<HGDIOBJ> deleted = g_deleted;
    g_setRegion = nullptr;
    g_deleteObject = nullptr;
    EXPECT_EQ(3u, given.size()) << "every resize shapes the window";
    for (HRGN region : given)
        EXPECT_EQ(deleted.end(), std::find(deleted.begin(), deleted.end(), region)) << "a region the system owns";
}
