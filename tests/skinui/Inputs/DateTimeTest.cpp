#include "Control/UIDateTime.h"
#include "Core/WindowUIManager.h"
#include "Layout/BoxLayout.h"
#include "../Core/TestWindows.h"
#include "InputsTestSupport.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <functional>
#include <iterator>

using namespace SkinUI;
using namespace SkinUI::Testing;

namespace {

CUIString DateText(const SYSTEMTIME& time)
{
    CUIString text;
    text.Format(L"%4d-%02d-%02d", time.wYear, time.wMonth, time.wDay);
    return text;
}

TEST(DateTime, ANewFieldShowsToday)
{
    SYSTEMTIME now;
    ::GetLocalTime(&now);
    CDateTimeUI field;
    EXPECT_EQ(DateText(now), field.GetText());
    EXPECT_EQ(0, field.GetUpdateMode());
    EXPECT_STREQ(L"DateTime", field.GetClass());
    field.SetUpdateMode(2);
    field.UpdateText();
    EXPECT_TRUE(field.GetText().IsEmpty());
}

class DateTimeWindowTest : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        ASSERT_NE(nullptr, host.CreateTopLevel());
        field = new CDateTimeUI();
        host.manager.AttachRootControl(field);
        field->SetPos(RECT{10, 10, 150, 34});
        SYSTEMTIME start = {};
        start.wYear = 2026;
        start.wMonth = 12;
        start.wDay = 6;
        field->SetTime(start);
        field->SetUpdateMode(1);
        field->UpdateText();
    }
    void TearDown() override
    {
        host.Close();
        PumpUntil([this] { return host.GetHWND() == nullptr; });
    }
    HostWindow host;
    CDateTimeUI* field = nullptr;
};

TEST_F(DateTimeWindowTest, FocusOpensThePickerOverTheField)
{
    field->SetFocus();
    HWND picker = field->GetPickerWindow();
    ASSERT_NE(nullptr, picker);
    wchar_t className[64] = {};
    ::GetClassNameW(picker, className, 64);
    EXPECT_STREQ(L"DateTimeWnd", className);
    EXPECT_EQ(host.GetHWND(), ::GetParent(picker));
    RECT rc;
    ::GetWindowRect(picker, &rc);
    ::MapWindowPoints(HWND_DESKTOP, host.GetHWND(), reinterpret_cast<POINT*>(&rc), 2);
    EXPECT_EQ(10, rc.left);
    EXPECT_EQ(140, rc.right - rc.left);
    SYSTEMTIME shown = {};
    EXPECT_EQ(GDT_VALID, ::SendMessageW(picker, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&shown)));
    EXPECT_EQ(2026, shown.wYear);
    EXPECT_EQ(6, shown.wDay);
}

TEST_F(DateTimeWindowTest, AChangeInThePickerIsWrittenIntoTheField)
{
    field->SetFocus();
    HWND picker = field->GetPickerWindow();
    ASSERT_NE(nullptr, picker);
    SYSTEMTIME chosen = field->GetTime();
    chosen.wDay = 24;
    ::SendMessageW(picker, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&chosen));
    NMDATETIMECHANGE change = {};
    change.nmhdr.hwndFrom = picker;
    change.nmhdr.idFrom = 0;
    change.nmhdr.code = DTN_DATETIMECHANGE;
    change.dwFlags = GDT_VALID;
    change.st = chosen;
    ::SendMessageW(host.GetHWND(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&change));
    EXPECT_EQ(CUIString(L"2026-12-24"), field->GetText());
}

TEST_F(DateTimeWindowTest, EscapeRestoresTheDateItOpenedWith)
{
    field->SetFocus();
    HWND picker = field->GetPickerWindow();
    ASSERT_NE(nullptr, picker);
    SYSTEMTIME chosen = field->GetTime();
    chosen.wMonth = 3;
    ::SendMessageW(picker, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&chosen));
    NMDATETIMECHANGE change = {};
    change.nmhdr.hwndFrom = picker;
    change.nmhdr.code = DTN_DATETIMECHANGE;
    ::SendMessageW(host.GetHWND(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&change));
    EXPECT_EQ(CUIString(L"2026-03-06"), field->GetText());
    ::SendMessageW(picker, WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_EQ(CUIString(L"2026-12-06"), field->GetText());
    EXPECT_TRUE(PumpUntil([this] { return field->GetPickerWindow() == nullptr; }));
    EXPECT_FALSE(::IsWindow(picker));
}

TEST_F(DateTimeWindowTest, LosingTheFocusClosesThePicker)
{
    field->SetFocus();
    ASSERT_NE(nullptr, field->GetPickerWindow());
    ::SetFocus(host.GetHWND());
    EXPECT_TRUE(PumpUntil([this] { return field->GetPickerWindow() == nullptr; }));
    EXPECT_EQ(CUIString(L"2026-12-06"), field->GetText());
}

TEST_F(DateTimeWindowTest, AHiddenFieldTakesItsPickerAlongAlsoWithTheDropDownOpen)
{
    ::ShowWindow(host.GetHWND(), SW_SHOWNOACTIVATE);
    // Hidden by itself, then as a parent hides it.
    const std::function<void()> hidings[] = {[this] { field->SetVisible(false); },
                                             [this] { field->SetInternalVisible(false); }};
    for (size_t i = 0; i < std::size(hidings); ++i) {
        field->SetVisible(true);
        field->SetInternalVisible(true);
        field->SetFocus();
        HWND picker = field->GetPickerWindow();
        ASSERT_NE(nullptr, picker) << i;
        ASSERT_TRUE(::IsWindowVisible(picker)) << i;
        // Told it is shown while it is, it keeps its picker.
        field->SetInternalVisible(true);
        EXPECT_TRUE(::IsWindowVisible(picker)) << i;
        // The open drop-down keeps the focus loss from closing the picker.
        NMHDR dropDown = {picker, 0, static_cast<UINT>(DTN_DROPDOWN)};
        ::SendMessageW(host.GetHWND(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&dropDown));
        hidings[i]();
        EXPECT_FALSE(::IsWindowVisible(picker)) << i;
        EXPECT_TRUE(PumpUntil([this] { return field->GetPickerWindow() == nullptr; })) << i;
    }
}

TEST_F(DateTimeWindowTest, MovingTheFieldIntoAnotherWindowClosesItsPicker)
{
    field->SetFocus();
    HWND picker = field->GetPickerWindow();
    ASSERT_NE(nullptr, picker);
    HostWindow second;
    ASSERT_NE(nullptr, second.CreateTopLevel());
    auto* secondRoot = new CVerticalLayoutUI();
    second.manager.AttachRootControl(secondRoot);
    ASSERT_TRUE(secondRoot->Add(field));
    EXPECT_FALSE(::IsWindow(picker)) << "the picker stays over the window the field left";
    EXPECT_EQ(nullptr, field->GetPickerWindow());
    field->SetFocus();
    HWND secondPicker = field->GetPickerWindow();
    ASSERT_NE(nullptr, secondPicker) << "the moved field opens no picker in its new window";
    EXPECT_EQ(second.GetHWND(), ::GetParent(secondPicker));
    ::DestroyWindow(second.GetHWND());
}

TEST_F(DateTimeWindowTest, DeletingTheFieldWithItsPickerOpenIsSafe)
{
    field->SetFocus();
    HWND picker = field->GetPickerWindow();
    ASSERT_NE(nullptr, picker);
    // The window deletes its old tree once it gets to its delayed work.
    host.manager.AttachRootControl(nullptr);
    field = nullptr;
    EXPECT_TRUE(PumpUntil([picker] { return !::IsWindow(picker); }));
}

}  // namespace
