#include "Core/ControlUI.h"
#include "Core/WindowImplBase.h"

#include <gtest/gtest.h>

#include <cwchar>
#include <string>

using namespace SkinUI;

namespace {

constexpr DWORD kInstallerWindowStyle = 0x96C80000;

// A skinned window showing one of the installer's skins from the resource zip, created the way the
// installer creates its windows (600 x 400; the skin sets the real size).
class SkinWindow : public WindowImplBase {
public:
    explicit SkinWindow(const wchar_t* skin) : m_skin(skin) {}

    CControlUI* Control(const wchar_t* name) { return GetManager().FindControl(name); }
    RECT Pos(const wchar_t* name)
    {
        CControlUI* control = Control(name);
        return control ? control->GetPos() : RECT{};
    }
    RECT Client()
    {
        RECT rc = {};
        ::GetClientRect(m_hWnd, &rc);
        return rc;
    }
    // Lays out and paints whatever is pending.
    void Settle()
    {
        ::UpdateWindow(m_hWnd);
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
    LRESULT HitAt(int x, int y)
    {
        POINT pt = {x, y};
        ::ClientToScreen(m_hWnd, &pt);
        return ::SendMessageW(m_hWnd, WM_NCHITTEST, 0, MAKELPARAM(pt.x, pt.y));
    }

protected:
    const wchar_t* GetWindowClassName() const override { return L"TolvanSkinTestWindow"; }
    CUIString GetSkinFile() override { return m_skin.c_str(); }

private:
    std::wstring m_skin;
};

bool Inside(const RECT& inner, const RECT& outer)
{
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom && inner.right > inner.left && inner.bottom > inner.top;
}

class SkinWindowTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        CWindowUIManager::SetInstance(::GetModuleHandleW(nullptr));
        CWindowUIManager::SetResourceType(4);
        CWindowUIManager::SetResourceZip(102, L"ZIPRES");
    }
    static void TearDownTestSuite() { CWindowUIManager::Term(); }

    // Opens the window and checks that the skin gave it the expected client size.
    void Open(SkinWindow& window, const wchar_t* title, int width, int height)
    {
        ASSERT_NE(nullptr, window.Create(nullptr, title, kInstallerWindowStyle, 0, 0, 0, 600, 400, nullptr))
            << "no window: is an X display available?";
        window.Settle();
        ASSERT_NE(nullptr, window.GetManager().GetRoot());
        EXPECT_EQ(width, window.Client().right);
        EXPECT_EQ(height, window.Client().bottom);
    }
    void Close(SkinWindow& window)
    {
        if (::IsWindow(window.GetHWND())) ::DestroyWindow(window.GetHWND());
    }
};

void ExpectCaptionButtonsTopRight(SkinWindow& window, bool withMinimise)
{
    const RECT client = window.Client();
    const RECT close = window.Pos(L"btnClose");
    EXPECT_EQ(client.right, close.right);
    EXPECT_LE(close.top, 2);
    EXPECT_TRUE(Inside(close, client));
    EXPECT_EQ(HTCLIENT, window.HitAt((close.left + close.right) / 2, (close.top + close.bottom) / 2));
    if (withMinimise) {
        const RECT minimise = window.Pos(L"btnMin");
        EXPECT_EQ(close.left, minimise.right);
        EXPECT_EQ(close.top, minimise.top);
    }
}

TEST_F(SkinWindowTest, MainWindowDragsByItsBannerAndCentresTheInstallButton)
{
    SkinWindow window(L"main.xml");
    Open(window, L"Tolvan游戏-在线安装", 600, 400);
    const RECT client = window.Client();
    ExpectCaptionButtonsTopRight(window, true);
    for (const wchar_t* name : {L"edtPath", L"btnBrowser", L"btnNext", L"lblInfo"})
        EXPECT_TRUE(Inside(window.Pos(name), client)) << std::string(name, name + wcslen(name));
    const RECT path = window.Pos(L"edtPath");
    const RECT browse = window.Pos(L"btnBrowser");
    EXPECT_EQ(path.top, browse.top);
    EXPECT_LT(path.right, browse.left);
    EXPECT_GE(path.right - path.left, 300);
    const RECT next = window.Pos(L"btnNext");
    EXPECT_EQ(300, (next.left + next.right) / 2);
    EXPECT_EQ(HTCAPTION, window.HitAt(300, 100));
    EXPECT_EQ(HTCLIENT, window.HitAt(300, (next.top + next.bottom) / 2));
    Close(window);
}

TEST_F(SkinWindowTest, ProgressWindowShowsTheSlideUnderItsTitleBar)
{
    SkinWindow window(L"install.xml");
    Open(window, L"在线安装工具", 600, 400);
    const RECT client = window.Client();
    ExpectCaptionButtonsTopRight(window, true);
    const RECT slide = window.Pos(L"lblImage");
    EXPECT_EQ(0, slide.left);
    EXPECT_EQ(600, slide.right);
    EXPECT_EQ(264, slide.bottom - slide.top);
    EXPECT_GE(slide.top, window.Pos(L"btnClose").bottom);
    const RECT label = window.Pos(L"lblProgress");
    const RECT bar = window.Pos(L"progress");
    EXPECT_TRUE(Inside(label, client));
    EXPECT_TRUE(Inside(bar, client));
    EXPECT_LE(label.bottom, bar.top);
    EXPECT_EQ(HTCAPTION, window.HitAt(300, (slide.top + slide.bottom) / 2));
    Close(window);
}

TEST_F(SkinWindowTest, WarningKeepsOkAtTheRightWhenCancelIsHidden)
{
    SkinWindow window(L"warn.xml");
    Open(window, L"在线安装工具", 420, 220);
    const RECT client = window.Client();
    ExpectCaptionButtonsTopRight(window, false);
    const RECT ok = window.Pos(L"btnOK");
    const RECT cancel = window.Pos(L"btnCancel");
    EXPECT_TRUE(Inside(ok, client));
    EXPECT_TRUE(Inside(cancel, client));
    EXPECT_EQ(ok.top, cancel.top);
    EXPECT_LT(ok.right, cancel.left);
    EXPECT_TRUE(Inside(window.Pos(L"lblMsg"), client));
    EXPECT_GE(window.Pos(L"lblMsg").right - window.Pos(L"lblMsg").left, 250);

    window.Control(L"btnCancel")->SetVisible(false);
    window.Settle();
    EXPECT_EQ(cancel.right, window.Pos(L"btnOK").right);
    Close(window);
}

}  // namespace
