#include "Control/ListsRegistration.h"
#include "Control/UIList.h"
#include "Control/UIListHeader.h"
#include "Core/ControlFactory.h"
#include "Core/DialogBuilder.h"
#include "Core/WindowUIManager.h"
#include "../Core/TestWindows.h"

#include <gtest/gtest.h>

using namespace SkinUI;
using namespace SkinUI::Testing;

namespace {

class ListHeaderWindowTest : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        RegisterListsControls(*CControlFactory::GetInstance());
        ASSERT_NE(nullptr, host.CreateTopLevel(nullptr, 300, 200)) << "no display";
        // Hidden windows keep no update region to look at.
        ::ShowWindow(host.GetHWND(), SW_SHOWNOACTIVATE);
        CDialogBuilder builder;
        CControlUI* root = builder.Create(
            L"<Window><List><ListHeader height=\"24\"><ListHeaderItem name=\"column\" text=\"Name\" width=\"80\"/>"
            L"</ListHeader></List></Window>",
            nullptr, nullptr, &host.manager);
        ASSERT_NE(nullptr, root);
        host.manager.AttachRootControl(root);
        root->SetPos(RECT{0, 0, 300, 200});
        column = host.manager.FindControl(L"column");
        ASSERT_NE(nullptr, column);
    }
    void TearDown() override
    {
        if (host.GetHWND()) ::DestroyWindow(host.GetHWND());
        CWindowUIManager::Term();
    }
    // Whether the column's area waits for a repaint after the attribute was set.
    bool RepaintsAfter(const wchar_t* name, const wchar_t* value)
    {
        ::ValidateRect(host.GetHWND(), nullptr);
        column->SetAttribute(name, value);
        RECT dirty = {};
        if (!::GetUpdateRect(host.GetHWND(), &dirty, FALSE)) return false;
        RECT overlap;
        return ::IntersectRect(&overlap, &dirty, &column->GetPos()) != FALSE;
    }

    HostWindow host;
    CControlUI* column = nullptr;
};

TEST_F(ListHeaderWindowTest, FontAndTextColourRepaintTheColumn)
{
    EXPECT_TRUE(RepaintsAfter(L"textcolor", L"#FFFF0000"));
    EXPECT_TRUE(RepaintsAfter(L"font", L"0"));
    EXPECT_FALSE(RepaintsAfter(L"sepwidth", L"2"));
}

}  // namespace
