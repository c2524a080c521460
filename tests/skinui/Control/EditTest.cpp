#include "Control/EditUI.h"
#include "Layout/BoxLayout.h"
#include "../Core/SkinTestData.h"
#include "../Core/TestWindows.h"

#include <cstring>

using namespace SkinUI;
using namespace SkinUI::Testing;

namespace {

std::vector<DWORD> PaintedPixels(CEditUI& edit)
{
    Canvas canvas(120, 24, 0xFFFFFFFF);
    edit.SetPos(RECT{0, 0, 120, 24}, false);
    edit.Paint(canvas.dc(), canvas.Bounds(), nullptr);
    std::vector<DWORD> pixels;
    for (int y = 0; y < 24; ++y)
        for (int x = 0; x < 120; ++x) pixels.push_back(canvas.Rgb(x, y));
    return pixels;
}

TEST(EditPaint, PasswordShowsOneCharacterPerCharacter)
{
    CWindowUIManager manager;
    CEditUI secret;
    secret.SetManager(&manager, nullptr, false);
    secret.SetAttribute(L"password", L"true");
    secret.SetText(L"abcde");
    CEditUI stars;
    stars.SetManager(&manager, nullptr, false);
    stars.SetText(L"*****");
    EXPECT_EQ(PaintedPixels(stars), PaintedPixels(secret));
}

TEST(EditPaint, EmptyTextOrTheTipItselfShowsTheTipInItsColour)
{
    CWindowUIManager manager;
    CEditUI empty;
    empty.SetManager(&manager, nullptr, false);
    empty.SetAttribute(L"tipvalue", L"type here");
    empty.SetAttribute(L"tipvaluecolor", L"#FFFF0000");
    CEditUI typed;
    typed.SetManager(&manager, nullptr, false);
    typed.SetAttribute(L"tipvalue", L"type here");
    typed.SetAttribute(L"tipvaluecolor", L"#FFFF0000");
    typed.SetText(L"type here");
    const std::vector<DWORD> tip = PaintedPixels(empty);
    EXPECT_EQ(tip, PaintedPixels(typed));
    bool reddish = false;
    for (DWORD pixel : tip) reddish |= pixel != 0xFFFFFFu && (pixel & 0xFF) == (pixel >> 8 & 0xFF);
    EXPECT_TRUE(reddish);
}

TEST(EditSize, OneTextLineTallUnlessFixed)
{
    CEditUI edit;
    edit.SetAttribute(L"width", L"80");
    EXPECT_EQ(80, edit.CalcDesiredSize(SIZE{200, 200}).cx);
    EXPECT_EQ(6, edit.CalcDesiredSize(SIZE{200, 200}).cy);
    edit.SetAttribute(L"height", L"30");
    EXPECT_EQ(30, edit.CalcDesiredSize(SIZE{200, 200}).cy);
}

class EditWindowTest : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        ASSERT_NE(nullptr, host.Create(nullptr, L"edit", WS_POPUP, 0, 0, 0, 300, 100))
            << "no window: is an X display available?";
        host.manager.AddNotifier(&notes);
        root = new CVerticalLayoutUI();
        edit = new CEditUI();
        edit->SetAttribute(L"height", L"30");
        edit->SetAttribute(L"maxchar", L"10");
        edit->SetName(L"edt");
        root->Add(edit);
        host.manager.AttachRootControl(root);
        ::ShowWindow(host, SW_SHOWNORMAL);
        ::UpdateWindow(host);
    }
    void TearDown() override
    {
        if (::IsWindow(host)) ::DestroyWindow(host);
    }
    HWND Native() const { return edit->GetNativeWindow(); }

    HostWindow host;
    NotifyRecorder notes;
    CVerticalLayoutUI* root = nullptr;
    CEditUI* edit = nullptr;
};

TEST_F(EditWindowTest, FocusOpensALimitedWindowThatCopiesTextBack)
{
    edit->SetFocus();
    ASSERT_NE(nullptr, Native());
    EXPECT_EQ(10, ::SendMessageW(Native(), EM_GETLIMITTEXT, 0, 0));
    for (const wchar_t* p = L"C:\\games"; *p; ++p) ::SendMessageW(Native(), WM_CHAR, *p, 1);
    ::SendMessageW(Native(), WM_CHAR, L'\t', 1);
    EXPECT_EQ(CUIString(L"C:\\games"), edit->GetText());
    EXPECT_GE(notes.Count(L"textchanged", edit), 1);
    ::SendMessageW(Native(), WM_KEYDOWN, VK_RETURN, 1);
    EXPECT_EQ(1, notes.Count(L"return", edit));
    EXPECT_NE(nullptr, Native());
    edit->SetText(L"0123456789ABCDEF");
    EXPECT_EQ(CUIString(L"0123456789ABCDEF"), edit->GetText());
}

TEST_F(EditWindowTest, TheFieldShowsTheTextCursorWhileEnabled)
{
    POINT inside = {20, 15};
    ::ClientToScreen(host, &inside);
    ::SetCursorPos(inside.x, inside.y);
    const LPARAM overClient = MAKELPARAM(HTCLIENT, WM_MOUSEMOVE);
    ::SetCursor(::LoadCursorW(nullptr, IDC_ARROW));
    ::SendMessageW(host, WM_SETCURSOR, reinterpret_cast<WPARAM>(host.GetHWND()), overClient);
    EXPECT_EQ(::LoadCursorW(nullptr, IDC_IBEAM), ::GetCursor());
    edit->SetEnabled(false);
    ::SetCursor(::LoadCursorW(nullptr, IDC_ARROW));
    ::SendMessageW(host, WM_SETCURSOR, reinterpret_cast<WPARAM>(host.GetHWND()), overClient);
    EXPECT_NE(::LoadCursorW(nullptr, IDC_IBEAM), ::GetCursor());
}

TEST_F(EditWindowTest, LosingTheFocusClosesTheWindow)
{
    edit->SetFocus();
    ASSERT_NE(nullptr, Native());
    ::SetFocus(host);
    EXPECT_TRUE(PumpUntil([&] { return Native() == nullptr; }));
}

TEST_F(EditWindowTest, DeletingTheBoxWithAnOpenWindowIsSafe)
{
    edit->SetFocus();
    HWND native = Native();
    ASSERT_NE(nullptr, native);
    root->SetDelayedDestroy(false);
    root->Remove(edit);
    EXPECT_FALSE(::IsWindow(native));
    // The focus that returns to the window as the field's window goes must not open another one.
    EXPECT_EQ(nullptr, ::FindWindowExW(host, nullptr, nullptr, nullptr));
    PumpUntil([] { return true; });
}

TEST_F(EditWindowTest, HidingItsParentTakesTheFocusAway)
{
    edit->SetFocus();
    ASSERT_NE(nullptr, Native());
    RECT rc = {};
    ::GetWindowRect(Native(), &rc);
    EXPECT_GT(rc.right - rc.left, 0);
    root->SetVisible(false);
    EXPECT_EQ(nullptr, host.manager.GetFocus());
}

}  // namespace
