// Windows that go while their own code still runs: a dialog that deletes itself when its window is
// destroyed, a click or "windowinit" handler that destroys its window at once. The window objects
// here are poisoned instead of freed, so that any later read of them shows (a freed block could
// still hold the old values).
#include "Control/EditUI.h"
#include "Control/ScrollBarUI.h"
#include "Control/UIFadeButton.h"
#include "Control/UIList.h"
#include "Control/UIListElement.h"
#include "Control/UIOption.h"
#include "Control/UITreeView.h"
#include "Control/UIRollText.h"
#include "Core/ControlUI.h"
#include "Core/WindowImplBase.h"
#include "Layout/BoxLayout.h"
#include "RootedHostWindows.h"

#include "Core/UIInterfaces.h"

#include <cstring>
#include <functional>
#include <new>
#include <vector>

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
class DestroyingHook : public ITranslateAccelerator, public IMessageFilterUI {
public:
    std::function<void()> destroy;
    LRESULT TranslateAccelerator(MSG*) override
    {
        destroy();
        return 1;  // not consumed: the manager goes on with the message
    }
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
    std::function<void(SelfDeletingSkinned&)> run;  // none where the window's first paint sets it off
    bool armedBeforeCreate = false;                   // for a route the window's first paint takes
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

// Moves the mouse onto the point and presses the left button there.
void PressAt(HWND hwnd, LPARAM point)
{
    ::SendMessageW(hwnd, WM_MOUSEMOVE, 0, point);
    ::SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, point);
}

void ClickAt(HWND hwnd, LPARAM point)
{
    PressAt(hwnd, point);
    ::SendMessageW(hwnd, WM_LBUTTONUP, 0, point);
}

void Repaint(HWND hwnd)
{
    ::InvalidateRect(hwnd, nullptr, FALSE);
    ::UpdateWindow(hwnd);
}

// Runs the thread's messages, timers included, for the time given.
void PumpFor(DWORD milliseconds)
{
    const DWORD start = ::GetTickCount();
    PumpUntil([start, milliseconds] { return ::GetTickCount() - start > milliseconds; });
}

void PreTranslate(HWND hwnd, UINT msg, WPARAM wParam)
{
    const MSG message = {hwnd, msg, wParam, 0, 0, {}};
    CWindowUIManager::PreTranslateMessage(&message);
}

// Creates the window with the route armed to destroy it and sets the route off; false when no window came.
bool CreateAndRun(const HandlerRoute& route, SelfDeletingSkinned& window, HWND& hwnd,
                  const std::function<void()>& destroy)
{
    if (route.armedBeforeCreate) route.arm(window, destroy);
    hwnd = window.Create(nullptr, L"skinned", WS_POPUP | WS_VISIBLE, 0, 0, 0, 200, 100);
    if (!hwnd) return false;
    ::UpdateWindow(hwnd);
    if (!route.armedBeforeCreate) route.arm(window, destroy);
    if (route.run) route.run(window);
    return true;
}

TEST_F(WindowLifetimeTest, HandlersOnEveryRouteMayDestroyTheirWindowAtOnce)
{
    DestroyingHook translator;
    DestroyingHook filter;
    const HandlerRoute routes[] = {
        {"a click with the mouse",
         DestroyOnNotification(L"click"),
         [](SelfDeletingSkinned& window) { ClickAt(window.GetHWND(), MAKELPARAM(20, 20)); }},
        {"the first paint initialises the window", DestroyOnNotification(L"windowinit"), nullptr, true},
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
        HWND hwnd = nullptr;
        int deletedInHandler = -1;
        const auto destroy = [&hwnd, &deletedInHandler] {
            ::DestroyWindow(hwnd);
            deletedInHandler = SelfDeletingSkinned::s_deleted;
        };
        ASSERT_TRUE(CreateAndRun(route, *window, hwnd, destroy));
        EXPECT_EQ(0, deletedInHandler) << "the object went while its own handler was still running";
        EXPECT_FALSE(::IsWindow(hwnd));
        EXPECT_EQ(1, SelfDeletingSkinned::s_deleted);
    }
}

// A skinned window whose controls' deletion handlers are bound to the window object and write into its
// own heap memory (a vector, as an application's would): the whole tree must be gone before the object's
// destructor starts, whichever way the window ends.
class TreeBoundSkinned : public SelfDeletingSkinned {
public:
    static inline size_t s_bound = 0;
    static inline size_t s_goneBeforeTheObject = 0;
    TreeBoundSkinned() { m_gone.reserve(16); }
    ~TreeBoundSkinned() override { s_goneBeforeTheObject = m_gone.size(); }

protected:
    void InitWindow() override { m_pm.GetRoot()->FindControl(&TreeBoundSkinned::Bind, this, FIND_ALL); }

private:
    static CControlUI* CALLBACK Bind(CControlUI* control, void* data)
    {
        auto* window = static_cast<TreeBoundSkinned*>(data);
        control->OnDestroy += MakeDelegate(window, &TreeBoundSkinned::NoteGone);
        ++s_bound;
        return nullptr;
    }
    bool NoteGone(void* control)
    {
        m_gone.push_back(static_cast<CControlUI*>(control));
        return true;
    }
    std::vector<CControlUI*> m_gone;
};

TEST_F(WindowLifetimeTest, AWindowsTreeGoesBeforeItsObjectHoweverTheWindowEnds)
{
    const HandlerRoute routes[] = {
        {"destroyed outside any handler",
         [](SelfDeletingSkinned&, std::function<void()>) {},
         [](SelfDeletingSkinned& window) { ::DestroyWindow(window.GetHWND()); }},
        {"destroyed by its control's own click",
         DestroyOnNotification(L"click"),
         [](SelfDeletingSkinned& window) { ClickAt(window.GetHWND(), MAKELPARAM(20, 20)); }},
        {"destroyed by a timer's handler",
         [](SelfDeletingSkinned& window, std::function<void()> destroy) {
             DestroyOnNotification(L"timer")(window, destroy);
             window.GetManager().SetTimer(window.GetManager().FindControl(L"go"), 1, 10);
         },
         [](SelfDeletingSkinned& window) {
             HWND hwnd = window.GetHWND();
             PumpUntil([hwnd] { return !::IsWindow(hwnd); });
         }},
        {"destroyed as the first paint initialises it", DestroyOnNotification(L"windowinit"), nullptr, true},
        {"destroyed inside another window's modal loop",
         [](SelfDeletingSkinned&, std::function<void()>) {},
         [](SelfDeletingSkinned& window) {
             HWND hwnd = window.GetHWND();
             HostWindow dialog;
             ASSERT_NE(nullptr, dialog.CreateTopLevel());
             HWND dialogWindow = dialog.GetHWND();
             CWindowUIManager::PostTask(dialogWindow, [hwnd, dialogWindow] {
                 ::DestroyWindow(hwnd);
                 ::DestroyWindow(dialogWindow);
             });
             dialog.ShowModal();
         }},
    };
    for (const HandlerRoute& route : routes) {
        SCOPED_TRACE(route.name);
        SelfDeletingSkinned::s_deleted = 0;
        TreeBoundSkinned::s_bound = 0;
        TreeBoundSkinned::s_goneBeforeTheObject = 0;
        auto* window = new TreeBoundSkinned;
        HWND hwnd = nullptr;
        const auto destroy = [&hwnd] { ::DestroyWindow(hwnd); };
        ASSERT_TRUE(CreateAndRun(route, *window, hwnd, destroy));
        EXPECT_FALSE(::IsWindow(hwnd));
        ASSERT_EQ(1, SelfDeletingSkinned::s_deleted);
        EXPECT_LT(0u, TreeBoundSkinned::s_bound);
        EXPECT_EQ(TreeBoundSkinned::s_bound, TreeBoundSkinned::s_goneBeforeTheObject)
            << "controls of the tree were still there when the window object's destructor started";
    }
}

// Records the messages its window's manager pre-translates.
struct SeenKeys : IMessageFilterUI {
    std::vector<UINT> keys;
    LRESULT MessageHandler(UINT msg, WPARAM wParam, LPARAM, bool& handled) override
    {
        if (msg == WM_KEYDOWN) keys.push_back(static_cast<UINT>(wParam));
        handled = false;
        return 0;
    }
};

// A native child window's keys go to the managers of the windows around it only (Tab in one window's box
// must not move the focus in another window, not even in the window that owns the box's popup); and a
// manager a neighbour's handler ended meanwhile is not touched (its memory reads a live window's handle).
TEST_F(WindowLifetimeTest, ChildWindowKeysReachOnlyTheManagersAroundThem)
{
    HostWindow owned;
    ASSERT_NE(nullptr, owned.Create(other, L"owned", WS_POPUP, 0, 0, 0, 100, 100));
    SeenKeys inOther;
    SeenKeys inOwned;
    other.manager.AddPreMessageFilter(&inOther);
    owned.manager.AddPreMessageFilter(&inOwned);
    const auto boxIn = [](HWND parent) {
        return ::CreateWindowExW(0, L"STATIC", L"", WS_CHILD, 0, 0, 50, 20, parent, nullptr, nullptr, nullptr);
    };
    HWND boxInOther = boxIn(other);
    HWND boxInOwned = boxIn(owned);
    ASSERT_TRUE(boxInOther && boxInOwned);
    PreTranslate(boxInOther, WM_KEYDOWN, VK_TAB);
    EXPECT_EQ(std::vector<UINT>{VK_TAB}, inOther.keys) << "the box's own window did not see its Tab";
    EXPECT_TRUE(inOwned.keys.empty()) << "another window saw the Tab of a box it does not hold";
    PreTranslate(boxInOwned, WM_KEYDOWN, VK_TAB);
    EXPECT_EQ(std::vector<UINT>{VK_TAB}, inOwned.keys) << "the box's own window did not see its Tab";
    EXPECT_EQ(1u, inOther.keys.size()) << "the owner of the box's window saw the box's Tab";

    auto* doomed = new SelfDeletingHost;
    ASSERT_NE(nullptr, doomed->CreateTopLevel());
    DestroyingHook translator;
    translator.destroy = [doomed] { ::DestroyWindow(doomed->GetHWND()); };
    other.manager.AddTranslateAccelerator(&translator);
    PreTranslate(boxInOther, WM_KEYDOWN, 'A');
    other.manager.RemoveTranslateAccelerator(&translator);
    EXPECT_EQ(1, SelfDeletingHost::s_deleted);
    other.manager.RemovePreMessageFilter(&inOther);
    owned.manager.RemovePreMessageFilter(&inOwned);
    ::DestroyWindow(boxInOther);
    ::DestroyWindow(owned);
}

struct KeptControl {
    const char* name;
    // Adds the control under the root of a live window, with whatever it holds in that window's manager;
    // from: the container it is removed from, when not the root.
    std::function<CControlUI*(CContainerUI& root, IContainerUI*& from)> build;
};

// An application may remove a control without deleting it and keep it past its window: deleting it
// later, or moving it into another window first, must not reach the manager that went with the window.
TEST_F(WindowLifetimeTest, AControlKeptAfterRemoveMayOutliveItsWindow)
{
    const KeptControl kinds[] = {
        {"a plain control",
         [](CContainerUI& root, IContainerUI*&) {
             auto* control = new CControlUI;
             root.Add(control);
             return control;
         }},
        {"a selected option in a group",
         [](CContainerUI& root, IContainerUI*&) {
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
         [](CContainerUI& root, IContainerUI*&) {
             auto* text = new CRollTextUI;
             root.Add(text);
             text->SetText(L"rolling");
             EXPECT_TRUE(text->BeginRoll(CRollTextUI::kLeft, 50, 100000));
             return text;
         }},
        {"a layout whose child has the focus",
         [](CContainerUI& root, IContainerUI*&) {
             auto* layout = new CHorizontalLayoutUI;
             auto* child = new TabStopControl;
             root.Add(layout);
             layout->Add(child);
             child->SetFocus();
             EXPECT_EQ(child, root.GetManager()->GetFocus());
             return layout;
         }},
        {"a selected row of a list",
         [](CContainerUI& root, IContainerUI*& from) {
             auto* list = new CListUI;
             auto* row = new CListLabelElementUI;
             root.Add(list);
             list->Add(row);
             EXPECT_TRUE(row->Select(true));
             list->GetList()->SetAutoDestroy(false);
             from = list;
             return row;
         }},
        {"a node of a tree",
         [](CContainerUI& root, IContainerUI*& from) {
             auto* tree = new CTreeViewUI;
             auto* top = new CTreeNodeUI;
             auto* node = new CTreeNodeUI;
             root.Add(tree);
             tree->Add(top);
             top->Add(node);
             tree->GetList()->SetAutoDestroy(false);
             from = tree;
             return node;
         }},
    };
    auto* otherRoot = ShowWithRoot(other);
    ASSERT_NE(nullptr, otherRoot);
    for (const KeptControl& kind : kinds) {
        for (const bool movedFirst : {false, true}) {
            SCOPED_TRACE(std::string(kind.name) + (movedFirst ? ", moved into another window" : ", deleted"));
            auto* window = NewSelfDeletingWindow();
            auto* root = OpenWithRoot(*window);
            ASSERT_NE(nullptr, root);
            const CWindowUIManager* manager = &window->manager;
            IContainerUI* from = root;
            CControlUI* kept = kind.build(*root, from);
            if (from == root) root->SetAutoDestroy(false);  // else the window deletes the container with it
            ASSERT_TRUE(from->Remove(kept));
            EXPECT_EQ(nullptr, kept->GetManager()) << "a removed control kept no window";
            EXPECT_EQ(nullptr, kept->GetParent());
            EXPECT_EQ(nullptr, window->manager.GetFocus());

            ::DestroyWindow(window->GetHWND());
            ASSERT_FALSE(CWindowUIManager::Exists(manager)) << "the window and its manager are gone";
            // What repaints or lays out a control reaches neither the window nor the layout it left.
            kept->SetText(L"later");
            kept->SetBkColor(0xFF102030);
            kept->SetVisible(false);
            kept->SetVisible(true);
            kept->SetEnabled(false);
            kept->SetEnabled(true);
            kept->SetFocus();
            kept->SetPos(RECT{0, 0, 40, 20});
            kept->SetFixedWidth(50);
            kept->SetFloat(true);
            kept->SetFloat(false);
            kept->SetName(L"renamed");
            kept->SetToolTip(L"tip");
            kept->SetAttribute(L"bkimage", L"none.png");
            kept->SetAttribute(L"padding", L"1,2,3,4");
            kept->Activate();
            kept->Invalidate();
            kept->RequestLayout();
            if (auto* row = static_cast<IListItemUI*>(kept->GetInterface(L"ListItem"))) {
                row->Select(false);  // nor the list it was a row of
                row->Select(true);
            }
            if (auto* node = static_cast<CTreeNodeUI*>(kept->GetInterface(L"TreeNode"))) {
                EXPECT_EQ(nullptr, node->GetParentNode());
                EXPECT_TRUE(node->Add(new CTreeNodeUI));  // nor the tree it was a node of
            }
            if (movedFirst) {
                ASSERT_TRUE(otherRoot->Add(kept));
                ASSERT_TRUE(otherRoot->Remove(kept));  // the other window deletes it
            } else {
                delete kept;
            }
        }
    }
}

namespace {

// A control that holds a share of everything a window keeps for a control: a name, the focus and the key
// that went down on it, the hover and the press, a timer, an option group, a post-paint entry, a queued
// notification, and the window's messages as a filter, a translator and a listener.
class HeldEverywhere : public TabStopControl,
                       public IMessageFilterUI,
                       public ITranslateAccelerator,
                       public INotifyUI {
public:
    explicit HeldEverywhere(int* paints) : m_paints(paints) { SetName(L"held"); }
    LRESULT MessageHandler(UINT, WPARAM, LPARAM, bool& handled) override
    {
        handled = false;
        return 0;
    }
    LRESULT TranslateAccelerator(MSG*) override { return 1; }
    void Notify(NotifyMessage&) override {}
    void PaintOverlay(HDC, const RECT&) override { ++*m_paints; }

private:
    int* m_paints;
};

LPARAM PointOf(const RECT& rc) { return MAKELPARAM((rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2); }

}  // namespace

// A control the application takes out of one live window and puts into another belongs to the second
// only: the first neither sends it anything nor names it, and goes on safely once the second has deleted it.
TEST_F(WindowLifetimeTest, AControlMovedIntoAnotherLiveWindowLeavesNothingInTheFirst)
{
    HostWindow first;
    auto* firstRoot = OpenWithRoot(first, Shown::WithoutFocus);
    auto* otherRoot = ShowWithRoot(other);
    ASSERT_TRUE(firstRoot && otherRoot);
    firstRoot->SetPos(RECT{0, 0, 200, 100});
    NotifyRecorder firstNotes;
    first.manager.AddNotifier(&firstNotes);

    int overlays = 0;
    auto* moved = new HeldEverywhere(&overlays);
    ASSERT_TRUE(firstRoot->Add(moved));
    moved->SetPos(RECT{0, 0, 200, 100});
    HWND firstHwnd = first.GetHWND();
    PressAt(firstHwnd, PointOf(moved->GetPos()));
    moved->SetFocus();
    ::SendMessageW(firstHwnd, WM_KEYDOWN, 'A', 0);
    ASSERT_EQ(moved, first.manager.GetFocus());
    ASSERT_TRUE(first.manager.IsCaptured());
    ASSERT_TRUE(first.manager.SetTimer(moved, 7, 10));
    ASSERT_TRUE(first.manager.AddToOptionGroup(L"held", moved));
    ASSERT_TRUE(first.manager.AddPostPaint(moved));
    ASSERT_TRUE(first.manager.AddMessageFilter(moved));
    ASSERT_TRUE(first.manager.AddPreMessageFilter(moved));
    ASSERT_TRUE(first.manager.AddTranslateAccelerator(moved));
    ASSERT_TRUE(first.manager.AddNotifier(moved));
    first.manager.SendNotify(moved, L"queued", 0, 0, true);

    ASSERT_TRUE(MoveInto(*otherRoot, *firstRoot, moved));
    EXPECT_EQ(&other.manager, moved->GetManager());
    EXPECT_EQ(otherRoot, moved->GetParent());
    EXPECT_EQ(nullptr, first.manager.GetFocus()) << "the first window still had the moved control focused";
    EXPECT_FALSE(first.manager.IsCaptured()) << "the press on the moved control still held the mouse";
    EXPECT_EQ(nullptr, first.manager.FindControl(L"held"));
    EXPECT_EQ(moved, other.manager.FindControl(L"held"));
    EXPECT_EQ(nullptr, first.manager.GetOptionGroup(L"held"));
    EXPECT_FALSE(first.manager.RemovePostPaint(moved));
    EXPECT_FALSE(first.manager.RemoveMessageFilter(moved));
    EXPECT_FALSE(first.manager.RemovePreMessageFilter(moved));
    EXPECT_FALSE(first.manager.RemoveTranslateAccelerator(moved));
    EXPECT_FALSE(first.manager.RemoveNotifier(moved));
    EXPECT_FALSE(first.manager.KillTimer(moved, 7));
    // Nor does the first window take it up again: it holds nothing for another window's control.
    EXPECT_FALSE(first.manager.SetTimer(moved, 8, 10));
    EXPECT_FALSE(first.manager.AddToOptionGroup(L"held", moved));
    EXPECT_FALSE(first.manager.AddPostPaint(moved));

    otherRoot->SetDelayedDestroy(false);
    ASSERT_TRUE(otherRoot->Remove(moved));  // the second window deletes it
    // The first window's timer, paint, mouse and keys find nothing of it.
    PumpFor(100);
    Repaint(firstHwnd);
    ::SendMessageW(firstHwnd, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    ::SendMessageW(firstHwnd, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    ::SendMessageW(firstHwnd, WM_KEYUP, 'A', 0);
    ::SendMessageW(firstHwnd, WM_KEYDOWN, 'B', 0);
    EXPECT_EQ(0, overlays) << "the first window painted the moved control last";
    EXPECT_EQ(nullptr, first.manager.GetFocus());
    bool queuedSeen = false;
    for (const NotifyMessage& msg : firstNotes.seen) {
        if (msg.sType != L"queued") continue;
        queuedSeen = true;
        EXPECT_EQ(nullptr, msg.pSender) << "a queued notification still named the moved control";
    }
    EXPECT_TRUE(queuedSeen);
    first.manager.RemoveNotifier(&firstNotes);
    ::DestroyWindow(firstHwnd);
}

// ---- Controls an application renames, parks in a layout that does not own them, or re-roots.

namespace {

struct DeletionCount {
    int count = 0;
    bool OnDestroy(void*)
    {
        ++count;
        return true;
    }
};

}  // namespace

// A control renamed by the application is found by its new name, and once deleted by neither name.
TEST_F(WindowLifetimeTest, ARenamedControlIsFoundByItsNewNameAndByNoNameOnceDeleted)
{
    HostWindow first;
    auto* root = OpenWithRoot(first);
    ASSERT_NE(nullptr, root);
    auto* control = new CControlUI;
    control->SetName(L"old");
    ASSERT_TRUE(root->Add(control));
    ASSERT_EQ(control, first.manager.FindControl(L"old"));
    control->SetName(L"new");
    EXPECT_EQ(control, first.manager.FindControl(L"new")) << "the window did not learn the new name";
    root->SetDelayedDestroy(false);
    ASSERT_TRUE(root->Remove(control));
    EXPECT_EQ(nullptr, first.manager.FindControl(L"old")) << "the old name still answers the deleted control";
    EXPECT_EQ(nullptr, first.manager.FindControl(L"new"));
    ::DestroyWindow(first.GetHWND());
}

// A layout told not to delete its children leaves them to the application when the layout itself is
// deleted: they belong to no layout and no window, and the window they showed in goes on safely.
TEST_F(WindowLifetimeTest, ChildrenOfANonOwningLayoutOutliveItsDeletion)
{
    for (const bool windowCloses : {false, true}) {
        SCOPED_TRACE(windowCloses ? "the window closes and deletes the layout" : "the layout is removed and deleted");
        auto* window = NewSelfDeletingWindow();
        auto* root = OpenWithRoot(*window);
        ASSERT_NE(nullptr, root);
        HWND hwnd = window->GetHWND();
        auto* layout = new CHorizontalLayoutUI;
        ASSERT_TRUE(root->Add(layout));
        layout->SetAutoDestroy(false);
        auto* child = new TabStopControl;
        child->SetName(L"parked");
        ASSERT_TRUE(layout->Add(child));
        child->SetFocus();
        ASSERT_EQ(child, window->manager.GetFocus());
        ASSERT_TRUE(window->manager.SetTimer(child, 3, 10));
        if (windowCloses) {
            ::DestroyWindow(hwnd);
        } else {
            root->SetDelayedDestroy(false);
            ASSERT_TRUE(root->Remove(layout));
            EXPECT_EQ(nullptr, window->manager.GetFocus()) << "the window kept the focus on a child of a deleted layout";
            EXPECT_EQ(nullptr, window->manager.FindControl(L"parked"));
            ::SendMessageW(hwnd, WM_KEYDOWN, 'A', 0);
            ::SendMessageW(hwnd, WM_KEYUP, 'A', 0);
            PumpFor(60);
        }
        EXPECT_EQ(nullptr, child->GetParent()) << "the child still names the deleted layout";
        EXPECT_EQ(nullptr, child->GetManager());
        child->SetText(L"later");
        child->SetVisible(false);
        child->SetVisible(true);
        delete child;
        if (::IsWindow(hwnd)) ::DestroyWindow(hwnd);
    }
}

// A row the application takes out through the list's own container and keeps, or leaves in a container that
// keeps its rows when the list goes, forgets the list, which may go before it.
TEST_F(WindowLifetimeTest, ARowTakenOutThroughTheListBodyForgetsTheList)
{
    for (const bool takenOut : {true, false}) {
        SCOPED_TRACE(takenOut ? "taken out through the list body" : "left in the body when the window closes");
        auto* window = NewSelfDeletingWindow();
        auto* root = OpenWithRoot(*window);
        ASSERT_NE(nullptr, root);
        auto* list = new CListUI;
        ASSERT_TRUE(root->Add(list));
        auto* row = new CListLabelElementUI;
        ASSERT_TRUE(list->Add(row));
        ASSERT_TRUE(row->Select(true));
        list->GetList()->SetAutoDestroy(false);
        if (takenOut) {
            ASSERT_TRUE(list->GetList()->Remove(row));
            EXPECT_EQ(nullptr, row->GetManager());
            EXPECT_EQ(-1, list->GetCurSel()) << "the list still selects a row it no longer holds";
            EXPECT_EQ(0, list->GetCount());
        }
        ::DestroyWindow(window->GetHWND());
        EXPECT_EQ(nullptr, row->GetOwner());
        row->Select(false);
        row->Select(true);
        delete row;
    }
}

// Attaching the root a window already has keeps it: the window neither deletes it nor paints a freed one.
TEST_F(WindowLifetimeTest, AttachingTheCurrentRootAgainKeepsIt)
{
    HostWindow first;
    auto* root = OpenWithRoot(first, Shown::WithoutFocus);
    ASSERT_NE(nullptr, root);
    DeletionCount gone;
    root->OnDestroy += MakeDelegate(&gone, &DeletionCount::OnDestroy);
    ASSERT_TRUE(first.manager.AttachRootControl(first.manager.GetRoot()));
    PumpFor(60);
    EXPECT_EQ(0, gone.count) << "the window deleted the root it still shows";
    if (gone.count == 0) Repaint(first.GetHWND());
    ::DestroyWindow(first.GetHWND());
}

// An edit box moved while it is being edited takes no native box along that stays over the window it left.
TEST_F(WindowLifetimeTest, AnEditMovedWhileEditedLeavesNoNativeBoxInTheFirstWindow)
{
    HostWindow first;
    auto* firstRoot = OpenWithRoot(first, Shown::WithFocus);
    auto* otherRoot = ShowWithRoot(other);
    ASSERT_TRUE(firstRoot && otherRoot);
    firstRoot->SetPos(RECT{0, 0, 200, 100});
    auto* edit = new CEditUI;
    ASSERT_TRUE(firstRoot->Add(edit));
    edit->SetPos(RECT{0, 0, 200, 30});
    edit->SetFocus();
    HWND native = edit->GetNativeWindow();
    ASSERT_NE(nullptr, native) << "the edit opened no native box";
    ASSERT_EQ(first.GetHWND(), ::GetParent(native));
    ASSERT_TRUE(MoveInto(*otherRoot, *firstRoot, edit));
    const DWORD start = ::GetTickCount();
    PumpUntil([native, start] { return !::IsWindow(native) || ::GetTickCount() - start > 200; });
    EXPECT_FALSE(::IsWindow(native) && ::GetParent(native) == first.GetHWND())
        << "the moved edit's native box stays over the first window";
    otherRoot->SetDelayedDestroy(false);
    ASSERT_TRUE(otherRoot->Remove(edit));
    ::DestroyWindow(first.GetHWND());
}

// A layout moved back and forth between two live windows, with a focused named child, a selected option in
// a group, timers on a child and on its scroll bar, a pressed scroll bar and a queued notification, belongs
// to the last window only; deleted there, it leaves the other window safe for keys, mouse, paint and timers.
TEST_F(WindowLifetimeTest, ALayoutMovedBackAndForthBelongsToTheLastWindowOnly)
{
    HostWindow first;
    auto* firstRoot = OpenWithRoot(first, Shown::WithoutFocus);
    auto* otherRoot = ShowWithRoot(other, Shown::WithoutFocus);
    ASSERT_TRUE(firstRoot && otherRoot);
    firstRoot->SetAutoDestroy(false);
    otherRoot->SetAutoDestroy(false);

    auto* layout = new CVerticalLayoutUI;
    ASSERT_TRUE(firstRoot->Add(layout));
    layout->EnableScrollBar(true);
    auto* child = new TabStopControl;
    child->SetName(L"deep");
    child->SetFixedHeight(400);
    auto* option = new COptionUI;
    option->SetName(L"choice");
    ASSERT_TRUE(layout->Add(option));
    ASSERT_TRUE(layout->Add(child));
    option->SetGroup(L"pick");
    option->Selected(true);
    ::UpdateWindow(first.GetHWND());
    CWindowUIManager* managers[] = {&first.manager, &other.manager};
    CVerticalLayoutUI* roots[] = {firstRoot, otherRoot};
    for (int hop = 0; hop < 4; ++hop) {
        CWindowUIManager& from = *managers[hop % 2];
        CWindowUIManager& to = *managers[(hop + 1) % 2];
        HWND fromHwnd = from.GetWindowHandle();
        Repaint(fromHwnd);
        child->SetFocus();
        ASSERT_EQ(child, from.GetFocus());
        ASSERT_TRUE(from.SetTimer(child, 5, 10));
        CScrollBarUI* bar = layout->GetVerticalScrollBar();
        ASSERT_NE(nullptr, bar);
        ASSERT_TRUE(from.SetTimer(bar, 6, 10));
        const RECT barRect = bar->GetPos();
        if (!::IsRectEmpty(&barRect)) PressAt(fromHwnd, PointOf(barRect));
        from.SendNotify(child, L"queued", 0, 0, true);
        ASSERT_TRUE(roots[hop % 2]->Remove(layout));
        ASSERT_TRUE(roots[(hop + 1) % 2]->Add(layout));
        EXPECT_EQ(nullptr, from.GetFocus());
        EXPECT_FALSE(from.IsCaptured());
        EXPECT_EQ(nullptr, from.FindControl(L"deep"));
        EXPECT_EQ(nullptr, from.FindControl(L"choice"));
        EXPECT_EQ(nullptr, from.GetOptionGroup(L"pick"));
        EXPECT_FALSE(from.KillTimer(child, 5));
        EXPECT_FALSE(from.KillTimer(bar, 6));
        EXPECT_EQ(child, to.FindControl(L"deep"));
        ASSERT_NE(nullptr, to.GetOptionGroup(L"pick"));
        EXPECT_EQ(1, to.GetOptionGroup(L"pick")->GetSize());
        EXPECT_TRUE(option->IsSelected());
        ::SendMessageW(fromHwnd, WM_LBUTTONUP, 0, MAKELPARAM(1, 1));
    }
    // Now in the first window again; it deletes the layout.
    ASSERT_EQ(&first.manager, layout->GetManager());
    firstRoot->SetAutoDestroy(true);
    firstRoot->SetDelayedDestroy(false);
    ASSERT_TRUE(firstRoot->Remove(layout));
    for (CWindowUIManager* manager : managers) {
        HWND hwnd = manager->GetWindowHandle();
        PumpFor(60);
        Repaint(hwnd);
        ClickAt(hwnd, MAKELPARAM(5, 5));
        ::SendMessageW(hwnd, WM_KEYDOWN, VK_TAB, 0);
        ::SendMessageW(hwnd, WM_KEYDOWN, 'A', 0);
        EXPECT_EQ(nullptr, manager->FindControl(L"deep"));
        EXPECT_EQ(nullptr, manager->GetOptionGroup(L"pick"));
    }
    ::DestroyWindow(first.GetHWND());
}

// A selected option moved into a window whose group of that name has a selected option already leaves one
// selected there, as clicking would: added to a layout of that window, or given back to it already initialised.
TEST_F(WindowLifetimeTest, ASelectedOptionMovedIntoAGroupLeavesOneSelected)
{
    for (const bool runInit : {true, false}) {
        SCOPED_TRACE(runInit ? "added to a layout" : "given back initialised");
        // A group of its own each time: the window keeps its earlier root until its delayed work runs.
        const wchar_t* group = runInit ? L"pick" : L"choose";
        HostWindow first;
        auto* firstRoot = OpenWithRoot(first);
        auto* otherRoot = ShowWithRoot(other);
        ASSERT_TRUE(firstRoot && otherRoot);
        auto* moved = new COptionUI;
        auto* resident = new COptionUI;
        ASSERT_TRUE(firstRoot->Add(moved));
        ASSERT_TRUE(otherRoot->Add(resident));
        moved->SetGroup(group);
        resident->SetGroup(group);
        moved->Selected(true);
        resident->Selected(true);
        firstRoot->SetAutoDestroy(false);
        ASSERT_TRUE(firstRoot->Remove(moved));
        if (runInit) ASSERT_TRUE(otherRoot->Add(moved));
        else ASSERT_TRUE(other.manager.InitControls(moved, otherRoot, false));
        EXPECT_FALSE(moved->IsSelected() && resident->IsSelected()) << "two options of one group are selected";
        ASSERT_NE(nullptr, other.manager.GetOptionGroup(group));
        EXPECT_EQ(2, other.manager.GetOptionGroup(group)->GetSize());
        if (!runInit) delete moved;
        ::DestroyWindow(first.GetHWND());
    }
}

// Controls driven by their window's timer go on in the window they are moved to: a button fading in when it
// is moved finishes its fade (it does not stay half faded for good), a rolling text rolls on and its time
// limit still ends it.
TEST_F(WindowLifetimeTest, ControlsOnTheirWindowsTimerGoOnInTheWindowTheyAreMovedTo)
{
    HostWindow first;
    auto* firstRoot = OpenWithRoot(first, Shown::WithoutFocus);
    auto* otherRoot = ShowWithRoot(other, Shown::WithoutFocus);
    ASSERT_TRUE(firstRoot && otherRoot);
    NotifyRecorder notes;
    other.manager.AddNotifier(&notes);
    auto* button = new CFadeButtonUI;
    ASSERT_TRUE(firstRoot->Add(button));
    auto* roll = new CRollTextUI;
    roll->SetText(L"rolling along");
    ASSERT_TRUE(firstRoot->Add(roll));
    ::UpdateWindow(first.GetHWND());
    ::SendMessageW(first.GetHWND(), WM_MOUSEMOVE, 0, PointOf(button->GetPos()));
    ASSERT_TRUE(button->IsAnimationRunning(CFadeButtonUI::kFadeIn));
    ASSERT_TRUE(roll->BeginRoll(CRollTextUI::kLeft, 10, 400));
    ASSERT_TRUE(MoveInto(*otherRoot, *firstRoot, button));
    ASSERT_TRUE(MoveInto(*otherRoot, *firstRoot, roll));
    ::UpdateWindow(other.GetHWND());
    const int offset = roll->GetOffset();
    const DWORD start = ::GetTickCount();
    PumpUntil([&] { return !button->IsAnimationRunning(CFadeButtonUI::kFadeIn) || ::GetTickCount() - start > 1000; });
    EXPECT_FALSE(button->IsAnimationRunning(CFadeButtonUI::kFadeIn)) << "the fade never ends in the new window";
    PumpUntil([&] { return roll->GetOffset() > offset + 10 || ::GetTickCount() - start > 1000; });
    EXPECT_GT(roll->GetOffset(), offset + 10) << "the text stopped rolling in its new window";
    PumpUntil([&] { return notes.Count(L"textrollend", roll) > 0 || ::GetTickCount() - start > 2000; });
    EXPECT_EQ(1, notes.Count(L"textrollend", roll)) << "the time limit was lost with the move";
    other.manager.RemoveNotifier(&notes);
    ::DestroyWindow(first.GetHWND());
}

// A tree node kept past its tree and put into a tree of another window answers to the second tree only:
// its folder and check boxes reach nothing of the first, which is gone.
TEST_F(WindowLifetimeTest, ATreeNodeMovedIntoAnotherTreeAnswersToThatTreeOnly)
{
    auto* window = NewSelfDeletingWindow();
    auto* root = OpenWithRoot(*window);
    ASSERT_NE(nullptr, root);
    auto* firstTree = new CTreeViewUI;
    ASSERT_TRUE(root->Add(firstTree));
    auto* node = new CTreeNodeUI;
    ASSERT_TRUE(firstTree->Add(node));
    firstTree->GetList()->SetAutoDestroy(false);
    ASSERT_TRUE(firstTree->Remove(node));
    ::DestroyWindow(window->GetHWND());

    auto* otherRoot = ShowWithRoot(other);
    ASSERT_NE(nullptr, otherRoot);
    auto* secondTree = new CTreeViewUI;
    ASSERT_TRUE(otherRoot->Add(secondTree));
    ASSERT_TRUE(secondTree->Add(node));
    ASSERT_TRUE(node->Add(new CTreeNodeUI));
    EXPECT_EQ(secondTree, node->GetTreeView());
    node->GetFolderButton()->Activate();  // folds the node, through the tree's handler
    node->GetCheckBox()->Activate();
    EXPECT_FALSE(node->IsNodeExpanded());
}

// A window's root moved into another window leaves the first with no root; the first goes on and closes
// safely, and the second deletes the moved tree.
TEST_F(WindowLifetimeTest, ARootMovedIntoAnotherWindowLeavesTheFirstWithoutOne)
{
    auto* window = NewSelfDeletingWindow();
    auto* root = OpenWithRoot(*window, Shown::WithoutFocus);
    ASSERT_NE(nullptr, root);
    HWND hwnd = window->GetHWND();
    auto* child = new TabStopControl;
    child->SetName(L"child");
    ASSERT_TRUE(root->Add(child));
    ::UpdateWindow(hwnd);
    child->SetFocus();
    auto* otherRoot = ShowWithRoot(other);
    ASSERT_NE(nullptr, otherRoot);
    ASSERT_TRUE(otherRoot->Add(root));
    EXPECT_EQ(nullptr, window->manager.GetRoot());
    EXPECT_EQ(nullptr, window->manager.GetFocus());
    EXPECT_EQ(nullptr, window->manager.FindControl(L"child"));
    EXPECT_EQ(child, other.manager.FindControl(L"child"));
    Repaint(hwnd);
    ::SendMessageW(hwnd, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    ::SendMessageW(hwnd, WM_KEYDOWN, VK_TAB, 0);
    DeletionCount gone;
    child->OnDestroy += MakeDelegate(&gone, &DeletionCount::OnDestroy);
    ::DestroyWindow(hwnd);
    EXPECT_EQ(0, gone.count) << "the first window deleted the tree it gave away";
    otherRoot->SetDelayedDestroy(false);
    ASSERT_TRUE(otherRoot->Remove(root));
    EXPECT_EQ(1, gone.count);
}

// Two controls of one window share a name: moving, deleting or renaming the one the window finds by it leaves
// the other found.
TEST_F(WindowLifetimeTest, ASharedNameStillFindsTheControlThatStays)
{
    enum class Way { Deleted, Moved, Renamed };
    for (const Way way : {Way::Deleted, Way::Moved, Way::Renamed}) {
        SCOPED_TRACE(way == Way::Deleted ? "deleted" : way == Way::Moved ? "moved" : "renamed");
        HostWindow first;
        auto* root = OpenWithRoot(first);
        auto* otherRoot = ShowWithRoot(other);
        ASSERT_TRUE(root && otherRoot);
        auto* stays = new CControlUI;
        auto* goes = new CControlUI;
        stays->SetName(L"twin");
        goes->SetName(L"twin");
        ASSERT_TRUE(root->Add(stays));
        ASSERT_TRUE(root->Add(goes));
        root->SetDelayedDestroy(false);
        if (way == Way::Deleted) {
            ASSERT_TRUE(root->Remove(goes));
        } else if (way == Way::Moved) {
            root->SetAutoDestroy(false);
            ASSERT_TRUE(root->Remove(goes));
            ASSERT_TRUE(otherRoot->Add(goes));
            EXPECT_EQ(goes, other.manager.FindControl(L"twin"));
        } else {
            goes->SetName(L"single");
            EXPECT_EQ(goes, first.manager.FindControl(L"single"));
        }
        EXPECT_EQ(stays, first.manager.FindControl(L"twin")) << "the name went with the twin that left";
        ::DestroyWindow(first.GetHWND());
    }
}
