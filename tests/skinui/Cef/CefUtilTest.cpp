// Pixel conversions, engine event flags from the thread's real keyboard state, and the window
// user-data store.
#include <gtest/gtest.h>

#include "CefTestSupport.h"
#include "Internal/Cef/CefUtil.h"

using namespace SkinUI;

namespace {

TEST(CefUtil, PixelConversionsRoundDown) {
    EXPECT_EQ(DeviceToLogical(150, 1.5f), 100);
    EXPECT_EQ(DeviceToLogical(151, 1.5f), 100);
    EXPECT_EQ(DeviceToLogical(-1, 1.25f), -1);
    EXPECT_EQ(LogicalToDevice(101, 1.25f), 126);
    EXPECT_EQ(LogicalToDevice(3, 0.0f), 3) << "an unknown scale counts as 100 %";
    EXPECT_EQ(DeviceToLogical(3, 0.0f), 3);

    EXPECT_EQ(LogicalToDevice(CefRect{10, 21, 33, 7}, 1.5f), (CefRect{15, 31, 49, 10}));
    const CefMouseEvent logical = DeviceToLogical(CefMouseEvent{300, 77, EVENTFLAG_SHIFT_DOWN}, 2.0f);
    EXPECT_EQ(logical.x, 150);
    EXPECT_EQ(logical.y, 38);
    EXPECT_EQ(logical.modifiers, uint32_t{EVENTFLAG_SHIFT_DOWN});
}

class KeyboardState : public ::testing::Test {
protected:
    void SetUp() override { ::GetKeyboardState(m_saved); }
    void TearDown() override { ::SetKeyboardState(m_saved); }

    static void Press(std::initializer_list<int> down, std::initializer_list<int> toggled = {}) {
        BYTE keys[256] = {};
        for (int key : down) keys[key] = 0x80;
        for (int key : toggled) keys[key] |= 0x01;
        ASSERT_TRUE(::SetKeyboardState(keys));
    }

private:
    BYTE m_saved[256] = {};
};

TEST_F(KeyboardState, KeyboardModifiersFollowTheKeyState) {
    Press({});
    EXPECT_EQ(GetCefKeyboardModifiers('A', 0), 0u);

    Press({VK_SHIFT, VK_LSHIFT, VK_CONTROL, VK_RCONTROL, VK_MENU}, {VK_NUMLOCK, VK_CAPITAL});
    EXPECT_TRUE(IsKeyDown(VK_SHIFT));
    EXPECT_EQ(GetCefKeyboardModifiers('A', 0), uint32_t{EVENTFLAG_SHIFT_DOWN | EVENTFLAG_CONTROL_DOWN |
                                                        EVENTFLAG_ALT_DOWN | EVENTFLAG_NUM_LOCK_ON |
                                                        EVENTFLAG_CAPS_LOCK_ON});
    const uint32_t held = GetCefKeyboardModifiers('A', 0);
    EXPECT_EQ(GetCefKeyboardModifiers(VK_SHIFT, 0), held | EVENTFLAG_IS_LEFT);
    EXPECT_EQ(GetCefKeyboardModifiers(VK_CONTROL, 0), held | EVENTFLAG_IS_RIGHT);
    EXPECT_EQ(GetCefKeyboardModifiers(VK_MENU, 0), held) << "neither Alt key is down on its own";
}

TEST_F(KeyboardState, KeyPadAndSideFlagsDependOnTheKey) {
    Press({});
    const LPARAM extended = 1 << 24;
    EXPECT_EQ(GetCefKeyboardModifiers(VK_NUMPAD7, 0), uint32_t{EVENTFLAG_IS_KEY_PAD});
    EXPECT_EQ(GetCefKeyboardModifiers(VK_CLEAR, 0), uint32_t{EVENTFLAG_IS_KEY_PAD});
    EXPECT_EQ(GetCefKeyboardModifiers(VK_RETURN, extended), uint32_t{EVENTFLAG_IS_KEY_PAD});
    EXPECT_EQ(GetCefKeyboardModifiers(VK_RETURN, 0), 0u);
    EXPECT_EQ(GetCefKeyboardModifiers(VK_HOME, 0), uint32_t{EVENTFLAG_IS_KEY_PAD});
    EXPECT_EQ(GetCefKeyboardModifiers(VK_HOME, extended), 0u);
    EXPECT_EQ(GetCefKeyboardModifiers(VK_LWIN, 0), uint32_t{EVENTFLAG_IS_LEFT});
    EXPECT_EQ(GetCefKeyboardModifiers(VK_RWIN, 0), uint32_t{EVENTFLAG_IS_RIGHT});
}

TEST_F(KeyboardState, MouseModifiersFollowTheButtonsAndLocks) {
    Press({VK_MENU}, {VK_CAPITAL});
    EXPECT_EQ(GetCefMouseModifiers(MK_LBUTTON | MK_RBUTTON | MK_SHIFT),
              uint32_t{EVENTFLAG_LEFT_MOUSE_BUTTON | EVENTFLAG_RIGHT_MOUSE_BUTTON | EVENTFLAG_SHIFT_DOWN |
                       EVENTFLAG_ALT_DOWN | EVENTFLAG_CAPS_LOCK_ON});
    Press({});
    EXPECT_EQ(GetCefMouseModifiers(MK_MBUTTON | MK_CONTROL),
              uint32_t{EVENTFLAG_MIDDLE_MOUSE_BUTTON | EVENTFLAG_CONTROL_DOWN});
}

TEST(CefUtil, UserDataPointerIsStoredInTheWindow) {
    CefTest::TestWindow window(false);
    int worker = 0;
    SetUserDataPtr(window.Handle(), &worker);
    EXPECT_EQ(reinterpret_cast<int*>(::GetWindowLongPtrW(window.Handle(), GWLP_USERDATA)), &worker);
    SetUserDataPtr(window.Handle(), nullptr);
    EXPECT_EQ(::GetWindowLongPtrW(window.Handle(), GWLP_USERDATA), 0);
}

TEST(CefUtilDeathTest, UserDataOfAMissingWindowEndsTheProcess) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_DEATH(SetUserDataPtr(reinterpret_cast<HWND>(0x7FFF0), nullptr),
                 "Check failed: result != 0 \\|\\| GetLastError\\(\\) == ERROR_SUCCESS");
}

}  // namespace
