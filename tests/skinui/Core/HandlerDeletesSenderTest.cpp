// An application's handler may delete the control whose notification or event it handles (a container
// without delayed destroy deletes at once). What the control would still do after the call into the
// application must not touch it: under the poisoning allocator any such read faults.
#include "Control/ButtonUI.h"
#include "Control/UIOption.h"
#include "Layout/BoxLayout.h"
#include "Layout/TabLayoutUI.h"
#include "TestWindows.h"

using namespace SkinUI;
using namespace SkinUI::Testing;

namespace {

class HandlerDeletesSenderTest : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        ASSERT_NE(nullptr, host.CreateTopLevel()) << "no window: is an X display available?";
        root = new CVerticalLayoutUI();
        root->SetDelayedDestroy(false);
        ASSERT_TRUE(host.manager.AttachRootControl(root));
        root->SetPos(RECT{0, 0, 400, 300});
        host.manager.AddNotifier(&notes);
    }
    void TearDown() override
    {
        if (::IsWindow(host)) ::DestroyWindow(host);
    }
    template <class T>
    T* AddToRoot(T* control, const wchar_t* name = nullptr)
    {
        if (name) control->SetName(name);
        root->Add(control);
        control->SetPos(RECT{10, 10, 110, 40});
        return control;
    }
    // The first notification of this type removes `doomed` from the root, which deletes it.
    void RemoveOn(const wchar_t* type, CControlUI* doomed)
    {
        notes.onNotify = [this, type, doomed](NotifyMessage& msg) {
            if (msg.sType != type || root->GetItemIndex(doomed) < 0) return;
            ASSERT_TRUE(root->Remove(doomed));
            ++removed;
        };
    }

    HostWindow host;
    CVerticalLayoutUI* root = nullptr;
    NotifyRecorder notes;
    int removed = 0;
};

// Removes its control from the root when the control's OnEvent or OnSize fires.
struct RemovingDelegate {
    CContainerUI* root;
    CControlUI* control;
    bool Remove(void*)
    {
        root->Remove(control);
        return true;
    }
};

}  // namespace

TEST_F(HandlerDeletesSenderTest, AButtonBoundToATabLeavesTheTabAloneWhenItsClickDeletesIt)
{
    auto* tabs = AddToRoot(new CTabLayoutUI(), L"pages");
    tabs->Add(new CControlUI());
    tabs->Add(new CControlUI());
    auto* button = AddToRoot(new CButtonUI());
    button->SetAttribute(L"bindtablayoutname", L"pages");
    button->SetAttribute(L"bindtabindex", L"1");
    RemoveOn(L"click", button);
    EXPECT_TRUE(button->Activate());
    EXPECT_EQ(1, removed);
    EXPECT_EQ(0, tabs->GetCurSel());
}

TEST_F(HandlerDeletesSenderTest, ATabLayoutDeletedWhileAPageTakesTheFocusStopsSelecting)
{
    auto* tabs = AddToRoot(new CTabLayoutUI(), L"pages");
    tabs->Add(new CControlUI());
    CControlUI* second = new CControlUI();
    tabs->Add(second);
    notes.onNotify = [&](NotifyMessage& msg) {
        if (msg.sType == L"setfocus" && msg.pSender == second && root->Remove(tabs)) ++removed;
    };
    auto* button = AddToRoot(new CButtonUI());
    button->SetAttribute(L"bindtablayoutname", L"pages");
    button->SetAttribute(L"bindtabindex", L"1");
    EXPECT_TRUE(button->Activate());
    EXPECT_EQ(1, removed);
    EXPECT_EQ(0, notes.Count(L"tabselect", tabs));
}

TEST_F(HandlerDeletesSenderTest, AnOptionDeletedByItsClickOrSelectionHandlerStopsThere)
{
    for (const wchar_t* type : {L"click", L"selectchanged"}) {
        removed = 0;
        auto* option = AddToRoot(new COptionUI());
        option->SetGroup(L"choices");
        RemoveOn(type, option);
        EXPECT_TRUE(option->Activate());
        EXPECT_EQ(1, removed) << CUIString(type).GetData();
    }
}

TEST_F(HandlerDeletesSenderTest, ACheckBoxDeletedByItsSelectionOrCheckHandlerStopsThere)
{
    for (const wchar_t* type : {L"selectchanged", L"checkclick"}) {
        removed = 0;
        auto* box = AddToRoot(new CCheckBoxUI());
        box->SetAttribute(L"EnableAutoCheck", L"true");
        RemoveOn(type, box);
        ControlEvent press;
        press.Type = EVT_BUTTONDOWN;
        press.ptMouse = POINT{20, 20};
        box->DispatchEvent(press);
        EXPECT_EQ(1, removed) << CUIString(type).GetData();
    }
}

TEST_F(HandlerDeletesSenderTest, AControlDeletedByItsOwnEventOrSizeHandlerStopsThere)
{
    auto* timed = AddToRoot(new CControlUI());
    RemovingDelegate onEvent{root, timed};
    timed->OnEvent += MakeDelegate(&onEvent, &RemovingDelegate::Remove);
    ControlEvent tick;
    tick.Type = EVT_TIMER;
    timed->DispatchEvent(tick);
    EXPECT_EQ(-1, root->GetItemIndex(timed));
    EXPECT_EQ(0, notes.Count(L"timer", timed));

    auto* sized = AddToRoot(new CControlUI());
    RemovingDelegate onSize{root, sized};
    sized->OnSize += MakeDelegate(&onSize, &RemovingDelegate::Remove);
    sized->SetPos(RECT{0, 0, 50, 50});
    EXPECT_EQ(-1, root->GetItemIndex(sized));
}
