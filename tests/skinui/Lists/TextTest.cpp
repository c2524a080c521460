#include "Control/ListsRegistration.h"
#include "Control/UIText.h"
#include "Core/ControlFactory.h"
#include "Core/DialogBuilder.h"
#include "Core/WindowUIManager.h"
#include "../Core/SkinTestData.h"
#include "../Core/TestWindows.h"

#include <gtest/gtest.h>

using namespace SkinUI;
using namespace SkinUI::Testing;

namespace {

class TextTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        RegisterListsControls(*CControlFactory::GetInstance());
        manager.AddNotifier(&notes);
    }
    void TearDown() override
    {
        manager.RemoveNotifier(&notes);
        CWindowUIManager::Term();
    }
    CTextUI* Build(const wchar_t* xml)
    {
        CDialogBuilder builder;
        CControlUI* root = builder.Create(xml, nullptr, nullptr, &manager);
        if (!root) return nullptr;
        manager.AttachRootControl(root);
        root->SetPos(RECT{0, 0, 300, 60});
        return static_cast<CTextUI*>(root->GetInterface(L"Text"));
    }
    void Paint(CControlUI* control)
    {
        control->Paint(canvas.dc(), canvas.Bounds(), nullptr);
    }
    void Release(CTextUI* text, int link)
    {
        const RECT& rc = text->GetLinkRect(link);
        ControlEvent up;
        up.Type = EVT_BUTTONUP;
        up.ptMouse = POINT{(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
        text->HandleEvent(up);
    }

    SkinZipScope zip;
    CWindowUIManager manager;
    NotifyRecorder notes;
    Canvas canvas{300, 60, 0xFFFFFFFF};
};

TEST_F(TextTest, StartsAsTopLeftWordWrappedTextWithPadding)
{
    CTextUI text;
    EXPECT_EQ(UINT(DT_WORDBREAK), text.GetTextStyle());
    EXPECT_EQ(2, text.GetTextPadding().left);
    EXPECT_EQ(0u, text.GetControlFlags());
}

TEST_F(TextTest, KeepsTheFirstEightOfTenLinksAndReportsClicksByNumber)
{
    CTextUI* text = Build(
        L"<Window><Text showhtml=\"true\" text=\"{a 0}a{/a} {a 1}b{/a} {a 2}c{/a} {a 3}d{/a} {a 4}e{/a} "
        L"{a 5}f{/a} {a 6}g{/a} {a 7}h{/a} {a 8}i{/a} {a 9}j{/a}\"/></Window>");
    ASSERT_NE(nullptr, text);
    Paint(text);
    ASSERT_EQ(8, text->GetLinkCount());
    EXPECT_EQ(CUIString(L"7"), text->GetLinkText(7));
    EXPECT_EQ(UINT(CONTROL_FLAG_SETCURSOR), text->GetControlFlags());
    Release(text, 3);
    ASSERT_EQ(1, notes.Count(L"link", text));
    EXPECT_EQ(3u, notes.seen.back().wParam);

    ControlEvent move;
    move.Type = EVT_MOUSEMOVE;
    const RECT& rc = text->GetLinkRect(5);
    move.ptMouse = POINT{rc.left + 1, rc.top + 1};
    text->HandleEvent(move);
    EXPECT_EQ(5, text->GetHoveredLink());
    ControlEvent leave;
    leave.Type = EVT_MOUSELEAVE;
    text->HandleEvent(leave);
    EXPECT_EQ(-1, text->GetHoveredLink());
}

TEST_F(TextTest, PlainTextHasNoLinksAndClearedTextForgetsThem)
{
    CTextUI* text = Build(L"<Window><Text text=\"{a x}plain{/a}\"/></Window>");
    Paint(text);
    EXPECT_EQ(0, text->GetLinkCount());
    ControlEvent up;
    up.Type = EVT_BUTTONUP;
    up.ptMouse = POINT{5, 5};
    text->HandleEvent(up);
    EXPECT_EQ(0, notes.Count(L"link", text));

    text->SetAttribute(L"showhtml", L"true");
    Paint(text);
    EXPECT_EQ(1, text->GetLinkCount());
    text->SetText(L"");
    Paint(text);
    EXPECT_EQ(0, text->GetLinkCount());
    EXPECT_EQ(0u, text->GetControlFlags());
}

}  // namespace
