// Controls moved, removed, kept and deleted through the public interface while windows live and die:
// no window may hold a control that has gone or belongs to another window.
#include "Control/InputsRegistration.h"
#include "Control/ListsRegistration.h"
#include "Control/ScrollBarUI.h"
#include "Control/UIComboBox.h"
#include "Control/UIList.h"
#include "Control/UIListElement.h"
#include "Control/UIMenu.h"
#include "Control/UIOption.h"
#include "Control/UIListHeader.h"
#include "Control/UIPlaceHolder.h"
#include "Control/UITreeView.h"
#include "Control/EditUI.h"
#include "Core/ControlDeletion.h"
#include "Core/ControlFactory.h"
#include "Core/DialogBuilder.h"
#include "Core/WindowUIManager.h"
#include "Layout/BoxLayout.h"
#include "Layout/ContainerUI.h"
#include "Layout/TabLayoutUI.h"
#include "../Core/TestWindows.h"
#include "MenuWindows.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

using namespace SkinUI;
using namespace SkinUI::Testing;

namespace {

// Pushes every earlier delete out of the quarantine, which checks that nothing wrote to it since.
void FlushQuarantine()
{
    for (int i = 0; i < 64; ++i) delete[] new char[1 << 20];
}

LPARAM ClientPoint(const RECT& rc) { return MAKELPARAM((rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2); }

void MouseMove(HWND hwnd, LPARAM at) { ::SendMessageW(hwnd, WM_MOUSEMOVE, 0, at); }
void Press(HWND hwnd, LPARAM at) { ::SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, at); }
void Release(HWND hwnd, LPARAM at) { ::SendMessageW(hwnd, WM_LBUTTONUP, 0, at); }
void Click(HWND hwnd, LPARAM at)
{
    MouseMove(hwnd, at);
    Press(hwnd, at);
    Release(hwnd, at);
}
// Into the empty bottom corner of a probe window, off every control.
void MoveAway(HWND hwnd) { MouseMove(hwnd, MAKELPARAM(5, 290)); }
// Posted rather than sent: a drop list answers them inside its own message loop.
void PostClick(HWND hwnd, LPARAM at)
{
    ::PostMessageW(hwnd, WM_MOUSEMOVE, 0, at);
    ::PostMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, at);
    ::PostMessageW(hwnd, WM_LBUTTONUP, 0, at);
}

std::function<void()> g_inModal;

void CALLBACK RunInModal(HWND, UINT, UINT_PTR id, DWORD)
{
    ::KillTimer(nullptr, id);
    auto run = std::move(g_inModal);
    g_inModal = nullptr;
    if (run) run();
}

void PumpFor(DWORD ms)
{
    const DWORD start = ::GetTickCount();
    PumpUntil([&] { return ::GetTickCount() - start >= ms; });
}

// A window on the heap, so a test can end it (and its manager) while controls that came from it live on.
struct Window {
    HostWindow* host = new HostWindow;
    NotifyRecorder notes;
    CContainerUI* root = nullptr;

    explicit Window(const wchar_t* body = L"")
    {
        host->deleteOnFinal = true;
        if (!host->CreateTopLevel(nullptr, 400, 300)) return;
        host->manager.AddNotifier(&notes);
        std::wstring xml = L"<Window><VerticalLayout name=\"root\">";
        xml += body;
        xml += L"</VerticalLayout></Window>";
        CDialogBuilder builder;
        CControlUI* built = builder.Create(xml.c_str(), nullptr, nullptr, &host->manager);
        host->manager.AttachRootControl(built);
        root = static_cast<CContainerUI*>(built);
        root->SetDelayedDestroy(false);
        Layout();
    }
    ~Window() { Close(); }
    void Layout() { root->SetPos(RECT{0, 0, 400, 300}); }
    void Close()
    {
        if (!host) return;
        host->manager.RemoveNotifier(&notes);
        ::DestroyWindow(host->GetHWND());  // the final message deletes the window and its manager
        host = nullptr;
    }
    // Takes the control out of this window without deleting it.
    void KeepAside(CControlUI* control)
    {
        root->SetAutoDestroy(false);
        root->Remove(control);
    }
    void MoveTo(Window& other, CControlUI* control)
    {
        KeepAside(control);
        other.root->Add(control);
        other.Layout();
    }
    CWindowUIManager& manager() { return host->manager; }
    HWND hwnd() const { return host->GetHWND(); }
    template <class T = CControlUI>
    T* Find(const wchar_t* name)
    {
        return static_cast<T*>(host->manager.FindControl(name));
    }
};

// Builds the body with the window's manager, as a window's own layout files are built, outside any
// tree or straight into the given container.
CControlUI* Build(const wchar_t* body, CWindowUIManager& manager, CContainerUI* parent = nullptr)
{
    std::wstring xml = L"<Holder>";
    xml += body;
    xml += L"</Holder>";
    CDialogBuilder builder;
    return builder.Create(xml.c_str(), nullptr, nullptr, &manager, parent);
}

// A combo box's open drop list and the middle of its second entry; no window when it did not open.
struct DropList {
    HWND hwnd = nullptr;
    LPARAM second = 0;
};
DropList OpenDropList(CComboBoxUI* combo)
{
    if (!combo->Activate()) return {};
    return {combo->GetDropWindow()->GetHWND(), ClientPoint(combo->GetList()->GetItemAt(1)->GetPos())};
}

const wchar_t* const kTwoButtons = L"<Button name=\"one\" height=\"30\"/><Button name=\"two\" height=\"30\"/>";
const wchar_t* const kTipButtonAndAnother =
    L"<Button name=\"one\" tooltip=\"tip\" height=\"30\"/><Button name=\"two\" height=\"30\"/>";
const wchar_t* const kBoxedButton =
    L"<VerticalLayout name=\"box\" height=\"100\"><Button name=\"one\" height=\"30\"/></VerticalLayout>"
    L"<Button name=\"two\" height=\"30\"/>";
const wchar_t* const kTwoEntryCombo =
    L"<ComboBox name=\"combo\" height=\"24\"><ListLabelElement text=\"e0\" height=\"24\"/>"
    L"<ListLabelElement text=\"e1\" height=\"24\"/></ComboBox>";
const wchar_t* const kThreeEntryCombo =
    L"<ComboBox name=\"combo\" height=\"24\"><ListLabelElement text=\"e0\" height=\"24\"/>"
    L"<ListLabelElement text=\"e1\" height=\"24\"/><ListLabelElement text=\"e2\" height=\"24\"/></ComboBox>";

class ControlOwnershipProbe : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        RegisterListsControls(*CControlFactory::GetInstance());
        RegisterInputsControls(*CControlFactory::GetInstance());
    }
    void TearDown() override
    {
        FlushQuarantine();
        CWindowUIManager::Term();
    }
};

// A table of probes, each row in a fixture of its own and named after its row.
template <class Row>
class ProbeRows : public ControlOwnershipProbe, public ::testing::WithParamInterface<Row> {};
struct RowName {
    template <class Row>
    std::string operator()(const ::testing::TestParamInfo<Row>& info) const
    {
        return info.param.name;
    }
};

TEST_F(ControlOwnershipProbe, RenamedControlDeletedLeavesNoNameBehind)
{
    Window a(L"<Button name=\"first\" height=\"30\"/><Button name=\"other\" height=\"30\"/>");
    ASSERT_NE(nullptr, a.root);
    CControlUI* button = a.Find(L"first");
    ASSERT_NE(nullptr, button);
    button->SetName(L"renamed");
    a.root->Remove(button);
    EXPECT_EQ(nullptr, a.Find(L"first"));
    EXPECT_EQ(nullptr, a.Find(L"renamed"));
}

TEST_F(ControlOwnershipProbe, RenamedControlMovedLeavesNoNameInItsOldWindow)
{
    Window a(L"<Button name=\"first\" height=\"30\"/>");
    Window b;
    ASSERT_NE(nullptr, b.root);
    CControlUI* button = a.Find(L"first");
    button->SetName(L"renamed");
    a.KeepAside(button);
    b.root->Add(button);
    b.root->Remove(button);  // deleted by b
    EXPECT_EQ(nullptr, a.Find(L"first"));
}

// What one window's manager built, then that window ended: kept aside (never shown), or shown by another
// window. The probe pokes the built control itself, or the first item of the built container.
struct BuiltRow {
    const char* name;
    const wchar_t* body;
    const wchar_t* touchedName;
    bool touchesFirstItem;

    CControlUI* Touched(CControlUI* built) const  // none when the built container is empty
    {
        if (!touchesFirstItem) return built;
        auto* container = static_cast<CContainerUI*>(built->GetInterface(L"Container"));
        return container && container->GetCount() > 0 ? container->GetItemAt(0) : nullptr;
    }
};
const BuiltRow kBuiltRows[] = {
    {"Control", L"<Option name=\"built\" group=\"g\" text=\"x\" height=\"30\"/>", L"built", false},
    {"TreeNode",
     L"<TreeView name=\"tree\" height=\"200\"><TreeNode name=\"n\" text=\"a\"><TreeNode name=\"m\" text=\"b\"/>"
     L"</TreeNode></TreeView>",
     L"n", true},
};
using BuiltForAWindowThatEnds = ProbeRows<BuiltRow>;
INSTANTIATE_TEST_SUITE_P(ControlOwnershipProbe, BuiltForAWindowThatEnds, ::testing::ValuesIn(kBuiltRows), RowName());

TEST_P(BuiltForAWindowThatEnds, NeverAttachedSurvivesItsWindow)
{
    auto a = std::make_unique<Window>();
    ASSERT_NE(nullptr, a->root);
    CControlUI* built = Build(GetParam().body, a->manager());
    ASSERT_NE(nullptr, built);
    CControlUI* touched = GetParam().Touched(built);
    ASSERT_NE(nullptr, touched);
    a.reset();
    FlushQuarantine();
    EXPECT_TRUE(touched->GetManager() == nullptr || CWindowUIManager::Exists(touched->GetManager()));
    touched->SetText(L"later");
    touched->SetVisible(false);
    touched->SetVisible(true);
    FlushQuarantine();
    delete built;
    FlushQuarantine();
}

TEST_P(BuiltForAWindowThatEnds, AttachedToAnotherWindowOutlivesTheFirst)
{
    auto a = std::make_unique<Window>();
    Window b;
    ASSERT_NE(nullptr, b.root);
    CControlUI* built = Build(GetParam().body, a->manager());
    ASSERT_NE(nullptr, built);
    CControlUI* touched = GetParam().Touched(built);
    ASSERT_NE(nullptr, touched);
    b.root->Add(built);
    b.Layout();
    a.reset();
    FlushQuarantine();
    EXPECT_EQ(touched, b.Find(GetParam().touchedName));
    EXPECT_EQ(&b.manager(), touched->GetManager());
    Click(b.hwnd(), ClientPoint(touched->GetPos()));
    touched->SetText(L"later");
    b.root->Remove(built);
    MoveAway(b.hwnd());
    EXPECT_EQ(nullptr, b.Find(GetParam().touchedName));
    FlushQuarantine();
}

// Rows built with one window's manager straight into a container another window shows.
TEST_F(ControlOwnershipProbe, BuiltIntoAnotherWindowsContainerBelongsToThatWindow)
{
    auto a = std::make_unique<Window>();
    Window b;
    ASSERT_NE(nullptr, b.root);
    CControlUI* row = Build(L"<Button name=\"row\" text=\"x\" height=\"30\"/>", a->manager(), b.root);
    ASSERT_NE(nullptr, row);
    b.Layout();
    EXPECT_EQ(&b.manager(), row->GetManager());
    a.reset();  // its block stays quarantined: a write into it shows at the flush below
    Click(b.hwnd(), ClientPoint(row->GetPos()));
    EXPECT_EQ(1, b.notes.Count(L"click", row)) << "the row does not answer clicks in the window showing it";
    EXPECT_TRUE(CWindowUIManager::Exists(row->GetManager())) << "the row names a deleted manager";
    row->SetText(L"later");
    row->SetVisible(false);
    b.root->Remove(row);
    MoveAway(b.hwnd());
    FlushQuarantine();
}

// A control waiting for its delayed deletion, hovered or focused, while the container it left is deleted
// at once.
struct AwaitingDeletionRow {
    const char* name;
    const wchar_t* body;
    const wchar_t* container;
    const wchar_t* child;
    bool focused;  // else hovered
    int left;      // controls the window keeps
};
const AwaitingDeletionRow kAwaitingDeletionRows[] = {
    {"HoveredControl", kBoxedButton, L"box", L"one", false, 1},
    {"FocusedControl", kBoxedButton, L"box", L"one", true, 1},
    {"HoveredTreeNode",
     L"<TreeView name=\"tree\" height=\"200\"><TreeNode name=\"n\" text=\"a\"><TreeNode name=\"m\" text=\"b\"/>"
     L"</TreeNode><TreeNode name=\"o\" text=\"c\"/></TreeView>",
     L"tree", L"n", false, 0},
};
using AwaitingDeletion = ProbeRows<AwaitingDeletionRow>;
INSTANTIATE_TEST_SUITE_P(ControlOwnershipProbe, AwaitingDeletion, ::testing::ValuesIn(kAwaitingDeletionRows),
                         RowName());

TEST_P(AwaitingDeletion, OutlivesItsContainer)
{
    const AwaitingDeletionRow& row = GetParam();
    Window a(row.body);
    ASSERT_NE(nullptr, a.root);
    auto* container = a.Find<CContainerUI>(row.container);
    ASSERT_NE(nullptr, container);
    CControlUI* child = a.Find(row.child);
    ASSERT_TRUE(container->IsDelayedDestroy());
    if (row.focused) {
        a.manager().SetFocus(child);
        ASSERT_EQ(child, a.manager().GetFocus());
    } else {
        MouseMove(a.hwnd(), ClientPoint(child->GetPos()));
    }
    container->Remove(child);   // deleted later
    a.root->Remove(container);  // deleted now
    FlushQuarantine();
    if (row.focused) {
        ::SendMessageW(a.hwnd(), WM_KEYDOWN, VK_SPACE, 0);
        a.manager().SetFocus(a.Find(L"two"));
    } else {
        MoveAway(a.hwnd());
    }
    PumpFor(100);
    FlushQuarantine();
    EXPECT_EQ(row.left, a.root->GetCount());
}

// A field that checks its input on leaving removes the control the focus goes to (asked for by the
// application or by the user's click).
TEST_F(ControlOwnershipProbe, KillFocusHandlerRemovesTheControlTakingTheFocus)
{
    for (const bool byClick : {false, true}) {
        SCOPED_TRACE(byClick ? "clicked" : "SetFocus");
        Window a(kTwoButtons);
        ASSERT_NE(nullptr, a.root);
        CControlUI* one = a.Find(L"one");
        CControlUI* two = a.Find(L"two");
        const LPARAM at = ClientPoint(two->GetPos());
        a.manager().SetFocus(one);
        ASSERT_EQ(one, a.manager().GetFocus());
        a.notes.onNotify = [&](NotifyMessage& msg) {
            if (msg.sType == L"killfocus" && msg.pSender == one) a.root->Remove(two);
        };
        if (byClick) {
            Click(a.hwnd(), at);
            MoveAway(a.hwnd());
        } else {
            a.manager().SetFocus(two);
        }
        EXPECT_EQ(nullptr, a.manager().GetFocus());
        EXPECT_EQ(1, a.root->GetCount());
    }
}

// The framework's own SetManager named directly: the window whose tree still shows the control may not
// keep hovering, pressing or focusing it once another window has it.
TEST_F(ControlOwnershipProbe, SetManagerCalledDirectlyLeavesTheOldWindowNothing)
{
    Window a(kTwoButtons);
    Window b;
    ASSERT_NE(nullptr, b.root);
    CControlUI* one = a.Find(L"one");
    const LPARAM at = ClientPoint(one->GetPos());
    one->SetManager(&b.manager(), nullptr, false);
    MouseMove(a.hwnd(), at);
    Press(a.hwnd(), at);
    a.manager().SetFocus(one);
    EXPECT_NE(one, a.manager().GetFocus());
    a.root->Remove(one);  // deleted: released from b, the manager it names
    FlushQuarantine();
    Release(a.hwnd(), at);
    MoveAway(a.hwnd());
    ::SendMessageW(a.hwnd(), WM_KEYDOWN, VK_SPACE, 0);
    EXPECT_EQ(1, a.root->GetCount());
}

// The mouse-leave handler of the control left moves the control the mouse enters to another window: the
// old window neither enters nor keeps it, and the new window may delete it.
TEST_F(ControlOwnershipProbe, ControlMovedAwayAsTheMouseLeavesAnotherIsNotEnteredThere)
{
    Window a(kTwoButtons);
    Window b;
    ASSERT_NE(nullptr, b.root);
    CControlUI* one = a.Find(L"one");
    CControlUI* two = a.Find(L"two");
    const LPARAM at = ClientPoint(two->GetPos());
    MouseMove(a.hwnd(), ClientPoint(one->GetPos()));
    struct Mover {
        Window& from;
        Window& to;
        CControlUI* moved;
        int entered = 0;
        bool OnLeave(void* param)
        {
            if (static_cast<ControlEvent*>(param)->Type == EVT_MOUSELEAVE && moved->GetManager() == &from.manager())
                from.MoveTo(to, moved);
            return true;
        }
        bool OnEnter(void* param)
        {
            if (static_cast<ControlEvent*>(param)->Type == EVT_MOUSEENTER) ++entered;
            return true;
        }
    } mover{a, b, two};
    one->OnEvent += MakeDelegate(&mover, &Mover::OnLeave);
    two->OnEvent += MakeDelegate(&mover, &Mover::OnEnter);
    MouseMove(a.hwnd(), at);
    EXPECT_EQ(0, mover.entered);
    b.root->Remove(two);
    FlushQuarantine();
    MouseMove(a.hwnd(), at);
    MoveAway(a.hwnd());
    EXPECT_EQ(1, a.root->GetCount());
}

// A control waiting for its deletion belongs to the queue: no container takes it, and only the window
// whose old root it was takes it back, as its root again. No window takes a control a container holds.
TEST_F(ControlOwnershipProbe, AControlWaitingForItsDeletionIsRefusedElsewhere)
{
    Window a(kTwoButtons);
    Window b;
    ASSERT_NE(nullptr, b.root);
    CControlUI* one = a.Find(L"one");
    if (b.manager().AttachRootControl(one)) {
        ADD_FAILURE() << "another window took a control a's container holds as its root";
        b.manager().AttachRootControl(b.root);
        a.KeepAside(one);  // b's queue has it now: a's container may not delete it too
        return;
    }
    a.root->SetDelayedDestroy(true);
    ASSERT_TRUE(a.root->Remove(one));
    EXPECT_FALSE(b.root->Add(one)) << "a removed control was taken before its deletion";
    EXPECT_EQ(0, b.root->GetCount());
    // Taken as a root, b's own would go instead: then b takes its own back.
    if (b.manager().AttachRootControl(one)) {
        ADD_FAILURE() << "another window took a removed control as its root";
        b.manager().AttachRootControl(b.root);
    }
    // A tree refuses a node waiting for its deletion before it listens to it or changes it.
    auto* node = new CTreeNodeUI();
    ASSERT_TRUE(a.root->Add(node));
    ASSERT_TRUE(a.root->Remove(node));
    auto* tree = new CTreeViewUI();
    ASSERT_TRUE(b.root->Add(tree));
    tree->SetVisibleFolderBtn(false);
    EXPECT_FALSE(tree->Add(node));
    EXPECT_TRUE(node->GetFolderButton()->IsVisible()) << "the tree changed a node it refused";

    // An old root re-attached before the cleanup is the window's root again; the newer one goes. No
    // other window takes it.
    CControlUI* oldRoot = a.root;
    auto* newer = new CVerticalLayoutUI();
    ASSERT_TRUE(a.manager().AttachRootControl(newer));
    EXPECT_FALSE(b.root->Add(oldRoot)) << "a replaced root was taken before its deletion";
    if (b.manager().AttachRootControl(oldRoot)) {
        ADD_FAILURE() << "another window took a replaced root as its root";
        b.manager().AttachRootControl(b.root);
    }
    EXPECT_EQ(b.root, b.manager().GetRoot());
    ASSERT_TRUE(a.manager().AttachRootControl(oldRoot));
    PumpFor(100);
    FlushQuarantine();
    a.Layout();
    EXPECT_EQ(oldRoot, a.manager().GetRoot());
    EXPECT_EQ(a.Find(L"two"), a.root->GetItemAt(0));
    Click(a.hwnd(), ClientPoint(a.Find(L"two")->GetPos()));
    EXPECT_EQ(1, a.notes.Count(L"click", a.Find(L"two")));
    EXPECT_EQ(1, b.root->GetCount());
}

// Deleting a control a container still holds through the queue is refused: the container keeps it, lays it
// out and it still answers; its container's Remove is what takes it out.
TEST_F(ControlOwnershipProbe, DeletingAControlAContainerStillHoldsIsRefused)
{
    Window a(kTwoButtons);
    ASSERT_NE(nullptr, a.root);
    CControlUI* one = a.Find(L"one");
    EXPECT_FALSE(ControlDeletion::Delete(one));
    PumpFor(50);
    FlushQuarantine();
    a.Layout();
    EXPECT_EQ(one, a.root->GetItemAt(0));
    Click(a.hwnd(), ClientPoint(one->GetPos()));
    EXPECT_EQ(1, a.notes.Count(L"click", one));
    EXPECT_TRUE(a.root->Remove(one));
}

TEST_F(ControlOwnershipProbe, ControlRemovedDuringItsPressLetsTheCaptureGo)
{
    Window a(kTwoButtons);
    ASSERT_NE(nullptr, a.root);
    CControlUI* one = a.Find(L"one");
    const LPARAM at = ClientPoint(one->GetPos());
    MouseMove(a.hwnd(), at);
    Press(a.hwnd(), at);
    a.root->Remove(one);
    EXPECT_NE(a.hwnd(), ::GetCapture());
    MoveAway(a.hwnd());
    Release(a.hwnd(), at);
    EXPECT_EQ(0, a.notes.Count(L"click", one));
}

TEST_F(ControlOwnershipProbe, KeptControlMovedWhileItsToolTipWaitsThenDeleted)
{
    Window a(kTipButtonAndAnother);
    Window b;
    ASSERT_NE(nullptr, b.root);
    CControlUI* one = a.Find(L"one");
    MouseMove(a.hwnd(), ClientPoint(one->GetPos()));
    a.MoveTo(b, one);
    a.manager().SetFocus(one);
    EXPECT_EQ(nullptr, a.manager().GetFocus());
    b.root->Remove(one);
    PumpFor(700);  // the hover timer's time
    MoveAway(a.hwnd());
    ::SendMessageW(a.hwnd(), WM_KEYDOWN, VK_TAB, 0);
    EXPECT_EQ(1, a.root->GetCount());
}

TEST_F(ControlOwnershipProbe, ControlReAddedToItsWindowAfterRemoveWorksAgain)
{
    Window a(kTwoButtons);
    ASSERT_NE(nullptr, a.root);
    CControlUI* one = a.Find(L"one");
    a.KeepAside(one);
    EXPECT_EQ(nullptr, one->GetManager());
    EXPECT_EQ(nullptr, one->GetParent());
    EXPECT_EQ(nullptr, a.Find(L"one"));
    a.root->Add(one);
    a.Layout();
    EXPECT_EQ(one, a.Find(L"one"));
    EXPECT_EQ(&a.manager(), one->GetManager());
    Click(a.hwnd(), ClientPoint(one->GetPos()));
    EXPECT_EQ(1, a.notes.Count(L"click", one));
    a.root->SetAutoDestroy(true);
    a.root->Remove(one);
    MoveAway(a.hwnd());
}

TEST_F(ControlOwnershipProbe, ComboEntriesRemovedWhileTheDropListIsOpen)
{
    Window a(kThreeEntryCombo);
    ASSERT_NE(nullptr, a.root);
    auto* combo = a.Find<CComboBoxUI>(L"combo");
    ASSERT_NE(nullptr, combo);
    ASSERT_TRUE(combo->Activate());
    CWindowWnd* drop = combo->GetDropWindow();
    ASSERT_NE(nullptr, drop);
    HWND dropHwnd = drop->GetHWND();
    ASSERT_TRUE(::IsWindowVisible(dropHwnd));
    MouseMove(dropHwnd, MAKELPARAM(10, 30));
    Press(dropHwnd, MAKELPARAM(10, 30));
    combo->RemoveAll();
    FlushQuarantine();
    MouseMove(dropHwnd, MAKELPARAM(10, 10));
    Release(dropHwnd, MAKELPARAM(10, 30));
    ::SendMessageW(dropHwnd, WM_KEYDOWN, VK_DOWN, 0);
    ::SendMessageW(dropHwnd, WM_KEYDOWN, VK_RETURN, 0);
    PumpFor(100);
    EXPECT_EQ(0, combo->GetCount());
}

TEST_F(ControlOwnershipProbe, ComboItemSelectHandlerRemovesEveryEntry)
{
    Window a(kThreeEntryCombo);
    ASSERT_NE(nullptr, a.root);
    auto* combo = a.Find<CComboBoxUI>(L"combo");
    a.notes.onNotify = [&](NotifyMessage& msg) {
        if (msg.sType == L"itemselect") combo->RemoveAll();
    };
    combo->GetList()->SetDelayedDestroy(false);
    const DropList drop = OpenDropList(combo);
    ASSERT_NE(nullptr, drop.hwnd);
    PostClick(drop.hwnd, drop.second);
    PumpFor(300);
    ::SendMessageW(a.hwnd(), WM_KEYDOWN, VK_DOWN, 0);
    EXPECT_EQ(1, a.notes.Count(L"itemselect", combo->GetList()));
    EXPECT_EQ(0, combo->GetCount());
}

// Selected by the application: the selection's handler takes entries out, all of them or the one asked
// for. The combo box shows the entry selected after that, and says the one asked for is not selected.
TEST_F(ControlOwnershipProbe, ComboSelectedByTheApplicationWhoseHandlerTakesEntriesOut)
{
    for (const bool every : {true, false}) {
        SCOPED_TRACE(every ? "every entry" : "the entry asked for");
        Window a(kThreeEntryCombo);
        ASSERT_NE(nullptr, a.root);
        auto* combo = a.Find<CComboBoxUI>(L"combo");
        ASSERT_NE(nullptr, combo);
        combo->GetList()->SetDelayedDestroy(false);
        CControlUI* const asked = combo->GetList()->GetItemAt(1);
        a.notes.onNotify = [&](NotifyMessage& msg) {
            if (msg.sType != L"itemselect" || combo->GetList()->GetItemIndex(asked) < 0) return;
            if (every) combo->RemoveAll();
            else combo->Remove(asked);
        };
        EXPECT_FALSE(combo->SelectItem(1));
        a.notes.onNotify = nullptr;
        // Taken out, the selected entry leaves the selection to the entry now in its place.
        EXPECT_EQ(every ? 0 : 2, combo->GetCount());
        EXPECT_EQ(every ? -1 : 1, combo->GetCurSel());
        EXPECT_STREQ(every ? L"" : L"e2", combo->GetText().GetData());
        FlushQuarantine();
    }
}

// The drop list's window belongs to the window the combo box was first shown in.
TEST_F(ControlOwnershipProbe, ComboMovedOnOutlivesTheWindowItCameFrom)
{
    auto a = std::make_unique<Window>(kTwoEntryCombo);
    Window b;
    ASSERT_NE(nullptr, b.root);
    auto* combo = a->Find<CComboBoxUI>(L"combo");
    ASSERT_NE(nullptr, combo);
    a->KeepAside(combo);
    EXPECT_EQ(2, combo->GetCount());
    b.root->Add(combo);
    b.Layout();
    EXPECT_EQ(2, combo->GetCount());
    a.reset();
    PumpFor(100);
    FlushQuarantine();
    EXPECT_EQ(2, combo->GetCount());
    EXPECT_TRUE(combo->SelectItem(1));
    EXPECT_TRUE(combo->Activate());
    PumpFor(100);
    ASSERT_NE(nullptr, combo->GetDropWindow());
    EXPECT_TRUE(::IsWindowVisible(combo->GetDropWindow()->GetHWND()));
    ::PostMessageW(combo->GetDropWindow()->GetHWND(), WM_KEYDOWN, VK_ESCAPE, 0);
    PumpFor(100);
    b.root->Remove(combo);
    PumpFor(100);
}

TEST_F(ControlOwnershipProbe, ComboKeptAsideOutlivesItsWindow)
{
    auto a = std::make_unique<Window>(kTwoEntryCombo);
    ASSERT_NE(nullptr, a->root);
    auto* combo = a->Find<CComboBoxUI>(L"combo");
    a->KeepAside(combo);
    a.reset();
    PumpFor(100);
    FlushQuarantine();
    EXPECT_EQ(2, combo->GetCount());
    combo->SelectItem(0);
    combo->SetText(L"x");
    combo->Activate();
    delete combo;
    FlushQuarantine();
}

TEST_F(ControlOwnershipProbe, ListItemSelectHandlerRemovesEveryItem)
{
    Window a(L"<List name=\"list\" height=\"200\"><ListLabelElement text=\"e0\" height=\"24\"/>"
             L"<ListLabelElement text=\"e1\" height=\"24\"/><ListLabelElement text=\"e2\" height=\"24\"/></List>");
    ASSERT_NE(nullptr, a.root);
    auto* list = a.Find<CListUI>(L"list");
    ASSERT_NE(nullptr, list);
    list->SetDelayedDestroy(false);
    a.notes.onNotify = [&](NotifyMessage& msg) {
        if (msg.sType == L"itemselect") list->RemoveAll();
    };
    a.Layout();
    Click(a.hwnd(), ClientPoint(list->GetItemAt(1)->GetPos()));
    MoveAway(a.hwnd());
    ::SendMessageW(a.hwnd(), WM_KEYDOWN, VK_DOWN, 0);
    EXPECT_EQ(0, list->GetCount());
}

TEST_F(ControlOwnershipProbe, AnimatedTabPagesRemovedMidSlide)
{
    Window a(L"<AnimationTabLayout name=\"tabs\" height=\"200\"><Button name=\"p0\"/><Button name=\"p1\"/>"
             L"<Button name=\"p2\"/></AnimationTabLayout>");
    ASSERT_NE(nullptr, a.root);
    auto* tabs = a.Find<CTabLayoutUI>(L"tabs");
    ASSERT_NE(nullptr, tabs);
    tabs->SetDelayedDestroy(false);
    PumpFor(50);
    ASSERT_TRUE(tabs->SelectItem(1));
    PumpFor(40);  // mid-slide
    tabs->RemoveAt(1);
    PumpFor(300);
    ASSERT_TRUE(tabs->SelectItem(1));
    PumpFor(40);
    tabs->RemoveAll();
    PumpFor(300);
    EXPECT_EQ(0, tabs->GetCount());
    a.root->Remove(tabs);
    PumpFor(100);
}

// A sliding tab layout deleted mid-slide, at once or after a move to another window.
struct MidSlideRow {
    const char* name;
    bool moved;
    DWORD slidFor;  // how long it slid before it was taken out
};
const MidSlideRow kMidSlideRows[] = {{"Deleted", false, 30}, {"MovedToAnotherWindowThenDeleted", true, 40}};
using AnimatedTabMidSlide = ProbeRows<MidSlideRow>;
INSTANTIATE_TEST_SUITE_P(ControlOwnershipProbe, AnimatedTabMidSlide, ::testing::ValuesIn(kMidSlideRows), RowName());

TEST_P(AnimatedTabMidSlide, LeavesItsWindowNothing)
{
    Window a(L"<AnimationTabLayout name=\"tabs\" height=\"200\"><Button name=\"p0\"/><Button name=\"p1\"/>"
             L"</AnimationTabLayout>");
    Window b;
    ASSERT_NE(nullptr, b.root);
    auto* tabs = a.Find<CTabLayoutUI>(L"tabs");
    PumpFor(50);
    ASSERT_TRUE(tabs->SelectItem(1));
    PumpFor(GetParam().slidFor);
    if (GetParam().moved) {
        a.MoveTo(b, tabs);
        PumpFor(100);
        b.root->Remove(tabs);
    } else {
        a.root->Remove(tabs);
        FlushQuarantine();
    }
    PumpFor(300);
    EXPECT_EQ(0, a.root->GetCount());
}

// The window a control came from ends while another window shows it.
TEST_F(ControlOwnershipProbe, ControlMovedOnOutlivesTheWindowItCameFrom)
{
    auto a = std::make_unique<Window>(L"<Button name=\"one\" tooltip=\"tip\" height=\"30\"/>");
    Window b;
    ASSERT_NE(nullptr, b.root);
    CControlUI* one = a->Find(L"one");
    MouseMove(a->hwnd(), ClientPoint(one->GetPos()));
    a->manager().SetFocus(one);
    a->MoveTo(b, one);
    a.reset();
    FlushQuarantine();
    Click(b.hwnd(), ClientPoint(one->GetPos()));
    EXPECT_EQ(1, b.notes.Count(L"click", one));
    PumpFor(600);
    b.root->Remove(one);
    MoveAway(b.hwnd());
}

// A place holder's native window goes with it: kept aside it survives its old window, moved on it shows
// in the new one.
TEST_F(ControlOwnershipProbe, PlaceHolderMovedOnKeepsItsNativeWindow)
{
    auto a = std::make_unique<Window>();
    Window b;
    ASSERT_NE(nullptr, b.root);
    auto* holder = new CPlaceHolderUI();
    holder->SetFixedHeight(40);
    a->root->Add(holder);
    a->Layout();
    HWND native = holder->GetNativeWindow();
    ASSERT_NE(nullptr, native);
    ASSERT_EQ(a->hwnd(), ::GetParent(native));
    a->KeepAside(holder);
    a.reset();
    PumpFor(50);
    ASSERT_TRUE(::IsWindow(native)) << "the native window ended with a window its control had left";
    b.root->Add(holder);
    b.Layout();
    EXPECT_EQ(native, holder->GetNativeWindow());
    EXPECT_EQ(b.hwnd(), ::GetParent(native));
    EXPECT_TRUE(::GetWindowLongW(native, GWL_STYLE) & WS_VISIBLE);
    RECT shown = {};
    ::GetWindowRect(native, &shown);
    ::MapWindowPoints(HWND_DESKTOP, b.hwnd(), reinterpret_cast<POINT*>(&shown), 2);
    EXPECT_EQ(holder->GetPos().top, shown.top);
    EXPECT_EQ(40, shown.bottom - shown.top);
    // Hidden by itself, it stays hidden wherever it is put.
    holder->SetVisible(false);
    b.KeepAside(holder);
    b.root->SetAutoDestroy(true);
    b.root->Add(holder);
    EXPECT_FALSE(::GetWindowLongW(native, GWL_STYLE) & WS_VISIBLE);
    b.root->Remove(holder);
    PumpFor(50);
    EXPECT_FALSE(::IsWindow(native));
}

// A click handler runs a modal window; while it is up the clicked control goes away.
TEST_F(ControlOwnershipProbe, ControlRemovedDuringAModalLoopOpenedFromItsClick)
{
    Window a(kTwoButtons);
    ASSERT_NE(nullptr, a.root);
    CControlUI* one = a.Find(L"one");
    bool modalRan = false;
    a.notes.onNotify = [&](NotifyMessage& msg) {
        if (msg.sType != L"click" || msg.pSender != one) return;
        auto* dialog = new HostWindow;
        dialog->deleteOnFinal = true;
        dialog->Create(a.hwnd(), L"modal", WS_POPUP | WS_VISIBLE, 0, 20, 20, 100, 100);
        // Removes the clicked button from inside the modal loop, then ends the loop.
        g_inModal = [&, dialog] {
            a.root->Remove(one);
            ::PostMessageW(dialog->GetHWND(), WM_CLOSE, 0, 0);
        };
        ::SetTimer(nullptr, 0, 30, &RunInModal);
        dialog->ShowModal();
        modalRan = true;
    };
    Click(a.hwnd(), ClientPoint(one->GetPos()));
    EXPECT_TRUE(modalRan);
    MoveAway(a.hwnd());
    EXPECT_EQ(1, a.root->GetCount());
}

// An edit field being typed in (its native window open in its window) moves to another window.
TEST_F(ControlOwnershipProbe, EditMovedWhileBeingEditedThenDeleted)
{
    auto a = std::make_unique<Window>(L"<Edit name=\"edit\" height=\"24\" text=\"abc\"/><Button name=\"two\" height=\"30\"/>");
    Window b;
    ASSERT_NE(nullptr, b.root);
    auto* edit = a->Find<CEditUI>(L"edit");
    ASSERT_NE(nullptr, edit);
    Click(a->hwnd(), ClientPoint(edit->GetPos()));
    PumpFor(100);
    HWND native = edit->GetNativeWindow();
    ASSERT_NE(nullptr, native) << "the edit did not open for typing";
    a->MoveTo(b, edit);
    PumpFor(50);
    EXPECT_FALSE(::IsWindowVisible(native) && ::GetParent(native) == a->hwnd()) << "the old window still edits it";
    EXPECT_NE(native, ::GetFocus()) << "typing still goes to the field's editor in the old window";
    if (::IsWindow(native)) {
        ::SendMessageW(native, WM_CHAR, 'x', 0);
        ::SendMessageW(native, WM_KEYDOWN, VK_RETURN, 0);
    }
    EXPECT_EQ(CUIString(L"abc"), edit->GetText()) << "typing in the old window changed the moved field";
    b.root->Remove(edit);
    FlushQuarantine();
    if (::IsWindow(native)) {
        ::SendMessageW(native, WM_CHAR, 'y', 0);
        ::SendMessageW(native, WM_KILLFOCUS, 0, 0);
    }
    PumpFor(50);
    a.reset();
    PumpFor(50);
    FlushQuarantine();
}

TEST_F(ControlOwnershipProbe, ComboKeptAsideWhileItsDropListIsOpen)
{
    auto a = std::make_unique<Window>(kTwoEntryCombo);
    ASSERT_NE(nullptr, a->root);
    auto* combo = a->Find<CComboBoxUI>(L"combo");
    const DropList drop = OpenDropList(combo);
    ASSERT_NE(nullptr, drop.hwnd);
    a->KeepAside(combo);
    PostClick(drop.hwnd, drop.second);
    PumpFor(200);
    EXPECT_EQ(nullptr, combo->GetManager());
    a.reset();
    PumpFor(100);
    FlushQuarantine();
    combo->SetText(L"x");
    delete combo;
    FlushQuarantine();
}

TEST_F(ControlOwnershipProbe, ComboDeletedWhileItsDropListIsOpen)
{
    Window a(kTwoEntryCombo);
    ASSERT_NE(nullptr, a.root);
    auto* combo = a.Find<CComboBoxUI>(L"combo");
    const DropList drop = OpenDropList(combo);
    ASSERT_NE(nullptr, drop.hwnd);
    MouseMove(drop.hwnd, drop.second);
    Press(drop.hwnd, drop.second);
    a.root->Remove(combo);
    FlushQuarantine();
    if (::IsWindow(drop.hwnd)) {
        MouseMove(drop.hwnd, MAKELPARAM(2, 2));
        Release(drop.hwnd, drop.second);
    }
    PumpFor(200);
    EXPECT_FALSE(::IsWindow(drop.hwnd));
}

TEST_F(ControlOwnershipProbe, ControlDeletedOrMovedWhileItsToolTipShows)
{
    for (const bool moved : {false, true}) {
        SCOPED_TRACE(moved ? "moved" : "deleted");
        Window a(kTipButtonAndAnother);
        Window b;
        ASSERT_NE(nullptr, b.root);
        CControlUI* one = a.Find(L"one");
        const LPARAM at = ClientPoint(one->GetPos());
        MouseMove(a.hwnd(), at);
        ::SendMessageW(a.hwnd(), WM_MOUSEHOVER, 0, at);
        if (moved)
            a.MoveTo(b, one);
        else
            a.root->Remove(one);
        FlushQuarantine();
        ::SendMessageW(a.hwnd(), WM_MOUSEHOVER, 0, at);
        ::SendMessageW(a.hwnd(), WM_MOUSELEAVE, 0, 0);
        MouseMove(a.hwnd(), at);
        PumpFor(100);
        if (moved) b.root->Remove(one);
        ::SendMessageW(a.hwnd(), WM_MOUSEHOVER, 0, at);
        EXPECT_EQ(1, a.root->GetCount());
    }
}

TEST_F(ControlOwnershipProbe, ComboMovedWhileItsDropListIsOpen)
{
    Window a(kTwoEntryCombo);
    Window b;
    ASSERT_NE(nullptr, b.root);
    auto* combo = a.Find<CComboBoxUI>(L"combo");
    const DropList drop = OpenDropList(combo);
    ASSERT_NE(nullptr, drop.hwnd);
    a.MoveTo(b, combo);
    PostClick(drop.hwnd, drop.second);
    PumpFor(200);
    EXPECT_EQ(1, combo->GetCurSel());
    EXPECT_EQ(1, b.notes.Count(L"itemselect", combo->GetList()));
    EXPECT_EQ(0, a.notes.Count(L"itemselect", combo->GetList()));
    b.root->Remove(combo);
    PumpFor(100);
    FlushQuarantine();
}

// Takes the control it is hooked to out of its (deleting) container once it hears of the given event
// (of any size change).
struct RemoveOnEvent {
    CContainerUI* container = nullptr;
    CControlUI* control = nullptr;
    int type = 0;
    bool OnEvent(void* param)
    {
        if (static_cast<ControlEvent*>(param)->Type == type) RemoveOnce();
        return true;
    }
    bool OnSize(void*)
    {
        RemoveOnce();
        return true;
    }
    void RemoveOnce()
    {
        if (!control) return;
        CControlUI* gone = control;
        control = nullptr;
        container->Remove(gone);
    }
};

TEST_F(ControlOwnershipProbe, EventHandlerRemovesItsOwnControlOnAPress)
{
    Window a(kTwoButtons);
    ASSERT_NE(nullptr, a.root);
    CControlUI* one = a.Find(L"one");
    RemoveOnEvent remover{a.root, one, EVT_BUTTONDOWN};
    one->OnEvent += MakeDelegate(&remover, &RemoveOnEvent::OnEvent);
    Click(a.hwnd(), ClientPoint(one->GetPos()));
    FlushQuarantine();
    EXPECT_EQ(1, a.root->GetCount());
}

TEST_F(ControlOwnershipProbe, SizeHandlerRemovesItsOwnControl)
{
    Window a(kTwoButtons);
    ASSERT_NE(nullptr, a.root);
    CControlUI* one = a.Find(L"one");
    RemoveOnEvent remover{a.root, one, 0};
    one->OnSize += MakeDelegate(&remover, &RemoveOnEvent::OnSize);
    one->SetPos(RECT{0, 0, 100, 20});
    FlushQuarantine();
    EXPECT_EQ(1, a.root->GetCount());
}

// Menus three levels deep: an item of a sub-menu that itself lends its sub-items to a further sub-menu.
const wchar_t* kDeepMenuXml =
    L"<Window><Menu><MenuElement name=\"more\" text=\"More\"><MenuElement name=\"deep\" text=\"Deep\">"
    L"<MenuElement name=\"d1\" text=\"D1\"/><MenuElement name=\"d2\" text=\"D2\"/></MenuElement>"
    L"<MenuElement name=\"m2\" text=\"M2\"/></MenuElement><MenuElement name=\"last\" text=\"Last\"/></Menu></Window>";

class MenuOwnershipProbe : public ControlOwnershipProbe, protected MenuOverWindow {
protected:
    void SetUp() override
    {
        ControlOwnershipProbe::SetUp();
        OpenMenuOverWindow(kDeepMenuXml);
    }
    void TearDown() override
    {
        CloseMenuAndWindow();
        ControlOwnershipProbe::TearDown();
    }
    // The sub-menu of "more" and that of its item "deep".
    void OpenMoreAndDeep()
    {
        sub = HoverOpen(*menu, L"more");
        ASSERT_NE(nullptr, sub);
        subHwnd = sub->GetHWND();
        deep = HoverOpen(*sub, L"deep");
        ASSERT_NE(nullptr, deep);
        deepHwnd = deep->GetHWND();
    }
    bool SubMenusClose()
    {
        return PumpUntil([&] { return !::IsWindow(subHwnd) && !::IsWindow(deepHwnd); });
    }
    void CloseMenu()
    {
        ::DestroyWindow(hwnd);
        PumpUntil([&] { return !::IsWindow(hwnd); });
        FlushQuarantine();
    }
    CMenuElementUI* TopItem(const wchar_t* name)
    {
        return static_cast<CMenuElementUI*>(menu->GetManager().FindControl(name));
    }

    CMenuWnd* sub = nullptr;
    HWND subHwnd = nullptr;
    CMenuWnd* deep = nullptr;
    HWND deepHwnd = nullptr;
};

TEST_F(MenuOwnershipProbe, ClosingTheMiddleOfThreeMenusGivesEveryItemBack)
{
    ASSERT_NO_FATAL_FAILURE(OpenMoreAndDeep());
    // One added at the head of the open sub-menu stays at the head once it has closed.
    auto* added = new CMenuElementUI();
    added->SetName(L"d0");
    ASSERT_TRUE(deep->GetLayout()->AddAt(added, 0));
    HoverOpen(*menu, L"last");
    ASSERT_TRUE(SubMenusClose());
    FlushQuarantine();
    auto* deepItem = TopItem(L"deep");
    ASSERT_NE(nullptr, deepItem);
    EXPECT_EQ(TopItem(L"more"), deepItem->GetParent());
    ASSERT_EQ(3u, deepItem->GetSubItems().size());
    EXPECT_EQ(added, deepItem->GetSubItems().front());
    deepItem->Remove(added);
    EXPECT_EQ(&menu->GetManager(), deepItem->GetManager());
    for (CMenuElementUI* item : deepItem->GetSubItems()) EXPECT_EQ(&menu->GetManager(), item->GetManager());
    // Open both again: the items given back work a second time.
    ASSERT_NO_FATAL_FAILURE(OpenMoreAndDeep());
    EXPECT_EQ(2, deep->GetLayout()->GetCount());
}

TEST_F(MenuOwnershipProbe, TopItemDeletedWhileTwoSubMenusShowItsItems)
{
    ASSERT_NO_FATAL_FAILURE(OpenMoreAndDeep());
    CControlUI* d1 = deep->GetManager().FindControl(L"d1");
    ASSERT_NE(nullptr, d1);
    const LPARAM at = ClientPoint(d1->GetPos());
    MouseMove(deepHwnd, at);
    Press(deepHwnd, at);
    d1->SetFocus();
    CMenuUI* list = menu->GetLayout();
    list->GetList()->SetDelayedDestroy(false);
    list->Remove(TopItem(L"more"));
    FlushQuarantine();
    MouseMove(deepHwnd, MAKELPARAM(1, 1));
    Release(deepHwnd, at);
    ::SendMessageW(deepHwnd, WM_KEYDOWN, VK_DOWN, 0);
    ASSERT_TRUE(SubMenusClose());
    FlushQuarantine();
    EXPECT_EQ(nullptr, TopItem(L"d1"));
    EXPECT_TRUE(::IsWindow(hwnd));
}

TEST_F(MenuOwnershipProbe, MiddleItemTakenOutOfItsSubMenuByTheApplication)
{
    ASSERT_NO_FATAL_FAILURE(OpenMoreAndDeep());
    auto* deepItem = static_cast<CMenuElementUI*>(sub->GetManager().FindControl(L"deep"));
    auto* holder = static_cast<CContainerUI*>(deepItem->GetParent()->GetInterface(L"Container"));
    ASSERT_NE(nullptr, holder);
    // What the application takes out of a sub-menu's own list is deleted, with its open sub-menu.
    EXPECT_TRUE(holder->Remove(deepItem));
    ASSERT_TRUE(PumpUntil([&] { return !::IsWindow(deepHwnd); }));
    EXPECT_EQ(nullptr, sub->GetManager().FindControl(L"deep"));
    EXPECT_EQ(nullptr, sub->GetManager().FindControl(L"d1"));
    FlushQuarantine();
    HoverOpen(*menu, L"last");
    ASSERT_TRUE(SubMenusClose());
    EXPECT_EQ(1u, TopItem(L"more")->GetSubItems().size());
    CloseMenu();
}

TEST_F(MenuOwnershipProbe, TopItemMovedIntoAnApplicationWindowWhileItsSubMenuIsOpen)
{
    Window b;
    ASSERT_NE(nullptr, b.root);
    sub = HoverOpen(*menu, L"more");
    ASSERT_NE(nullptr, sub);
    subHwnd = sub->GetHWND();
    CMenuUI* list = menu->GetLayout();
    CMenuElementUI* more = TopItem(L"more");
    list->GetList()->SetAutoDestroy(false);
    list->Remove(more);
    b.root->Add(more);
    b.Layout();
    ASSERT_TRUE(SubMenusClose());
    EXPECT_EQ(&b.manager(), more->GetManager());
    for (CMenuElementUI* item : more->GetSubItems()) EXPECT_EQ(&b.manager(), item->GetManager());
    CloseMenu();
    MouseMove(b.hwnd(), ClientPoint(more->GetPos()));
    b.root->Remove(more);
    MoveAway(b.hwnd());
    FlushQuarantine();
}

// The application empties an item whose sub-menu, and that sub-menu's own sub-menu, are open.
TEST_F(MenuOwnershipProbe, ItemEmptiedWhileTwoSubMenusShowItsItems)
{
    ASSERT_NO_FATAL_FAILURE(OpenMoreAndDeep());
    CMenuElementUI* more = TopItem(L"more");
    more->RemoveAll();
    EXPECT_TRUE(PumpUntil([&] { return !::IsWindow(deepHwnd); }));
    EXPECT_EQ(0, sub->GetLayout()->GetCount());
    HoverOpen(*menu, L"last");
    ASSERT_TRUE(SubMenusClose());
    FlushQuarantine();
    EXPECT_TRUE(more->GetSubItems().empty());
    EXPECT_EQ(nullptr, TopItem(L"deep"));
    EXPECT_EQ(nullptr, TopItem(L"m2"));
    // Hovered again it opens nothing, and the menu still works.
    EXPECT_EQ(nullptr, HoverOpen(*menu, L"more"));
    EXPECT_TRUE(::IsWindow(hwnd));
}

// While its sub-menu is open the application takes one lent sub-item out and adds a new one: at the
// close the item holds what is left and the new one, and opens with them again.
TEST_F(MenuOwnershipProbe, ItemChangedWhileItsSubMenuIsOpen)
{
    sub = HoverOpen(*menu, L"more");
    ASSERT_NE(nullptr, sub);
    subHwnd = sub->GetHWND();
    CMenuElementUI* more = TopItem(L"more");
    auto* late = new CMenuElementUI();
    late->SetName(L"late");
    ASSERT_TRUE(more->Add(late));
    auto* m2 = static_cast<CMenuElementUI*>(sub->GetManager().FindControl(L"m2"));
    ASSERT_NE(nullptr, m2);
    EXPECT_TRUE(more->Remove(m2));
    EXPECT_EQ(nullptr, sub->GetManager().FindControl(L"m2"));
    HoverOpen(*menu, L"last");
    ASSERT_TRUE(SubMenusClose());
    FlushQuarantine();
    std::vector<std::wstring> names;
    for (CMenuElementUI* item : more->GetSubItems()) {
        names.push_back(item->GetName().GetData());
        EXPECT_EQ(&menu->GetManager(), item->GetManager());
        EXPECT_EQ(more, item->GetParent());
    }
    EXPECT_EQ((std::vector<std::wstring>{L"deep", L"late"}), names);
    sub = HoverOpen(*menu, L"more");
    ASSERT_NE(nullptr, sub);
    subHwnd = sub->GetHWND();
    EXPECT_EQ(2, sub->GetLayout()->GetCount());
    EXPECT_NE(nullptr, sub->GetManager().FindControl(L"late"));
}

// The drop list takes the keyboard focus as it shows: an application's native window losing it may
// take the combo box away meanwhile.
TEST_F(ControlOwnershipProbe, ComboTakenAwayWhileItsDropListTakesTheFocus)
{
    Window a(kTwoEntryCombo);
    ASSERT_NE(nullptr, a.root);
    auto* combo = a.Find<CComboBoxUI>(L"combo");
    ASSERT_NE(nullptr, combo);
    bool taken = false;
    FocusLossChild child(a.hwnd(), [&] {
        a.root->Remove(combo);
        taken = true;
    });
    ASSERT_TRUE(child.HasFocus());
    combo->Activate();
    PumpFor(200);
    FlushQuarantine();
    EXPECT_TRUE(taken);
    EXPECT_EQ(nullptr, a.Find(L"combo"));
    EXPECT_EQ(0, a.notes.Count(L"dropdown", combo));
}

// A clicked field (edit box, hot key, date) opens its native window, which takes the keyboard focus while
// the press is still held; the field's handler for its focus loss may take it away meanwhile.
struct FieldTaker {
    Window* window;
    CControlUI* field;
    int losses = 0;
    bool OnEvent(void* param)
    {
        if (static_cast<ControlEvent*>(param)->Type != EVT_KILLFOCUS || losses++ > 0) return true;
        window->root->Remove(field);
        return true;
    }
};

struct FieldRow {
    const char* name;
    const wchar_t* xml;
};
const FieldRow kFieldRows[] = {
    {"Edit", L"<Edit name=\"field\" height=\"24\" text=\"abc\"/>"},
    {"HotKey", L"<HotKey name=\"field\" height=\"24\"/>"},
    {"DateTime", L"<DateTime name=\"field\" height=\"24\"/>"},
};
using FieldTakenAway = ProbeRows<FieldRow>;
INSTANTIATE_TEST_SUITE_P(ControlOwnershipProbe, FieldTakenAway, ::testing::ValuesIn(kFieldRows), RowName());

TEST_P(FieldTakenAway, AsItsNativeWindowTakesTheFocusFromItsClick)
{
    Window a((std::wstring(GetParam().xml) + L"<Button name=\"two\" height=\"30\"/>").c_str());
    CControlUI* field = a.Find(L"field");
    ASSERT_NE(nullptr, field);
    FieldTaker taker{&a, field};
    field->OnEvent += MakeDelegate(&taker, &FieldTaker::OnEvent);
    Click(a.hwnd(), ClientPoint(field->GetPos()));
    PumpFor(100);
    FlushQuarantine();
    EXPECT_GE(taker.losses, 1) << "the field never heard of a focus loss";
    EXPECT_EQ(nullptr, a.Find(L"field"));
    // The window goes on: the other button still takes a click.
    Click(a.hwnd(), ClientPoint(a.Find(L"two")->GetPos()));
    EXPECT_EQ(1, a.notes.Count(L"click", a.Find(L"two")));
}

// ---- One parent at a time: what one container holds no other takes, and a refusal changes nothing.

// An application builds a panel away from any window and moves a window's whole tree into it.
TEST_F(ControlOwnershipProbe, WindowRootMovedIntoAPanelOutsideAnyWindowLeavesThatWindow)
{
    Window a(kTwoButtons);
    ASSERT_NE(nullptr, a.root);
    CContainerUI* root = a.root;
    auto* panel = new CVerticalLayoutUI();
    ASSERT_TRUE(panel->Add(root));
    EXPECT_EQ(panel, root->GetParent());
    const bool windowLetGo = a.manager().GetRoot() != root;
    EXPECT_TRUE(windowLetGo) << "the window still shows, and at its end deletes, what the panel holds";
    if (!windowLetGo) {  // taken back, so that only one of them deletes it
        panel->SetAutoDestroy(false);
        panel->Remove(root);
    }
    a.Close();
    FlushQuarantine();
    delete panel;
    FlushQuarantine();
}

// Adding another list's header must neither take it nor drop this list's own header.
TEST_F(ControlOwnershipProbe, AnotherListsHeaderIsRefusedAndTheListKeepsItsOwn)
{
    Window a(L"<List name=\"l1\" height=\"100\"/><List name=\"l2\" height=\"100\"/>");
    auto* l1 = a.Find<CListUI>(L"l1");
    auto* l2 = a.Find<CListUI>(L"l2");
    ASSERT_TRUE(l1 && l2);
    CListHeaderUI* own = l1->GetHeader();
    CListHeaderUI* theirs = l2->GetHeader();
    EXPECT_FALSE(l1->Add(theirs));
    EXPECT_EQ(own, l1->GetHeader()) << "the list dropped its own header";
    EXPECT_EQ(l2, theirs->GetParent());
    ASSERT_EQ(own, l1->GetHeader());
    // A column added afterwards lands in this list, not in the other one.
    ASSERT_TRUE(l1->Add(new CListHeaderItemUI()));
    EXPECT_EQ(1, own->GetCount());
    EXPECT_EQ(0, theirs->GetCount());
    a.Close();
    FlushQuarantine();
}

// A row another list holds is refused, and a click on it still selects it in its own list.
TEST_F(ControlOwnershipProbe, ARowAnotherListHoldsIsRefusedAndStillSelectsInItsOwn)
{
    Window a(L"<List name=\"l1\" height=\"100\"><ListLabelElement name=\"r\" text=\"r\" height=\"24\"/></List>"
             L"<List name=\"l2\" height=\"100\"><ListLabelElement text=\"x\" height=\"24\"/>"
             L"<ListLabelElement text=\"y\" height=\"24\"/></List>"
             L"<ComboBox name=\"combo\" height=\"24\"><ListLabelElement text=\"e0\" height=\"24\"/></ComboBox>");
    auto* l1 = a.Find<CListUI>(L"l1");
    auto* l2 = a.Find<CListUI>(L"l2");
    auto* combo = a.Find<CComboBoxUI>(L"combo");
    CControlUI* row = a.Find(L"r");
    ASSERT_TRUE(l1 && l2 && combo && row);
    EXPECT_FALSE(l2->Add(row));
    EXPECT_FALSE(l2->AddAt(row, 0));
    EXPECT_FALSE(combo->Add(row));
    EXPECT_EQ(2, l2->GetCount());
    EXPECT_EQ(1, combo->GetCount());
    // A menu refuses an item another container holds before it hides the item's sub-items.
    auto* item = new CMenuElementUI();
    auto* subItem = new CMenuElementUI();
    ASSERT_TRUE(item->Add(subItem));
    ASSERT_TRUE(a.root->Add(item));
    const bool subItemShown = subItem->IsVisible();
    CMenuUI menu;
    EXPECT_FALSE(menu.Add(item));
    EXPECT_FALSE(menu.AddAt(item, 0));
    EXPECT_EQ(subItemShown, subItem->IsVisible());
    a.Layout();
    ::UpdateWindow(a.hwnd());
    Click(a.hwnd(), ClientPoint(row->GetPos()));
    EXPECT_EQ(0, l1->GetCurSel());
    EXPECT_EQ(-1, l2->GetCurSel());
    EXPECT_EQ(-1, combo->GetCurSel());
    MoveAway(a.hwnd());
}

// A node refused for a place past a tree's end keeps nothing of that tree: its handlers would answer the
// node's double click in another tree too, and undo the collapse there.
TEST_F(ControlOwnershipProbe, ANodeRefusedForAPlacePastTheEndKeepsNothingOfThatTree)
{
    Window a(L"<TreeView name=\"t1\" height=\"100\"/><TreeView name=\"t2\" height=\"100\"/>");
    auto* t1 = a.Find<CTreeViewUI>(L"t1");
    auto* t2 = a.Find<CTreeViewUI>(L"t2");
    ASSERT_TRUE(t1 && t2);
    auto* node = new CTreeNodeUI();
    auto* child = new CTreeNodeUI();
    ASSERT_TRUE(node->Add(child));
    EXPECT_EQ(-1, t1->AddAt(node, 5));
    EXPECT_EQ(0, t1->GetCount());
    ASSERT_TRUE(t2->Add(node));
    ASSERT_EQ(2, t2->GetCount());
    a.Layout();
    ::UpdateWindow(a.hwnd());
    ASSERT_TRUE(child->IsVisible());
    const LPARAM at = ClientPoint(node->GetPos());
    MouseMove(a.hwnd(), at);
    ::SendMessageW(a.hwnd(), WM_LBUTTONDBLCLK, MK_LBUTTON, at);
    Release(a.hwnd(), at);
    MoveAway(a.hwnd());
    EXPECT_EQ(1, a.notes.Count(L"treeitemdbclick", node));
    EXPECT_FALSE(child->IsVisible()) << "the double click did not collapse the node";
}

// A node recorded under a node outside any tree hangs there: neither a tree nor a container may hold it too.
TEST_F(ControlOwnershipProbe, ANodeUnderALooseNodeIsRefusedByTreesAndContainers)
{
    Window a(L"<TreeView name=\"tree\" height=\"200\"/>");
    auto* tree = a.Find<CTreeViewUI>(L"tree");
    ASSERT_NE(nullptr, tree);
    auto* loose = new CTreeNodeUI();
    auto* child = new CTreeNodeUI();
    ASSERT_TRUE(loose->Add(child));
    const bool added = tree->Add(child);
    const bool addedAt = !added && tree->AddAt(static_cast<CControlUI*>(child), 0);
    EXPECT_FALSE(added);
    EXPECT_FALSE(addedAt);
    if (added || addedAt) tree->Remove(child);  // taken back, so that only the loose node deletes it
    EXPECT_EQ(0, tree->GetCount());
    EXPECT_EQ(loose, child->GetParentNode());
    // Nor may a container: the loose node deletes it with itself.
    if (a.root->Add(child)) {
        ADD_FAILURE() << "a container took a node that hangs under a loose node";
        a.KeepAside(child);
    }
    // Nor may the deletion queue take it from behind the loose node, which would delete it again.
    EXPECT_FALSE(ControlDeletion::Delete(child));
    delete loose;
    FlushQuarantine();
    a.Layout();
    ::UpdateWindow(a.hwnd());
}

// A part a control owns (a scroll bar switched on at run time, a list's body, a combo box's list
// before it first drops) is refused by every Add, its owner's own included, and by the deletion queue:
// otherwise two would delete it.
TEST_F(ControlOwnershipProbe, APartAControlOwnsIsRefusedByEveryAdd)
{
    Window a(L"<VerticalLayout name=\"box\" height=\"100\"/><List name=\"list\" height=\"100\"/>"
             L"<VerticalLayout name=\"other\" height=\"50\"/>");
    auto* box = a.Find<CContainerUI>(L"box");
    auto* list = a.Find<CListUI>(L"list");
    auto* other = a.Find<CContainerUI>(L"other");
    ASSERT_TRUE(box && list && other);
    box->EnableScrollBar(true, true);
    list->EnableScrollBar(true, false);
    auto combo = std::make_unique<CComboBoxUI>();  // in no window: its list has not dropped yet
    struct Part {
        const char* name;
        CControlUI* part;
        CContainerUI* owner;
    };
    const Part parts[] = {
        {"vertical bar switched on at run time", box->GetVerticalScrollBar(), box},
        {"horizontal bar switched on at run time", box->GetHorizontalScrollBar(), box},
        {"list's bar switched on at run time", list->GetVerticalScrollBar(), list},
        {"list's body", list->GetList(), list},
        {"combo box's list before it first drops", combo->GetList(), nullptr},
    };
    for (const Part& item : parts) {
        SCOPED_TRACE(item.name);
        ASSERT_NE(nullptr, item.part);
        // Nor may the deletion queue delete it behind its owner's back.
        EXPECT_FALSE(ControlDeletion::Delete(item.part));
        for (CContainerUI* taker : {other, item.owner}) {
            if (!taker || !taker->Add(item.part)) continue;
            ADD_FAILURE() << "taken by " << (taker == other ? "another container" : "its owner");
            // Given back undeleted, so that only its owner deletes it.
            taker->SetAutoDestroy(false);
            taker->CContainerUI::Remove(item.part);
            taker->SetAutoDestroy(true);
        }
    }
    // The list that never dropped goes with its combo, entries and all.
    struct Watch {
        int gone = 0;
        bool Gone(void*)
        {
            ++gone;
            return true;
        }
    } entry;
    auto* label = new CListLabelElementUI();
    label->OnDestroy += MakeDelegate(&entry, &Watch::Gone);
    ASSERT_TRUE(combo->Add(label));
    combo.reset();
    EXPECT_EQ(1, entry.gone);
    a.Close();
    FlushQuarantine();
}

}  // namespace
