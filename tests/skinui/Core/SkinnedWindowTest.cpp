#include "Control/ProgressUI.h"
#include "Core/GdiplusHeaders.h"
#include "Core/WindowImplBase.h"
#include "SkinTestData.h"
#include "TestWindows.h"

using namespace SkinUI;
using namespace SkinUI::Testing;

namespace {

// A window as the application builds them: skin file from the skin zip, clicks through the message map.
class MainWindow : public WindowImplBase {
public:
    std::vector<CUIString> clicks;

protected:
    const wchar_t* GetWindowClassName() const override { return L"SkinUITestMain"; }
    CUIString GetSkinFile() override { return L"main.xml"; }
    void OnClick(NotifyMessage& msg) override { clicks.push_back(msg.pSender->GetName()); }
};

class SkinnedWindowTest : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        ASSERT_TRUE(zip.loaded);
        ASSERT_NE(nullptr, window.Create(nullptr, L"main", WS_POPUP, 0, 30, 30, 10, 10))
            << "no window: is an X display available?";
        ::ShowWindow(window, SW_SHOWNOACTIVATE);
        ::UpdateWindow(window);
    }
    void TearDown() override
    {
        if (::IsWindow(window)) ::DestroyWindow(window);
    }
    DWORD Pixel(int x, int y)
    {
        RECT client = {};
        ::GetClientRect(window, &client);
        const auto* bits = reinterpret_cast<const DWORD*>(window.GetManager().GetOffscreenBits());
        return bits[(client.bottom - 1 - y) * client.right + x] & 0xFFFFFF;
    }

    SkinZipScope zip;
    MainWindow window;
};

TEST_F(SkinnedWindowTest, BuildsLaysOutAndPaintsTheSkinFromTheZip)
{
    CWindowUIManager& manager = window.GetManager();
    RECT client = {};
    ::GetClientRect(window, &client);
    EXPECT_EQ(320, client.right);
    EXPECT_EQ(200, client.bottom);
    CControlUI* close = manager.FindControl(L"btnClose");
    ASSERT_NE(nullptr, close);
    EXPECT_EQ(290, close->GetPos().left);
    EXPECT_EQ(30, close->GetWidth());
    ASSERT_NE(nullptr, manager.FindControl(L"edtPath"));
    EXPECT_EQ(CUIString(L"C:\\Games"), manager.FindControl(L"edtPath")->GetText());
    auto* progress = static_cast<CProgressUI*>(manager.FindControl(L"progress"));
    ASSERT_NE(nullptr, progress);
    EXPECT_EQ(50, progress->GetValue());
    EXPECT_EQ(0x00FF00u, Pixel(300, 15));
    const RECT bar = progress->GetPos();
    EXPECT_EQ(0x00FF00u, Pixel(bar.left + 10, bar.top + 5));
    EXPECT_EQ(0xFFFFFFu, Pixel(bar.right - 10, bar.top + 5));
    EXPECT_EQ(14, manager.GetDefaultFontInfo()->iSize);
}

TEST_F(SkinnedWindowTest, ClickOnTheCloseButtonReachesTheWindow)
{
    ::PostMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(300, 15));
    ::PostMessageW(window, WM_LBUTTONUP, 0, MAKELPARAM(300, 15));
    ASSERT_TRUE(PumpUntil([&] { return !window.clicks.empty(); }));
    EXPECT_EQ(CUIString(L"btnClose"), window.clicks[0]);
}

TEST_F(SkinnedWindowTest, PressingADragEnabledControlKeepsItsPicture)
{
    CControlUI* close = window.GetManager().FindControl(L"btnClose");
    close->SetDragEnabled(true);
    ::SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(300, 15));
    ::SendMessageW(window, WM_LBUTTONUP, 0, MAKELPARAM(300, 15));
    BITMAP info = {};
    ASSERT_NE(nullptr, window.GetManager().GetDragImage());
    ::GetObjectW(window.GetManager().GetDragImage(), sizeof(info), &info);
    EXPECT_EQ(30, info.bmWidth);
}

TEST_F(SkinnedWindowTest, SingleLineLabelIsOneTextLinePlusEightTall)
{
    CWindowUIManager& manager = window.GetManager();
    CControlUI* title = manager.FindControl(L"title");
    ASSERT_NE(nullptr, title);
    const SIZE size = title->CalcDesiredSize(SIZE{500, 500});
    EXPECT_EQ(manager.GetDefaultFontInfo()->tm.tmHeight + 8, size.cy);
    EXPECT_GT(size.cy, 8);
}

TEST_F(SkinnedWindowTest, ADisabledWindowDrawsButtonsWithoutHotOrPushedState)
{
    CControlUI* close = window.GetManager().FindControl(L"btnClose");
    close->SetAttribute(L"hotimage", L"file='image/quad.png' source='0,0,2,2'");
    ::SendMessageW(window, WM_MOUSEMOVE, 0, MAKELPARAM(300, 15));
    ::UpdateWindow(window);
    EXPECT_EQ(0xFF0000u, Pixel(300, 15));
    ::EnableWindow(window, FALSE);
    close->Invalidate();
    ::UpdateWindow(window);
    EXPECT_EQ(0x00FF00u, Pixel(300, 15));
    ::EnableWindow(window, TRUE);
}

TEST(GdiplusImage, LoadsASkinImage)
{
    SkinZipScope zip;
    CWindowUIManager manager;
    Gdiplus::Image* image = CPainter::LoadGdiplusImage(L"image/quad.png");
    ASSERT_NE(nullptr, image);
    EXPECT_EQ(4u, image->GetWidth());
    delete image;
    EXPECT_EQ(nullptr, CPainter::LoadGdiplusImage(L"image/none.png"));
}

}  // namespace
