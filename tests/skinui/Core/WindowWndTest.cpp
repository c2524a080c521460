#include "TestWindows.h"

using namespace SkinUI;
using namespace SkinUI::Testing;

namespace {

class SuperEdit : public CWindowWnd {
public:
    int finalMessages = 0;
    int chars = 0;

protected:
    const wchar_t* GetWindowClassName() const override { return L"SkinUITestEdit"; }
    const wchar_t* GetSuperClassName() const override { return L"Edit"; }
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override
    {
        if (msg == WM_CHAR) ++chars;
        return CWindowWnd::HandleMessage(msg, wParam, lParam);
    }
    void OnFinalMessage(HWND) override { ++finalMessages; }
};

// Refuses its creation; it deletes itself when its last message comes.
class RefusingWindow : public CWindowWnd {
public:
    explicit RefusingWindow(int* finals) : m_finals(finals) {}

protected:
    const wchar_t* GetWindowClassName() const override { return L"SkinUITestRefusing"; }
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override
    {
        if (msg == WM_CREATE) return -1;
        return CWindowWnd::HandleMessage(msg, wParam, lParam);
    }
    void OnFinalMessage(HWND) override
    {
        ++*m_finals;
        delete this;
    }

private:
    int* m_finals;
};

class UnknownSuper : public CWindowWnd {
protected:
    const wchar_t* GetWindowClassName() const override { return L"SkinUITestUnknown"; }
    const wchar_t* GetSuperClassName() const override { return L"NoSuchSystemClass"; }
};

}  // namespace

using WindowWndTest = WindowTest;

TEST_F(WindowWndTest, RegistersAClassOnceForManyWindows)
{
    HostWindow first, second;
    ASSERT_NE(nullptr, first.CreateTopLevel()) << "no window: is an X display available?";
    ASSERT_NE(nullptr, second.CreateTopLevel());
    WNDCLASSEXW info = {};
    info.cbSize = sizeof(info);
    EXPECT_TRUE(::GetClassInfoExW(CWindowUIManager::GetInstance(), L"SkinUITestHost", &info));
    ::DestroyWindow(first);
    ::DestroyWindow(second);
    EXPECT_EQ(1, first.finalMessages);
    EXPECT_EQ(nullptr, first.GetHWND());
}

TEST_F(WindowWndTest, SuperclassedEditKeepsWorking)
{
    HostWindow parent;
    ASSERT_NE(nullptr, parent.CreateTopLevel());
    SuperEdit edit;
    ASSERT_NE(nullptr, edit.Create(parent, L"start", WS_CHILD | WS_VISIBLE, 0, 0, 0, 200, 24));
    ::SetWindowTextW(edit, L"typed text");
    wchar_t buffer[64] = {};
    ::GetWindowTextW(edit, buffer, 64);
    EXPECT_STREQ(L"typed text", buffer);
    edit.SendMessage(WM_CHAR, L'x', 0);
    EXPECT_EQ(1, edit.chars);
    EXPECT_EQ(11, ::GetWindowTextLengthW(edit));
    ::DestroyWindow(parent);
    EXPECT_EQ(1, edit.finalMessages);
    EXPECT_EQ(nullptr, edit.GetHWND());

    UnknownSuper unknown;
    EXPECT_EQ(nullptr, unknown.Create(nullptr, L"x", WS_OVERLAPPED, 0));
}

TEST_F(WindowWndTest, FinalMessageComesOnceAndTheWindowMayDeleteItself)
{
    int finals = 0;
    auto* window = new HostWindow();
    window->deleteOnFinal = true;
    window->finalCounter = &finals;
    HWND hwnd = window->CreateTopLevel();
    ASSERT_NE(nullptr, hwnd);
    ::DestroyWindow(hwnd);
    EXPECT_EQ(1, finals);
    EXPECT_FALSE(::IsWindow(hwnd));
}

TEST_F(WindowWndTest, AWindowThatFailsCreationMayDeleteItself)
{
    int finals = 0;
    auto* window = new RefusingWindow(&finals);
    EXPECT_EQ(nullptr, window->Create(nullptr, L"refused", WS_POPUP, 0));
    EXPECT_EQ(1, finals);
}

TEST_F(WindowWndTest, CentresOverItsOwner)
{
    HostWindow owner, child;
    ASSERT_NE(nullptr, owner.Create(nullptr, L"owner", WS_POPUP, 0, 100, 100, 400, 300));
    ASSERT_NE(nullptr, child.Create(owner, L"child", WS_POPUP, 0, 0, 0, 200, 100));
    child.CenterWindow();
    RECT rc = {};
    ::GetWindowRect(child, &rc);
    EXPECT_EQ(200, rc.left);
    EXPECT_EQ(200, rc.top);
    ::DestroyWindow(owner);
}
