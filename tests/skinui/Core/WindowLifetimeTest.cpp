// Windows that go while their own code still runs: a dialog that deletes itself when its window is
// destroyed, a click or "windowinit" handler that destroys its window at once. The window objects
// here are poisoned instead of freed, so that any later read of them shows (a freed block could
// still hold the old values).
#include "Control/UIOption.h"
#include "Control/UIRollText.h"
#include "Core/ControlUI.h"
#include "Core/WindowImplBase.h"
#include "Layout/BoxLayout.h"
#include "TestWindows.h"

#include "Core/UIInterfaces.h"

#include <cstring>
#include <functional>
#include <new>

using namespace SkinUI;
using namespace SkinUI::Testing;

namespace {

// Fills a deleted object with `s_poison` and keeps the memory: stale reads find a handle of another,
// live window (or garbage), not the old values.
template <class Base>
class Poisoned : public Base {
public:
    static void* operator new(size_t size) { return ::operator new(size); }
    static void operator delete(void* memory, size_t size)
    {
        ++s_deleted;
        auto* words = static_cast<UINT_PTR*>(memory);
        for (size_t i = 0; i < size / sizeof(UINT_PTR); ++i) words[i] = s_poison;
    }
    static inline UINT_PTR s_poison = 0;
    static inline int s_deleted = 0;
};

class SelfDeletingHost : public Poisoned<HostWindow> {
public:
    SelfDeletingHost() { deleteOnFinal = true; }
};

// A skinned window with one button; deletes itself when its window goes. The handlers may destroy
// the window from inside the manager's notifications.
class SelfDeletingSkinned : public Poisoned<WindowImplBase> {
public:
    std::function<void(SelfDeletingSkinned&, NotifyMessage&)> onNotify;

    void Notify(NotifyMessage& msg) override
    {
        WindowImplBase::Notify(msg);
        if (onNotify) onNotify(*this, msg);
    }

protected:
    const wchar_t* GetWindowClassName() const override { return L"SkinUITestSelfDeleting"; }
    CUIString GetSkinFile() override
    {
        return L"<Window size=\"200,100\"><VerticalLayout><Button name=\"go\" height=\"50\" shortcut=\"G\"/>"
               L"<Button name=\"next\" height=\"20\"/><Control/></VerticalLayout></Window>";
    }
    void OnFinalMessage(HWND hwnd) override
    {
        WindowImplBase::OnFinalMessage(hwnd);
        delete this;
    }
};

class WindowLifetimeTest : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        ASSERT_NE(nullptr, other.CreateTopLevel()) << "no window: is an X display available?";
        SelfDeletingHost::s_poison = reinterpret_cast<UINT_PTR>(other.GetHWND());
        SelfDeletingSkinned::s_poison = 0xFEFEFEFE;
        SelfDeletingHost::s_deleted = 0;
        SelfDeletingSkinned::s_deleted = 0;
    }
    void TearDown() override
    {
        if (::IsWindow(other)) ::DestroyWindow(other);
    }
    HostWindow other;
};

// Ends the thread's loops after a while, should a loop fail to end by itself.
class QuitLater {
public:
    QuitLater() { m_timer = ::SetTimer(nullptr, 0, 3000, &QuitLater::Fire); }
    ~QuitLater()
    {
        ::KillTimer(nullptr, m_timer);
        MSG msg = {};
        while (::PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
        }
    }
    static inline bool s_fired = false;

private:
    static void CALLBACK Fire(HWND, UINT, UINT_PTR, DWORD)
    {
        s_fired = true;
        ::PostQuitMessage(0);
    }
    UINT_PTR m_timer = 0;
};

}  // namespace

TEST_F(WindowLifetimeTest, ModalLoopOfASelfDeletingWindowEndsWithItsWindow)
{
    auto* dialog = new SelfDeletingHost;
    HWND hwnd = dialog->Create(other, L"dialog", WS_POPUP, 0, 0, 0, 100, 100);
    ASSERT_NE(nullptr, hwnd);
    QuitLater::s_fired = false;
    QuitLater guard;
    CWindowUIManager::PostTask(hwnd, [dialog] { dialog->Close(3333); });
    EXPECT_EQ(3333u, dialog->ShowModal());
    EXPECT_FALSE(QuitLater::s_fired) << "the loop kept reading the deleted window object";
    EXPECT_EQ(1, SelfDeletingHost::s_deleted);
    EXPECT_FALSE(::IsWindow(hwnd));
}

TEST_F(WindowLifetimeTest, ClickHandlerMayDestroyItsWindowAtOnce)
{
    auto* window = new SelfDeletingSkinned;
    int deletedInHandler = -1;
    window->onNotify = [&](SelfDeletingSkinned& self, NotifyMessage& msg) {
        if (msg.sType != L"click") return;
        ::DestroyWindow(self.GetHWND());
        deletedInHandler = SelfDeletingSkinned::s_deleted;
    };
    HWND hwnd = window->Create(nullptr, L"skinned", WS_POPUP | WS_VISIBLE, 0, 0, 0, 200, 100);
    ASSERT_NE(nullptr, hwnd);
    ::UpdateWindow(hwnd);
    ::SendMessageW(hwnd, WM_MOUSEMOVE, 0, MAKELPARAM(20, 20));
    ::SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 20));
    ::SendMessageW(hwnd, WM_LBUTTONUP, 0, MAKELPARAM(20, 20));
    EXPECT_EQ(0, deletedInHandler) << "the object went while its own click was still being handled";
    EXPECT_FALSE(::IsWindow(hwnd));
    EXPECT_EQ(1, SelfDeletingSkinned::s_deleted);
}

TEST_F(WindowLifetimeTest, WindowInitHandlerMayDestroyItsWindowAtOnce)
{
    auto* window = new SelfDeletingSkinned;
    int deletedInHandler = -1;
    window->onNotify = [&](SelfDeletingSkinned& self, NotifyMessage& msg) {
        if (msg.sType != L"windowinit") return;
        ::DestroyWindow(self.GetHWND());
        deletedInHandler = SelfDeletingSkinned::s_deleted;
    };
    HWND hwnd = window->Create(nullptr, L"skinned", WS_POPUP | WS_VISIBLE, 0, 0, 0, 200, 100);
    ASSERT_NE(nullptr, hwnd);
    ::UpdateWindow(hwnd);
    EXPECT_EQ(0, deletedInHandler) << "the object went while its own paint was still running";
    EXPECT_FALSE(::IsWindow(hwnd));
    EXPECT_EQ(1, SelfDeletingSkinned::s_deleted);
}

TEST_F(WindowLifetimeTest, WindowDestroyedOutsideItsMessagesIsFinishedAtOnce)
{
    auto* window = new SelfDeletingHost;
    HWND hwnd = window->CreateTopLevel();
    ASSERT_NE(nullptr, hwnd);
    ::DestroyWindow(hwnd);
    EXPECT_EQ(1, SelfDeletingHost::s_deleted);
}

// Handlers run outside the window procedure too: in the pre-translation of the message loop and in
// notifications the application sends. Each route keeps the window object whole while it runs.
class DestroyingTranslator : public ITranslateAccelerator {
public:
    std::function<void()> destroy;
    LRESULT TranslateAccelerator(MSG*) override
    {
        destroy();
        return 1;  // not consumed: the manager goes on with the message
    }
};

class DestroyingFilter : public IMessageFilterUI {
public:
    std::function<void()> destroy;
    LRESULT MessageHandler(UINT, WPARAM, LPARAM, bool& handled) override
    {
        destroy();
        handled = false;
        return 0;
    }
};

struct HandlerRoute {
    const char* name;
    // Makes the window's handlers destroy it on this route and sets the route off.
    std::function<void(SelfDeletingSkinned&, std::function<void()> destroy)> arm;
    std::function<void(SelfDeletingSkinned&)> run;
};

// Arms a route by destroying the window when a notification of the type reaches its handler.
std::function<void(SelfDeletingSkinned&, std::function<void()>)> DestroyOnNotification(const wchar_t* type)
{
    return [type](SelfDeletingSkinned& window, std::function<void()> destroy) {
        window.onNotify = [type, destroy](SelfDeletingSkinned&, NotifyMessage& msg) {
            if (msg.sType == type) destroy();
        };
    };
}

void PreTranslate(HWND hwnd, UINT msg, WPARAM wParam)
{
    const MSG message = {hwnd, msg, wParam, 0, 0, {}};
    CWindowUIManager::PreTranslateMessage(&message);
}

TEST_F(WindowLifetimeTest, HandlersOnEveryRouteMayDestroyTheirWindowAtOnce)
{
    DestroyingTranslator translator;
    DestroyingFilter filter;
    const HandlerRoute routes[] = {
        {"Alt+letter shortcut clicks the button",
         DestroyOnNotification(L"click"),
         [](SelfDeletingSkinned& window) { PreTranslate(window.GetHWND(), WM_SYSCHAR, 'g'); }},
        {"Tab moves the focus",
         DestroyOnNotification(L"setfocus"),
         [](SelfDeletingSkinned& window) { PreTranslate(window.GetHWND(), WM_KEYDOWN, VK_TAB); }},
        {"an accelerator translator",
         [&translator](SelfDeletingSkinned& window, std::function<void()> destroy) {
             translator.destroy = destroy;
             window.GetManager().AddTranslateAccelerator(&translator);
         },
         [](SelfDeletingSkinned& window) { PreTranslate(window.GetHWND(), WM_KEYDOWN, 'A'); }},
        {"a pre-message filter",
         [&filter](SelfDeletingSkinned& window, std::function<void()> destroy) {
             filter.destroy = destroy;
             window.GetManager().AddPreMessageFilter(&filter);
         },
         [](SelfDeletingSkinned& window) { PreTranslate(window.GetHWND(), WM_SYSCHAR, 'g'); }},
        {"a notification sent outside any message",
         DestroyOnNotification(L"custom"),
         [](SelfDeletingSkinned& window) {
             window.GetManager().SendNotify(window.GetManager().FindControl(L"go"), L"custom");
         }},
    };
    for (const HandlerRoute& route : routes) {
        SCOPED_TRACE(route.name);
        SelfDeletingSkinned::s_deleted = 0;
        auto* window = new SelfDeletingSkinned;
        HWND hwnd = window->Create(nullptr, L"skinned", WS_POPUP | WS_VISIBLE, 0, 0, 0, 200, 100);
        ASSERT_NE(nullptr, hwnd);
        ::UpdateWindow(hwnd);
        int deletedInHandler = -1;
        route.arm(*window, [hwnd, &deletedInHandler] {
            ::DestroyWindow(hwnd);
            deletedInHandler = SelfDeletingSkinned::s_deleted;
        });
        route.run(*window);
        EXPECT_EQ(0, deletedInHandler) << "the object went while its own handler was still running";
        EXPECT_FALSE(::IsWindow(hwnd));
        EXPECT_EQ(1, SelfDeletingSkinned::s_deleted);
    }
}

struct KeptControl {
    const char* name;
    // Adds the control to the root of a live window, with whatever it holds in that window's manager.
    std::function<CControlUI*(CContainerUI& root)> build;
};

// An application may remove a control without deleting it and keep it past its window: deleting it
// later, or moving it into another window first, must not reach the manager that went with the window.
TEST_F(WindowLifetimeTest, AControlKeptAfterRemoveMayOutliveItsWindow)
{
    const KeptControl kinds[] = {
        {"a plain control",
         [](CContainerUI& root) {
             auto* control = new CControlUI;
             root.Add(control);
             return control;
         }},
        {"a selected option in a group",
         [](CContainerUI& root) {
             auto* sibling = new COptionUI;
             auto* option = new COptionUI;
             root.Add(sibling);
             root.Add(option);
             sibling->SetGroup(L"kept");
             option->SetGroup(L"kept");
             option->Selected(true);
             return option;
         }},
        {"a rolling text with its timers",
         [](CContainerUI& root) {
             auto* text = new CRollTextUI;
             root.Add(text);
             text->SetText(L"rolling");
             EXPECT_TRUE(text->BeginRoll(CRollTextUI::kLeft, 50, 100000));
             return text;
         }},
    };
    auto* otherRoot = new CVerticalLayoutUI;
    ASSERT_TRUE(other.manager.AttachRootControl(otherRoot));
    for (const KeptControl& kind : kinds) {
        for (const bool movedFirst : {false, true}) {
            SCOPED_TRACE(std::string(kind.name) + (movedFirst ? ", moved into another window" : ", deleted"));
            auto* window = new HostWindow;
            window->deleteOnFinal = true;
            ASSERT_NE(nullptr, window->CreateTopLevel());
            const CWindowUIManager* manager = &window->manager;
            auto* root = new CVerticalLayoutUI;
            ASSERT_TRUE(window->manager.AttachRootControl(root));
            CControlUI* kept = kind.build(*root);
            root->SetAutoDestroy(false);
            ASSERT_TRUE(root->Remove(kept));
            ASSERT_EQ(manager, kept->GetManager()) << "a removed control stays bound to its window";

            ::DestroyWindow(window->GetHWND());
            ASSERT_FALSE(CWindowUIManager::Exists(manager)) << "the window and its manager are gone";
            if (movedFirst) {
                ASSERT_TRUE(otherRoot->Add(kept));
                ASSERT_TRUE(otherRoot->Remove(kept));  // the other window deletes it
            } else {
                delete kept;
            }
        }
    }
}
