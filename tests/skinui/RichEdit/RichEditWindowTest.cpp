#include "Control/RichEditContextMenu.h"
#include "Control/RichEditRegistration.h"
#include "Control/ScrollBarUI.h"
#include "Control/UIRichEdit.h"
#include "Core/ControlFactory.h"
#include "Core/DialogBuilder.h"
#include "Layout/BoxLayout.h"
#include "TestWindows.h"

#include <imm.h>

#include <algorithm>
#include <memory>

#include <string>

using namespace SkinUI;
using namespace SkinUI::Testing;

namespace {

constexpr UINT kMarker = WM_USER + 77;

class RichEditWindowTest : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        ASSERT_NE(nullptr, host.Create(nullptr, L"rich", WS_POPUP, 0, 0, 0, 300, 200))
            << "no window: is an X display available?";
        host.manager.AddNotifier(&notes);
        root = new CVerticalLayoutUI();
        root->SetBkColor(0xFFFFFFFF);
        edit = AddEdit();
    }
    void TearDown() override
    {
        if (::IsWindow(host)) ::DestroyWindow(host);
        BYTE keys[256] = {};
        ::SetKeyboardState(keys);
    }
    CRichEditUI* AddEdit(int height = 0)
    {
        auto* control = new CRichEditUI();
        if (height > 0) control->SetFixedHeight(height);
        root->Add(control);
        return control;
    }
    void Show()
    {
        host.manager.AttachRootControl(root);
        ::ShowWindow(host, SW_SHOWNOACTIVATE);
        Repaint();
    }
    void Repaint() { ::RedrawWindow(host, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW); }
    // Posts the messages, then pumps until the window has seen all of them.
    void Post(UINT msg, WPARAM wParam, LPARAM lParam = 0) { ::PostMessageW(host, msg, wParam, lParam); }
    void Settle()
    {
        const size_t before = host.received.size();
        Post(kMarker, 0);
        EXPECT_TRUE(PumpUntil([&] {
            for (size_t i = before; i < host.received.size(); ++i)
                if (host.received[i].message == kMarker) return true;
            return false;
        }));
    }
    void Type(const wchar_t* text)
    {
        for (const wchar_t* p = text; *p; ++p) Post(WM_CHAR, *p, 1);
        Settle();
        Settle();  // the box reports its changes queued, behind the characters
    }
    void PressKey(UINT key)
    {
        Post(WM_KEYDOWN, key, 1);
        Post(WM_KEYUP, key, 0xC0000001);
        Settle();
    }
    // Presses the left button as a first click. The engine takes a press near its last one, within the
    // double-click time, for a double click, and tells boxes apart only by their address: a box made after
    // an earlier test's box was deleted may get its address, so a test's first press waits out the earlier
    // test's presses (the messages sent here carry the time of the last message the thread took).
    void Press(LPARAM at)
    {
        if (!pressed) {
            const auto sinceLastPress = [] { return static_cast<DWORD>(::GetMessageTime() - lastPressTime); };
            while (sinceLastPress() <= ::GetDoubleClickTime()) {
                ::Sleep(::GetDoubleClickTime() - sinceLastPress() + 1);
                Settle();
            }
            pressed = true;
        }
        ::SendMessageW(host, WM_LBUTTONDOWN, MK_LBUTTON, at);
        lastPressTime = ::GetMessageTime();
    }
    void HoldControl(bool down)
    {
        BYTE keys[256] = {};
        ::GetKeyboardState(keys);
        keys[VK_CONTROL] = down ? 0x80 : 0;
        ::SetKeyboardState(keys);
    }
    // The colour the framework drew at a client point (0x00RRGGBB), read from its own bitmap.
    DWORD PixelAt(int x, int y) const
    {
        RECT client = {};
        ::GetClientRect(host, &client);
        const BYTE* bits = host.manager.GetOffscreenBits();
        if (!bits) return 0xFFFFFFFF;
        ::GdiFlush();
        return reinterpret_cast<const DWORD*>(bits)[(client.bottom - 1 - y) * client.right + x] & 0x00FFFFFF;
    }
    int CountPixels(const RECT& rc, bool (*match)(DWORD)) const
    {
        int count = 0;
        for (int y = rc.top; y < rc.bottom; ++y)
            for (int x = rc.left; x < rc.right; ++x) count += match(PixelAt(x, y)) ? 1 : 0;
        return count;
    }
    CHARRANGE Selection() const
    {
        CHARRANGE range = {};
        edit->TxSendMessage(EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&range), nullptr);
        return range;
    }

    HostWindow host;
    NotifyRecorder notes;
    CVerticalLayoutUI* root = nullptr;
    CRichEditUI* edit = nullptr;
    bool pressed = false;
    static inline LONG lastPressTime = 0;
};

bool IsRed(DWORD rgb) { return (rgb >> 16 & 0xFF) > 0xA0 && (rgb >> 8 & 0xFF) < 0x60 && (rgb & 0xFF) < 0x60; }
bool IsDark(DWORD rgb) { return (rgb >> 16 & 0xFF) < 0x80 && (rgb >> 8 & 0xFF) < 0x80 && (rgb & 0xFF) < 0x80; }
bool IsNotWhite(DWORD rgb) { return rgb != 0xFFFFFF; }

TEST_F(RichEditWindowTest, TextSetBeforeAndAfterJoiningTheWindowComesBack)
{
    edit->SetText(L"before");
    Show();
    ASSERT_TRUE(edit->HasTextServices());
    EXPECT_EQ(CUIString(L"before"), edit->GetText());
    edit->SetText(L"游戏 安装 hello");
    EXPECT_EQ(CUIString(L"游戏 安装 hello"), edit->GetText());
    edit->SetText(L"");
    EXPECT_TRUE(edit->GetText().IsEmpty());
}

TEST_F(RichEditWindowTest, SelectionThroughTheEngineAndTheSelectAllCommand)
{
    Show();
    edit->SetText(L"0123456789");
    CHARRANGE range = {2, 5};
    edit->TxSendMessage(EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range), nullptr);
    EXPECT_EQ(2, Selection().cpMin);
    EXPECT_EQ(5, Selection().cpMax);
    wchar_t selected[16] = {};
    edit->TxSendMessage(EM_GETSELTEXT, 0, reinterpret_cast<LPARAM>(selected), nullptr);
    EXPECT_STREQ(L"234", selected);

    // Menu commands reach only a focused box.
    Post(WM_COMMAND, kMenuSelectAll);
    Settle();
    EXPECT_EQ(2, Selection().cpMin);
    edit->SetFocus();
    Post(WM_COMMAND, kMenuSelectAll);
    Settle();
    EXPECT_EQ(0, Selection().cpMin);
    // A rich text ends with a paragraph mark the selection takes in.
    EXPECT_GE(Selection().cpMax, 10);
    Post(WM_COMMAND, kMenuClear);
    Settle();
    EXPECT_TRUE(edit->GetText().IsEmpty());
}

TEST_F(RichEditWindowTest, TypedCharactersReachTheFocusedBoxAndReportTheChange)
{
    Show();
    Type(L"ignored");
    EXPECT_TRUE(edit->GetText().IsEmpty());
    edit->SetFocus();
    Type(L"abc中文");
    EXPECT_EQ(CUIString(L"abc中文"), edit->GetText());
    EXPECT_GE(notes.Count(L"textchanged", edit), 1);
    PressKey(VK_BACK);
    EXPECT_EQ(CUIString(L"abc中"), edit->GetText());
}

// The change is made inside the engine's own call for a typed or an input method character.
TEST_F(RichEditWindowTest, ABoxDeletedByItsTextChangeHandlerLeavesTheEngineWhole)
{
    Show();
    root->SetDelayedDestroy(false);
    for (const UINT message : {WM_CHAR, WM_IME_CHAR}) {
        SCOPED_TRACE(message);
        if (!edit) edit = AddEdit();
        Repaint();
        edit->SetFocus();
        bool removed = false;
        notes.onNotify = [&](NotifyMessage& msg) {
            if (msg.sType != L"textchanged" || removed) return;
            removed = true;
            EXPECT_EQ(edit, msg.pSender);
            EXPECT_TRUE(root->Remove(edit));
        };
        Post(message, L'a', 1);
        Post(message, L'b', 1);
        Settle();
        Settle();
        EXPECT_TRUE(removed);
        EXPECT_EQ(0, root->GetCount());
        EXPECT_EQ(nullptr, host.manager.GetFocus());
        notes.onNotify = nullptr;
        edit = nullptr;
    }
}

// A box set up in another window and moved here takes this window's keys, and the other window's no more.
TEST_F(RichEditWindowTest, ABoxMovedFromAnotherWindowTakesTheKeysOfThisOne)
{
    HostWindow first;
    ASSERT_NE(nullptr, first.Create(nullptr, L"first", WS_POPUP, 0, 0, 220, 300, 200));
    auto* firstRoot = new CVerticalLayoutUI();
    first.manager.AttachRootControl(firstRoot);
    auto* moved = new CRichEditUI();
    ASSERT_TRUE(firstRoot->Add(moved));
    ASSERT_TRUE(moved->HasTextServices());
    moved->SetText(L"a");
    firstRoot->SetAutoDestroy(false);
    ASSERT_TRUE(firstRoot->Remove(moved));
    ASSERT_TRUE(root->Add(moved));
    Show();
    moved->SetFocus();
    ASSERT_EQ(moved, host.manager.GetFocus());
    CHARRANGE end = {-1, -1};
    moved->TxSendMessage(EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&end), nullptr);
    Type(L"bc");
    EXPECT_EQ(CUIString(L"abc"), moved->GetText());
    ::PostMessageW(first, WM_CHAR, L'x', 1);
    Settle();
    EXPECT_EQ(CUIString(L"abc"), moved->GetText());
    ::DestroyWindow(first);
}

// A box the application takes out and puts back still takes typing (moved into another window: above).
TEST_F(RichEditWindowTest, ABoxTakenOutAndPutBackStillTakesTyping)
{
    Show();
    root->SetAutoDestroy(false);
    ASSERT_TRUE(root->Remove(edit));
    ASSERT_TRUE(root->Add(edit));
    // Back in the window's keeping: the window deletes the box with itself.
    root->SetAutoDestroy(true);
    Repaint();
    edit->SetFocus();
    ASSERT_EQ(edit, host.manager.GetFocus());
    Type(L"ab");
    EXPECT_EQ(CUIString(L"ab"), edit->GetText()) << "the box put back into its window takes no typing";
}

TEST_F(RichEditWindowTest, InputMethodCharactersAndCompositionReachTheEngine)
{
    Show();
    edit->SetFocus();
    Post(WM_IME_STARTCOMPOSITION, 0);
    Post(WM_IME_COMPOSITION, 0, GCS_COMPSTR);
    Post(WM_IME_CHAR, L'安');
    Post(WM_IME_CHAR, L'装');
    Post(WM_IME_ENDCOMPOSITION, 0);
    Settle();
    EXPECT_STREQ(L"安装", edit->GetText().GetData());
}

// Closes the popup menu once it shows and remembers that it did.
struct MenuWatch {
    static inline bool seen = false;
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD)
    {
        if (!::FindWindowW(L"#32768", nullptr)) return;
        seen = true;
        ::EndMenu();
    }
};

TEST_F(RichEditWindowTest, ContextMenuOpensOnlyOverTheBox)
{
    edit->SetFixedHeight(50);
    root->Add(new CControlUI());
    Show();
    MenuWatch::seen = false;
    const UINT_PTR timer = ::SetTimer(nullptr, 0, 50, &MenuWatch::Tick);
    POINT below = {20, 120};
    ::ClientToScreen(host, &below);
    ::SendMessageW(host, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(HWND(host)), MAKELPARAM(below.x, below.y));
    EXPECT_FALSE(MenuWatch::seen);
    POINT inside = {20, 20};
    ::ClientToScreen(host, &inside);
    ::SendMessageW(host, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(HWND(host)), MAKELPARAM(inside.x, inside.y));
    ::KillTimer(nullptr, timer);
    EXPECT_TRUE(MenuWatch::seen);
}

// Remembers every message handed to the text engine.
class RecordingRichEdit : public CRichEditUI {
public:
    mutable std::vector<UINT> messages;
    HRESULT TxSendMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) const override
    {
        messages.push_back(msg);
        return CRichEditUI::TxSendMessage(msg, wParam, lParam, result);
    }
};

TEST_F(RichEditWindowTest, ContextMenuMessageGoesOnToTheEngineAfterTheMenu)
{
    auto* recording = new RecordingRichEdit();
    recording->SetFixedHeight(50);
    root->AddAt(recording, 0);
    edit->SetVisible(false);
    Show();
    MenuWatch::seen = false;
    const UINT_PTR timer = ::SetTimer(nullptr, 0, 50, &MenuWatch::Tick);
    POINT inside = {20, 20};
    ::ClientToScreen(host, &inside);
    ::SendMessageW(host, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(HWND(host)), MAKELPARAM(inside.x, inside.y));
    ::KillTimer(nullptr, timer);
    EXPECT_TRUE(MenuWatch::seen);
    EXPECT_NE(recording->messages.end(),
              std::find(recording->messages.begin(), recording->messages.end(), UINT(WM_CONTEXTMENU)));
}

TEST_F(RichEditWindowTest, ReadOnlyBoxRefusesTypingAlsoWhenSwitchedLater)
{
    edit->SetAttribute(L"readonly", L"true");
    edit->SetText(L"fixed");
    Show();
    edit->SetFocus();
    Type(L"xyz");
    EXPECT_EQ(CUIString(L"fixed"), edit->GetText());
    edit->SetAttribute(L"readonly", L"false");
    Type(L"!");
    EXPECT_NE(CUIString(L"fixed"), edit->GetText());
    edit->SetAttribute(L"readonly", L"true");
    const CUIString text = edit->GetText();
    Type(L"more");
    EXPECT_EQ(text, edit->GetText());
}

TEST_F(RichEditWindowTest, MaxCharLimitsTypingAndZeroKeepsTheDefault)
{
    edit->SetAttribute(L"maxchar", L"5");
    Show();
    edit->SetFocus();
    Type(L"abcdefgh");
    LRESULT limit = 0;
    edit->TxSendMessage(EM_GETLIMITTEXT, 0, 0, &limit);
    EXPECT_EQ(5, limit);
    EXPECT_STREQ(L"abcde", edit->GetText().GetData());
    edit->SetAttribute(L"maxchar", L"0");
    EXPECT_EQ(32767, edit->GetLimitText());
    edit->TxSendMessage(EM_GETLIMITTEXT, 0, 0, &limit);
    EXPECT_EQ(32767, limit);
    Type(L"fg");
    EXPECT_STREQ(L"abcdefg", edit->GetText().GetData());
}

TEST_F(RichEditWindowTest, ReturnFollowsWantReturnAndWantCtrlReturn)
{
    edit->SetAttribute(L"wantreturn", L"false");
    Show();
    edit->SetFocus();
    Type(L"a");
    PressKey(VK_RETURN);
    EXPECT_EQ(1, notes.Count(L"return", edit));
    EXPECT_EQ(CUIString(L"a"), edit->GetText());

    edit->SetAttribute(L"wantreturn", L"true");
    edit->SetAttribute(L"wantctrlreturn", L"false");
    HoldControl(true);
    PressKey(VK_RETURN);
    HoldControl(false);
    EXPECT_EQ(2, notes.Count(L"return", edit));
    EXPECT_EQ(CUIString(L"a"), edit->GetText());

    PressKey(VK_RETURN);
    EXPECT_EQ(2, notes.Count(L"return", edit));
    EXPECT_EQ(CUIString(L"a\r"), edit->GetText());
}

TEST_F(RichEditWindowTest, TabStaysInABoxThatWantsIt)
{
    auto* other = AddEdit();
    edit->SetText(L"x");
    Show();
    edit->SetFocus();
    PressKey(VK_TAB);
    EXPECT_EQ(edit, host.manager.GetFocus());
    edit->SetAttribute(L"wanttab", L"false");
    PressKey(VK_TAB);
    EXPECT_EQ(other, host.manager.GetFocus());
}

TEST_F(RichEditWindowTest, TextIsPaintedInTheFrameworksBitmapInItsColour)
{
    edit->SetAttribute(L"textcolor", L"#FFFF0000");
    edit->SetAttribute(L"textpadding", L"10,10,10,10");
    Show();
    const RECT area = edit->GetPos();
    EXPECT_EQ(0, CountPixels(area, IsRed));
    edit->SetText(L"WWWW MMMM");
    Repaint();
    EXPECT_GT(CountPixels(area, IsRed), 20);
    edit->SetAttribute(L"textcolor", L"#FF0000FF");
    Repaint();
    EXPECT_EQ(0, CountPixels(area, IsRed));
    EXPECT_GT(CountPixels(area, [](DWORD rgb) { return (rgb & 0xFF) > 0xA0 && (rgb >> 16 & 0xFF) < 0x60; }), 20);
    // Nothing is drawn into the padding.
    EXPECT_EQ(0, CountPixels(RECT{area.left, area.top, area.right, area.top + 9}, IsNotWhite));
    EXPECT_EQ(0, CountPixels(RECT{area.left, area.top, area.left + 9, area.bottom}, IsNotWhite));
}

TEST_F(RichEditWindowTest, TipShowsOnlyWhileEmptyAndUnfocused)
{
    edit->SetAttribute(L"tipvalue", L"请输入");
    edit->SetAttribute(L"tipvaluecolor", L"#FFFF0000");
    Show();
    const RECT area = edit->GetPos();
    EXPECT_GT(CountPixels(area, IsRed), 10);
    edit->SetFocus();
    Repaint();
    EXPECT_EQ(0, CountPixels(area, IsRed));
    host.manager.SetFocus(nullptr);
    edit->SetText(L"x");
    Repaint();
    EXPECT_EQ(0, CountPixels(area, IsRed));
}

TEST_F(RichEditWindowTest, PasswordShowsTheMaskCharacter)
{
    edit->SetFixedHeight(40);
    edit->SetAttribute(L"password", L"true");
    edit->SetAttribute(L"rich", L"false");
    edit->SetText(L"abc");
    auto* plain = AddEdit(40);
    plain->SetAttribute(L"rich", L"false");
    plain->SetText(L"***");
    Show();
    EXPECT_EQ(CUIString(L"abc"), edit->GetText());
    int differences = 0;
    int drawn = 0;
    for (int y = 0; y < 40; ++y) {
        for (int x = 0; x < 300; ++x) {
            differences += PixelAt(x, y) != PixelAt(x, y + 40) ? 1 : 0;
            drawn += IsDark(PixelAt(x, y)) ? 1 : 0;
        }
    }
    EXPECT_GT(drawn, 0);
    EXPECT_EQ(0, differences);
}

TEST_F(RichEditWindowTest, LongTextShowsTheFrameworksBarWhichScrollsTheText)
{
    edit->SetFixedHeight(60);
    edit->SetAttribute(L"vscrollbar", L"true");
    edit->SetAttribute(L"autovscroll", L"true");
    AddEdit();
    Show();
    ASSERT_NE(nullptr, edit->GetVerticalScrollBar());
    std::wstring text;
    for (int i = 0; i < 30; ++i) text += L"line " + std::to_wstring(i) + L"\r";
    edit->SetText(text.c_str());
    Repaint();
    CScrollBarUI* bar = edit->GetVerticalScrollBar();
    ASSERT_TRUE(bar->IsVisible());
    EXPECT_GT(bar->GetScrollRange(), 100);
    const auto firstLine = [&] {
        LRESULT line = 0;
        edit->TxSendMessage(EM_GETFIRSTVISIBLELINE, 0, 0, &line);
        return line;
    };
    edit->HomeUp();
    EXPECT_EQ(0, firstLine());
    EXPECT_EQ(0, bar->GetScrollPos());
    edit->LineDown();
    EXPECT_EQ(1, firstLine());
    EXPECT_GT(bar->GetScrollPos(), 0);
    edit->EndDown();
    EXPECT_GT(firstLine(), 20);
    EXPECT_EQ(bar->GetScrollRange(), bar->GetScrollPos());
    // Moving the framework's bar moves the text.
    edit->SetScrollPos(SIZE{0, 0});
    EXPECT_EQ(0, firstLine());
    EXPECT_EQ(0, bar->GetScrollPos());
    edit->SetScrollPos(SIZE{0, bar->GetScrollRange() / 2});
    EXPECT_GT(firstLine(), 5);
    // The bar sits right of the text in the item.
    EXPECT_EQ(edit->GetPos().right, bar->GetPos().right);
    // The wheel scrolls the box under the mouse through the framework.
    edit->HomeUp();
    ::SendMessageW(host, WM_MOUSEWHEEL, MAKEWPARAM(0, -WHEEL_DELTA), MAKELPARAM(10, 10));
    EXPECT_GT(firstLine(), 0);
}

TEST_F(RichEditWindowTest, ArrowOfTheFrameworksBarScrollsTheText)
{
    edit->SetFixedHeight(60);
    edit->SetAttribute(L"vscrollbar", L"true");
    AddEdit();
    Show();
    std::wstring text;
    for (int i = 0; i < 30; ++i) text += L"row " + std::to_wstring(i) + L"\r";
    edit->SetText(text.c_str());
    Repaint();
    CScrollBarUI* bar = edit->GetVerticalScrollBar();
    ASSERT_TRUE(bar->IsVisible());
    const RECT arrow = bar->GetButton2Rect();
    const LPARAM at = MAKELPARAM((arrow.left + arrow.right) / 2, (arrow.top + arrow.bottom) / 2);
    ::SendMessageW(host, WM_LBUTTONDOWN, MK_LBUTTON, at);
    ::SendMessageW(host, WM_LBUTTONUP, 0, at);
    LRESULT line = 0;
    edit->TxSendMessage(EM_GETFIRSTVISIBLELINE, 0, 0, &line);
    EXPECT_GT(line, 0);
    EXPECT_GT(bar->GetScrollPos(), 0);
}

TEST_F(RichEditWindowTest, ClickInTheTextFocusesTheBoxAndPlacesTheCaret)
{
    auto* other = AddEdit();
    edit->SetFixedHeight(40);
    edit->SetText(L"abcdefghij");
    Show();
    other->SetFocus();
    const RECT area = edit->GetPos();
    const LPARAM at = MAKELPARAM(area.left + 1, area.top + 5);
    Press(at);
    ::SendMessageW(host, WM_LBUTTONUP, 0, at);
    EXPECT_EQ(edit, host.manager.GetFocus());
    EXPECT_EQ(0, Selection().cpMin);
    EXPECT_EQ(0, Selection().cpMax);
    Type(L"_");
    EXPECT_STREQ(L"_abcdefghij", edit->GetText().GetData());
}

// Takes the box away from the handler that runs it.
struct BoxTaker {
    CContainerUI* root;
    CRichEditUI** box;
    void Take()
    {
        root->Remove(*box);
        *box = nullptr;
    }
    bool OnOldFocusEvent(void* param)
    {
        if (static_cast<ControlEvent*>(param)->Type == EVT_KILLFOCUS && *box) Take();
        return true;
    }
};

// A click on the box first takes the keyboard focus back to the window, then the focus from another
// box: the box gone meanwhile, by a native window's or the old focus's handler, takes neither.
TEST_F(RichEditWindowTest, ABoxTakenAwayWhileItsClickTakesTheFocus)
{
    for (const bool byNativeWindow : {true, false}) {
        SCOPED_TRACE(byNativeWindow ? "taken by a native window losing the keyboard focus"
                                    : "taken by the old focus losing the focus");
        if (!edit) edit = AddEdit();
        edit->SetFixedHeight(40);
        CRichEditUI* other = AddEdit();
        Show();
        other->SetFocus();
        BoxTaker taker{root, &edit};
        auto child = std::make_unique<FocusLossChild>(host, [&taker, byNativeWindow] {
            if (byNativeWindow) taker.Take();
        });
        ASSERT_TRUE(child->HasFocus());
        if (!byNativeWindow) other->OnEvent += MakeDelegate(&taker, &BoxTaker::OnOldFocusEvent);
        const RECT area = edit->GetPos();
        const LPARAM at = MAKELPARAM(area.left + 1, area.top + 5);
        root->SetDelayedDestroy(false);
        Press(at);
        ::SendMessageW(host, WM_LBUTTONUP, 0, at);
        child.reset();
        EXPECT_EQ(nullptr, edit);
        EXPECT_EQ(1, root->GetCount());
        EXPECT_EQ(host.GetHWND(), ::GetFocus());
        root->RemoveAll();
    }
}

TEST_F(RichEditWindowTest, ASelectionDragTheWindowWillNotSeeReleasedEndsWhereItWas)
{
    // One box a way of ending, so that no press follows another in the same box.
    const struct {
        UINT message;
        CRichEditUI* box;
    } endings[] = {{WM_CLOSE, edit}, {WM_KILLFOCUS, AddEdit(40)}, {WM_CAPTURECHANGED, AddEdit(40)}};
    edit->SetFixedHeight(40);
    for (const auto& ending : endings) ending.box->SetText(L"abcdefghij");
    Show();
    for (const auto& ending : endings) {
        const RECT area = ending.box->GetPos();
        const LPARAM start = MAKELPARAM(area.left + 1, area.top + 5), end = MAKELPARAM(area.right - 2, area.top + 5);
        Press(start);
        ASSERT_TRUE(host.manager.IsCaptured()) << ending.message;
        LRESULT result = 0;
        host.manager.MessageHandler(ending.message, 0, 0, result);  // the window itself stays
        ::SendMessageW(host, WM_MOUSEMOVE, 0, end);
        ::SendMessageW(host, WM_LBUTTONUP, 0, end);
        CHARRANGE range = {};
        ending.box->TxSendMessage(EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&range), nullptr);
        EXPECT_EQ(0, range.cpMin) << ending.message;
        EXPECT_EQ(0, range.cpMax) << ending.message << ": no selection without the button";
        EXPECT_FALSE(host.manager.IsCaptured()) << ending.message;
    }
    // A drag the window sees released selects as ever.
    const RECT area = edit->GetPos();
    Press(MAKELPARAM(area.right - 2, area.top + 5));
    ::SendMessageW(host, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(area.left + 1, area.top + 5));
    ::SendMessageW(host, WM_LBUTTONUP, 0, MAKELPARAM(area.left + 1, area.top + 5));
    CHARRANGE range = {};
    edit->TxSendMessage(EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&range), nullptr);
    EXPECT_EQ(0, range.cpMin);
    EXPECT_EQ(10, range.cpMax);
    EXPECT_FALSE(host.manager.IsCaptured());
}

TEST_F(RichEditWindowTest, LargerScaleGivesLargerText)
{
    edit->SetAttribute(L"textcolor", L"#FFFF0000");
    edit->SetText(L"WWW");
    Show();
    const auto redRows = [&] {
        int rows = 0;
        for (int y = 0; y < 200; ++y) {
            bool red = false;
            for (int x = 0; x < 300 && !red; ++x) red = IsRed(PixelAt(x, y));
            rows += red ? 1 : 0;
        }
        return rows;
    };
    const int before = redRows();
    ASSERT_GT(before, 0);
    host.manager.SetDPI(192);
    Repaint();
    EXPECT_GT(redRows(), before * 3 / 2);
}

TEST_F(RichEditWindowTest, ADpiChangeHandsTheEngineTheNewFontAtOnce)
{
    // The fonts are shared by the process: start from 100 % whatever ran before.
    host.manager.SetDPI(96);
    Show();
    const auto engineFontHeight = [this] {
        CHARFORMAT2W format = {};
        format.cbSize = sizeof(format);
        format.dwMask = CFM_SIZE;
        edit->TxSendMessage(EM_GETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&format), nullptr);
        return format.yHeight;
    };
    const LONG before = engineFontHeight();
    ASSERT_GT(before, 0);
    // No paint in between: the new size must not wait for one.
    host.manager.SetDPI(192);
    EXPECT_NEAR(before * 2, engineFontHeight(), 30);
}

TEST_F(RichEditWindowTest, LayeredWindowDrawsTheCaretItself)
{
    host.manager.SetLayered(true);
    edit->SetText(L"abc");
    Show();
    edit->SetFocus();
    CHARRANGE start = {0, 0};
    edit->TxSendMessage(EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&start), nullptr);
    Repaint();
    const RECT area = edit->GetPos();
    // The caret at the start of the text: a dark column at the left edge, before any glyph.
    int dark = 0;
    for (int y = area.top; y < area.top + 10; ++y) dark += IsDark(PixelAt(area.left, y)) ? 1 : 0;
    EXPECT_GT(dark, 5);
    host.manager.SetFocus(nullptr);
    Repaint();
    dark = 0;
    for (int y = area.top; y < area.top + 10; ++y) dark += IsDark(PixelAt(area.left, y)) ? 1 : 0;
    EXPECT_EQ(0, dark);
}

TEST_F(RichEditWindowTest, DeletingTheBoxReleasesTheEngine)
{
    Show();
    edit->SetFocus();
    ITextServices* services = edit->GetTextServices();
    ASSERT_NE(nullptr, services);
    services->AddRef();
    root->SetDelayedDestroy(false);
    root->Remove(edit);
    EXPECT_EQ(0u, services->Release());
    // Its filter is gone: typing reaches nothing that was deleted.
    Type(L"abc");
}

TEST_F(RichEditWindowTest, DisabledBoxTakesNoTextAndNoFocus)
{
    Show();
    edit->SetEnabled(false);
    EXPECT_EQ(0u, edit->GetControlFlags());
    host.manager.SetFocus(edit);
    Type(L"abc");
    EXPECT_TRUE(edit->GetText().IsEmpty());
}

TEST_F(RichEditWindowTest, BoxDisabledFromTheStartShowsItsTextInTheDisabledColour)
{
    edit->SetAttribute(L"textcolor", L"#FFFF0000");
    edit->SetText(L"WWWW");
    edit->SetEnabled(false);
    Show();
    const RECT area = edit->GetPos();
    EXPECT_EQ(0, CountPixels(area, IsRed));
    EXPECT_GT(CountPixels(area, [](DWORD rgb) { return rgb == 0xA7A6AA; }), 5);
}

class RichEditFactoryTest : public WindowTest {
protected:
    void TearDown() override
    {
        if (::IsWindow(host)) ::DestroyWindow(host);
    }
    HostWindow host;
};

TEST_F(RichEditFactoryTest, SkinNamesTheBoxWithItsAttributes)
{
    RegisterRichEditControls(*CControlFactory::GetInstance());
    ASSERT_NE(nullptr, host.Create(nullptr, L"skin", WS_POPUP, 0, 0, 0, 200, 100));
    CDialogBuilder builder;
    CControlUI* root = builder.Create(
        L"<Window><VerticalLayout><RichEdit name=\"notes\" text=\"初始\" maxchar=\"8\" readonly=\"true\" "
        L"wanttab=\"false\" multiline=\"false\" tipvalue=\"tip\" textpadding=\"1,2,3,4\"/></VerticalLayout></Window>",
        nullptr, nullptr, &host.manager);
    ASSERT_NE(nullptr, root);
    host.manager.AttachRootControl(root);
    auto* edit = static_cast<CRichEditUI*>(host.manager.FindControl(L"notes")->GetInterface(L"RichEdit"));
    ASSERT_NE(nullptr, edit);
    EXPECT_STREQ(L"RichEdit", edit->GetClass());
    EXPECT_EQ(CUIString(L"初始"), edit->GetText());
    EXPECT_EQ(8, edit->GetLimitText());
    EXPECT_TRUE(edit->IsReadOnly());
    EXPECT_FALSE(edit->IsWantTab());
    EXPECT_EQ(0u, edit->GetHostStyle() & ES_MULTILINE);
    EXPECT_NE(0u, edit->GetHostStyle() & ES_READONLY);
    EXPECT_EQ(CUIString(L"tip"), edit->GetTipValue());
    EXPECT_EQ(4, edit->GetTextPadding().bottom);
    auto* wantTab = static_cast<IWantTabUI*>(edit->GetInterface(L"WantTab"));
    ASSERT_NE(nullptr, wantTab);
    EXPECT_FALSE(wantTab->IsWantTab());
}

TEST(RichEditAttributes, StyleBitsFromTheSkin)
{
    CRichEditUI edit;
    EXPECT_EQ(static_cast<DWORD>(ES_MULTILINE), edit.GetHostStyle());
    edit.SetAttribute(L"hscrollbar", L"true");
    edit.SetAttribute(L"autohscroll", L"true");
    edit.SetAttribute(L"align", L"right");
    edit.SetAttribute(L"password", L"true");
    const DWORD style = edit.GetHostStyle();
    EXPECT_NE(0u, style & WS_HSCROLL);
    EXPECT_NE(0u, style & ES_DISABLENOSCROLL);
    EXPECT_NE(0u, style & ES_AUTOHSCROLL);
    EXPECT_NE(0u, style & ES_RIGHT);
    EXPECT_NE(0u, style & ES_PASSWORD);
    EXPECT_NE(nullptr, edit.GetHorizontalScrollBar());
    edit.SetAttribute(L"align", L"left");
    EXPECT_EQ(0u, edit.GetHostStyle() & (ES_RIGHT | ES_CENTER));
    edit.SetAttribute(L"textcolor", L"  #FF102030");
    EXPECT_EQ(0xFF102030u, edit.GetTextColor());
    edit.SetText(L"kept");
    EXPECT_EQ(CUIString(L"kept"), edit.GetText());
    EXPECT_FALSE(edit.HasTextServices());
    EXPECT_EQ(S_FALSE, edit.TxSendMessage(WM_CHAR, L'a', 0, nullptr));
}

}  // namespace
