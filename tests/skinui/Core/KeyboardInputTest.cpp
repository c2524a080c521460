// Keyboard messages of a framework window: key events reach the focused control (the key-up the one
// that saw the key go down), Alt+letter finds its control, Tab walks the tab stops and wraps.
#include "Control/LabelUI.h"
#include "TestWindows.h"

#include <utility>
#include <vector>

using namespace SkinUI;
using namespace SkinUI::Testing;

namespace {

// A tab stop that remembers its key events (type and key) and activations.
class KeyControl : public CControlUI {
public:
    std::vector<std::pair<int, wchar_t>> keys;
    int activations = 0;
    CControlUI* focusOnKeyDown = nullptr;  // where a key going down moves the focus
    UINT GetControlFlags() const override { return CONTROL_FLAG_TABSTOP; }
    void HandleEvent(ControlEvent& event) override
    {
        if (event.Type >= EVT_KEYDOWN && event.Type <= EVT_SYSKEYUP) keys.emplace_back(event.Type, event.chKey);
        if (event.Type == EVT_KEYDOWN && focusOnKeyDown) focusOnKeyDown->SetFocus();
        CControlUI::HandleEvent(event);
    }
    bool Activate() override
    {
        ++activations;
        return CControlUI::Activate();
    }
};

using Keys = std::vector<std::pair<int, wchar_t>>;

class KeyboardInputTest : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        ASSERT_NE(nullptr, host.Create(nullptr, L"keys", WS_POPUP, 0, 40, 40, 200, 100))
            << "no window: is an X display available?";
        auto* root = new TestContainer();
        first = root->Add(new KeyControl());
        label = root->Add(new CLabelUI());
        labelled = root->Add(new KeyControl());
        last = root->Add(new KeyControl());
        label->SetShortcut(L'n');
        ASSERT_TRUE(host.manager.AttachRootControl(root));
        ::ShowWindow(host, SW_SHOWNOACTIVATE);
        ::UpdateWindow(host);  // lays the tree out, so focus moves at once
    }
    void TearDown() override
    {
        if (::IsWindow(host)) ::DestroyWindow(host);
    }
    void Send(UINT msg, WPARAM wParam) { ::SendMessageW(host, msg, wParam, 0); }
    // As the message loop hands it over before dispatching; true when the framework consumed it.
    bool PreTranslate(UINT msg, WPARAM wParam)
    {
        const MSG message = {host, msg, wParam, 0, 0, {}};
        return CWindowUIManager::PreTranslateMessage(&message);
    }

    HostWindow host;
    KeyControl* first = nullptr;
    CLabelUI* label = nullptr;
    KeyControl* labelled = nullptr;
    KeyControl* last = nullptr;
};

TEST_F(KeyboardInputTest, KeysAndCharactersGoToTheFocusedControl)
{
    host.manager.SetFocus(first);
    Send(WM_KEYDOWN, 'A');
    Send(WM_CHAR, 'a');
    Send(WM_KEYUP, 'A');
    EXPECT_EQ((Keys{{EVT_KEYDOWN, L'A'}, {EVT_CHAR, L'a'}, {EVT_KEYUP, L'A'}}), first->keys);
    EXPECT_TRUE(last->keys.empty());
}

TEST_F(KeyboardInputTest, KeyUpGoesToTheControlThatSawTheKeyGoDown)
{
    host.manager.SetFocus(first);
    Send(WM_KEYDOWN, 'B');
    host.manager.SetFocus(last);
    Send(WM_KEYUP, 'B');
    EXPECT_EQ((Keys{{EVT_KEYDOWN, L'B'}, {EVT_KEYUP, L'B'}}), first->keys);
    EXPECT_TRUE(last->keys.empty());

    Send(WM_KEYUP, 'C');  // no key down is pending: nobody gets it
    EXPECT_EQ(2u, first->keys.size());
    EXPECT_TRUE(last->keys.empty());

    // Its own handler moved the focus away: the key-up still comes back to it.
    host.manager.SetFocus(first);
    first->focusOnKeyDown = last;
    Send(WM_KEYDOWN, 'D');
    Send(WM_KEYUP, 'D');
    EXPECT_EQ(last, host.manager.GetFocus());
    EXPECT_EQ((Keys{{EVT_KEYDOWN, L'B'}, {EVT_KEYUP, L'B'}, {EVT_KEYDOWN, L'D'}, {EVT_KEYUP, L'D'}}), first->keys);
    EXPECT_TRUE(last->keys.empty()) << "the key-up went to a control that never saw the key go down";

    // Keys held together (Shift and a letter): each key-up comes, the last one too.
    first->focusOnKeyDown = nullptr;
    host.manager.SetFocus(first);
    first->keys.clear();
    Send(WM_KEYDOWN, VK_SHIFT);
    Send(WM_KEYDOWN, 'E');
    Send(WM_KEYUP, 'E');
    Send(WM_KEYUP, VK_SHIFT);
    EXPECT_EQ((Keys{{EVT_KEYDOWN, VK_SHIFT}, {EVT_KEYDOWN, L'E'}, {EVT_KEYUP, L'E'}, {EVT_KEYUP, VK_SHIFT}}),
              first->keys);
    Send(WM_KEYUP, 'E');  // its key-down has had its key-up already
    EXPECT_EQ(4u, first->keys.size());
}

TEST_F(KeyboardInputTest, AltLetterOfALabelFocusesAndActivatesTheControlAfterIt)
{
    host.manager.SetFocus(first);
    EXPECT_FALSE(PreTranslate(WM_SYSKEYDOWN, 'N'));
    EXPECT_TRUE(PreTranslate(WM_SYSCHAR, 'n'));
    EXPECT_EQ(labelled, host.manager.GetFocus());
    // The letter's key-up goes back to the control that saw it go down, not to the one focused since.
    EXPECT_FALSE(PreTranslate(WM_SYSKEYUP, 'N'));
    EXPECT_EQ((Keys{{EVT_SYSKEYDOWN, L'N'}, {EVT_SYSCHAR, L'n'}, {EVT_SYSKEYUP, L'N'}}), first->keys);
    EXPECT_TRUE(labelled->keys.empty());
    EXPECT_EQ(1, labelled->activations);
    EXPECT_EQ(0, first->activations);

    EXPECT_FALSE(PreTranslate(WM_SYSCHAR, 'q'));  // nobody's shortcut
    EXPECT_EQ(labelled, host.manager.GetFocus());
}

TEST_F(KeyboardInputTest, TabMovesForwardAndWrapsFromTheLastToTheFirst)
{
    ASSERT_GE(::GetKeyState(VK_SHIFT), 0) << "Shift is held down";
    host.manager.SetFocus(first);
    EXPECT_TRUE(PreTranslate(WM_KEYDOWN, VK_TAB));
    EXPECT_EQ(labelled, host.manager.GetFocus());  // the label is no tab stop
    EXPECT_TRUE(PreTranslate(WM_KEYDOWN, VK_TAB));
    EXPECT_EQ(last, host.manager.GetFocus());
    EXPECT_TRUE(PreTranslate(WM_KEYDOWN, VK_TAB));
    EXPECT_EQ(first, host.manager.GetFocus());
    EXPECT_FALSE(PreTranslate(WM_KEYDOWN, 'A'));  // other keys are the control's
    EXPECT_TRUE(first->keys.empty()) << "Tab is no key event of the control";
}

}  // namespace
