#include "Control/ListsRegistration.h"
#include "Control/UIComboBox.h"
#include "Control/UIListElement.h"
#include "Core/ControlFactory.h"
#include "Core/DialogBuilder.h"
#include "Core/WindowUIManager.h"
#include "../Core/SkinTestData.h"
#include "../Core/TestWindows.h"

#include <gtest/gtest.h>

#include <string>

using namespace SkinUI;
using namespace SkinUI::Testing;

namespace {

class ComboBoxTest : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        RegisterListsControls(*CControlFactory::GetInstance());
        ASSERT_NE(nullptr, host.CreateTopLevel(nullptr, 400, 300)) << "no display";
        host.manager.AddNotifier(&notes);
    }
    void TearDown() override
    {
        host.manager.RemoveNotifier(&notes);
        if (host.GetHWND()) ::DestroyWindow(host.GetHWND());
        CWindowUIManager::Term();
    }

    CComboBoxUI* Build(int entries, const wchar_t* comboAttributes = L"")
    {
        std::wstring items;
        for (int i = 0; i < entries; ++i)
            items += L"<ListLabelElement text=\"entry" + std::to_wstring(i) + L"\" height=\"24\"/>";
        return BuildWithItems(items, comboAttributes);
    }
    CComboBoxUI* BuildWithItems(const std::wstring& items, const wchar_t* comboAttributes = L"")
    {
        std::wstring xml = L"<Window><VerticalLayout><ComboBox name=\"combo\" width=\"120\" height=\"24\" ";
        xml += comboAttributes;
        xml += L">" + items + L"</ComboBox><Control/></VerticalLayout></Window>";
        CDialogBuilder builder;
        CControlUI* root = builder.Create(xml.c_str(), nullptr, nullptr, &host.manager);
        if (!root) return nullptr;
        host.manager.AttachRootControl(root);
        root->SetPos(RECT{0, 0, 400, 300});
        return static_cast<CComboBoxUI*>(host.manager.FindControl(L"combo"));
    }
    static RECT DropRect(CComboBoxUI* combo)
    {
        RECT rc = {};
        ::GetWindowRect(combo->GetDropWindow()->GetHWND(), &rc);
        return rc;
    }
    static void Send(CComboBoxUI* combo, int type)
    {
        ControlEvent event;
        event.Type = type;
        event.ptMouse = POINT{10, 10};
        combo->HandleEvent(event);
    }
    static void Click(CComboBoxUI* combo)
    {
        Send(combo, EVT_BUTTONDOWN);
        Send(combo, EVT_BUTTONUP);
    }
    static bool DropShown(CComboBoxUI* combo)
    {
        return combo->GetDropWindow() && ::IsWindowVisible(combo->GetDropWindow()->GetHWND());
    }
    int Count(const wchar_t* type) const
    {
        int count = 0;
        for (const auto& msg : notes.seen) count += msg.sType == type;
        return count;
    }

    HostWindow host;
    NotifyRecorder notes;
};

TEST_F(ComboBoxTest, EntriesGoToTheDropListAndTheWindowFitsThem)
{
    CComboBoxUI* combo = Build(4);
    ASSERT_NE(nullptr, combo);
    ASSERT_NE(nullptr, combo->GetDropWindow());
    ASSERT_NE(nullptr, combo->GetDropWindow()->GetHWND());
    EXPECT_EQ(4, combo->GetCount());
    combo->GetList()->GetItemAt(3)->SetVisible(false);  // takes no room in the drop list
    EXPECT_FALSE(DropShown(combo));
    ASSERT_TRUE(combo->Activate());
    ASSERT_TRUE(DropShown(combo));
    const RECT drop = DropRect(combo);
    EXPECT_EQ(74, drop.bottom - drop.top);
    EXPECT_EQ(120, drop.right - drop.left);
    POINT below = {combo->GetPos().left, combo->GetPos().bottom};
    ::ClientToScreen(host.GetHWND(), &below);
    EXPECT_EQ(below.x, drop.left);
    EXPECT_EQ(below.y, drop.top);
    EXPECT_EQ(1, Count(L"predropdown"));
    EXPECT_EQ(1, Count(L"dropdown"));
}

TEST_F(ComboBoxTest, ManyEntriesStopAtTheDropBoxHeight)
{
    CComboBoxUI* combo = Build(30, L"dropboxsize=\"200,150\"");
    combo->Activate();
    const RECT drop = DropRect(combo);
    EXPECT_EQ(150, drop.bottom - drop.top);
    EXPECT_EQ(200, drop.right - drop.left);
}

TEST_F(ComboBoxTest, ClickingAnEntryClosesTheListAndSelectsIt)
{
    CComboBoxUI* combo = Build(3);
    combo->Activate();
    HWND drop = combo->GetDropWindow()->GetHWND();
    const RECT entry = combo->GetList()->GetItemAt(1)->GetPos();
    const LPARAM at = MAKELPARAM((entry.left + entry.right) / 2, (entry.top + entry.bottom) / 2);
    ::PostMessageW(drop, WM_MOUSEMOVE, 0, at);
    ::PostMessageW(drop, WM_LBUTTONDOWN, MK_LBUTTON, at);
    ::PostMessageW(drop, WM_LBUTTONUP, 0, at);
    ASSERT_TRUE(PumpUntil([&] { return !DropShown(combo); }));
    EXPECT_EQ(1, combo->GetCurSel());
    EXPECT_EQ(CUIString(L"entry1"), combo->GetText());
    EXPECT_EQ(1, Count(L"itemselect"));
    // A plain entry reports "itemclick" in the drop window only; the combo's window hears the selection.
    EXPECT_EQ(0, Count(L"itemclick"));
}

TEST_F(ComboBoxTest, F4OpensAndEscapeClosesWithoutChangingTheSelection)
{
    CComboBoxUI* combo = Build(3);
    ASSERT_TRUE(combo->SelectItem(2));
    ControlEvent f4;
    f4.Type = EVT_KEYDOWN;
    f4.chKey = VK_F4;
    combo->HandleEvent(f4);
    ASSERT_TRUE(DropShown(combo));
    ::PostMessageW(combo->GetDropWindow()->GetHWND(), WM_KEYDOWN, VK_ESCAPE, 0);
    ASSERT_TRUE(PumpUntil([&] { return !DropShown(combo); }));
    EXPECT_EQ(2, combo->GetCurSel());
    EXPECT_EQ(CUIString(L"entry2"), combo->GetText());
}

TEST_F(ComboBoxTest, ThePressedLookEndsWhenTheListCloses)
{
    CComboBoxUI* combo = Build(3);
    Click(combo);
    ASSERT_TRUE(DropShown(combo));
    EXPECT_EQ(16u, combo->GetButtonState() & 16u) << "pressed while the list is open";
    ::PostMessageW(combo->GetDropWindow()->GetHWND(), WM_KEYDOWN, VK_ESCAPE, 0);
    ASSERT_TRUE(PumpUntil([&] { return !DropShown(combo); }));
    EXPECT_EQ(0u, combo->GetButtonState() & 16u);
}

TEST_F(ComboBoxTest, APressEndedByAFocusLossKeepsOnlyThePressedLookOfTheOpenList)
{
    CComboBoxUI* combo = Build(3);
    Send(combo, EVT_BUTTONDOWN);
    Send(combo, EVT_KILLFOCUS);
    EXPECT_EQ(0u, combo->GetButtonState() & 64u) << "no longer captured";
    EXPECT_EQ(DropShown(combo) ? 16u : 0u, combo->GetButtonState() & 16u);
}

TEST_F(ComboBoxTest, ClosingTheDropWindowBindsTheCombosOwnPartAgainAndFocusesIt)
{
    CComboBoxUI* combo = Build(2);
    auto* extra = new CControlUI();
    ASSERT_TRUE(combo->CContainerUI::AddAt(extra, 0));
    extra->SetManager(nullptr, nullptr, false);
    extra->SetPos(RECT{5, 5, 50, 20});
    ::SendMessageW(combo->GetDropWindow()->GetHWND(), WM_CLOSE, 0, 0);
    EXPECT_EQ(&host.manager, extra->GetManager());
    EXPECT_EQ(combo, extra->GetParent());
    EXPECT_TRUE(::IsRectEmpty(&extra->GetPos()));
    EXPECT_EQ(combo, host.manager.GetFocus());
    EXPECT_TRUE(combo->IsFocused());
    EXPECT_EQ(nullptr, combo->GetDropWindow());
}

TEST_F(ComboBoxTest, MovingOrHidingTheComboHidesAnOpenList)
{
    CComboBoxUI* combo = Build(3);
    combo->Activate();
    ASSERT_TRUE(DropShown(combo));
    combo->SetPos(RECT{10, 50, 130, 74});
    EXPECT_FALSE(DropShown(combo));
    // Hidden by itself, or with its parent as a page switched away is.
    for (CControlUI* hidden : {static_cast<CControlUI*>(combo), combo->GetParent()}) {
        ASSERT_TRUE(combo->Activate());
        ASSERT_TRUE(DropShown(combo));
        combo->SetInternalVisible(true);  // told it is shown while it is, it keeps its list
        EXPECT_TRUE(DropShown(combo));
        hidden->SetVisible(false);
        EXPECT_FALSE(DropShown(combo)) << (hidden == combo ? "hidden itself" : "hidden with its parent");
        hidden->SetVisible(true);
    }
}

TEST_F(ComboBoxTest, OnlyListEntriesAreTakenAndTheTextColourSettlesOnFirstPaint)
{
    CComboBoxUI* combo = Build(1);
    CControlUI plain;
    EXPECT_FALSE(combo->Add(&plain));
    EXPECT_EQ(1, combo->GetCount());
    EXPECT_TRUE(combo->Add(new CListLabelElementUI()));
    EXPECT_EQ(2, combo->GetCount());
    host.manager.SetDefaultFontColor(0xFF102030);
    Canvas canvas(400, 300);
    combo->Paint(canvas.dc(), canvas.Bounds(), nullptr);
    EXPECT_EQ(0xFF102030u, combo->GetTextColor());
}

TEST_F(ComboBoxTest, DestroyingTheHostWindowLeavesTheComboWithoutItsList)
{
    CComboBoxUI* combo = Build(2);
    ::DestroyWindow(combo->GetDropWindow()->GetHWND());
    EXPECT_EQ(nullptr, combo->GetDropWindow());
    EXPECT_EQ(0, combo->GetCount());
    EXPECT_TRUE(combo->Activate());
    EXPECT_EQ(1, Count(L"dropdown"));
}

// While the drop list is open the application deletes the combo, moves it into another window, removes the
// hovered entry or closes the combo's window; the user goes on with the list: nothing freed is read, the
// list goes, and a moved combo opens its list again from its new window.
TEST_F(ComboBoxTest, AnOpenListSurvivesWhatTheApplicationDoesToItsCombo)
{
    enum class Act { DeleteCombo, MoveCombo, RemoveEntry, CloseWindow };
    for (const Act act : {Act::DeleteCombo, Act::MoveCombo, Act::RemoveEntry, Act::CloseWindow}) {
        SCOPED_TRACE(static_cast<int>(act));
        if (!host.GetHWND()) {
            ASSERT_NE(nullptr, host.CreateTopLevel(nullptr, 400, 300));
        }
        CComboBoxUI* combo = Build(3);
        ASSERT_NE(nullptr, combo);
        combo->Activate();
        ASSERT_TRUE(DropShown(combo));
        HWND drop = combo->GetDropWindow()->GetHWND();
        const RECT entry = combo->GetList()->GetItemAt(1)->GetPos();
        const LPARAM at = MAKELPARAM((entry.left + entry.right) / 2, (entry.top + entry.bottom) / 2);
        ::SendMessageW(drop, WM_MOUSEMOVE, 0, at);
        ::SendMessageW(drop, WM_LBUTTONDOWN, MK_LBUTTON, at);
        auto* parent = static_cast<CContainerUI*>(combo->GetParent());
        HostWindow second;
        switch (act) {
        case Act::DeleteCombo:
            parent->SetDelayedDestroy(false);
            ASSERT_TRUE(parent->Remove(combo));
            combo = nullptr;
            break;
        case Act::MoveCombo: {
            ASSERT_NE(nullptr, second.CreateTopLevel(nullptr, 300, 200));
            auto* secondRoot = new CVerticalLayoutUI;
            ASSERT_TRUE(second.manager.AttachRootControl(secondRoot));
            parent->SetAutoDestroy(false);
            ASSERT_TRUE(parent->Remove(combo));
            ASSERT_TRUE(secondRoot->Add(combo));
            break;
        }
        case Act::RemoveEntry:
            ASSERT_TRUE(combo->RemoveAt(1));
            break;
        case Act::CloseWindow:
            ::DestroyWindow(host.GetHWND());
            combo = nullptr;
            break;
        }
        if (::IsWindow(drop)) {
            ::SendMessageW(drop, WM_LBUTTONUP, 0, at);
            ::SendMessageW(drop, WM_MOUSEMOVE, 0, MAKELPARAM(2, 2));
            ::PostMessageW(drop, WM_KEYDOWN, VK_DOWN, 0);
            ::PostMessageW(drop, WM_KEYDOWN, VK_RETURN, 0);
        }
        EXPECT_TRUE(PumpUntil([&] { return !::IsWindow(drop) || !::IsWindowVisible(drop); }))
            << "the list stayed open";
        if (act == Act::MoveCombo) {
            EXPECT_EQ(&second.manager, combo->GetManager());
            EXPECT_TRUE(combo->Activate());
            EXPECT_TRUE(DropShown(combo)) << "the moved combo opened no list";
            if (combo->GetDropWindow()) ::DestroyWindow(combo->GetDropWindow()->GetHWND());
            PumpUntil([&] { return combo->GetDropWindow() == nullptr; });
            ::DestroyWindow(second.GetHWND());
        }
        if (host.GetHWND()) ::DestroyWindow(host.GetHWND());
        PumpUntil([&] { return !::IsWindow(drop); });
    }
}

TEST_F(ComboBoxTest, AClickWithoutADropWindowLeavesNoPressedLook)
{
    CComboBoxUI* combo = Build(2);
    ::DestroyWindow(combo->GetDropWindow()->GetHWND());
    ASSERT_EQ(nullptr, combo->GetDropWindow());
    for (int click = 0; click < 2; ++click) {
        Click(combo);
        EXPECT_EQ(0u, combo->GetButtonState() & (16u | 64u)) << "click " << click;
    }
    EXPECT_EQ(2, Count(L"dropdown"));
}

TEST_F(ComboBoxTest, AButtonInsideTheDropListGetsItsClickOnce)
{
    CComboBoxUI* combo = BuildWithItems(
        L"<ListContainerElement height=\"24\"><Button name=\"inside\" text=\"B\"/></ListContainerElement>");
    ASSERT_NE(nullptr, combo);
    combo->Activate();
    ASSERT_TRUE(DropShown(combo));
    auto* row = static_cast<CContainerUI*>(combo->GetList()->GetItemAt(0)->GetInterface(L"Container"));
    ASSERT_NE(nullptr, row);
    CControlUI* button = row->GetItemAt(0);
    ClickCounter counter;
    button->OnNotify += MakeDelegate(&counter, &ClickCounter::OnNotify);
    button->Activate();
    EXPECT_EQ(1, counter.clicks);
    EXPECT_EQ(1, Count(L"click"));
}

}  // namespace
