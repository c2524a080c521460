#include "Control/LabelUI.h"
#include "Core/DialogBuilder.h"
#include "Core/WindowUIManager.h"
#include "Layout/BoxLayout.h"
#include "Layout/ContainerUI.h"
#include "SkinTestData.h"
#include "TestWindows.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

using namespace SkinUI;
using namespace SkinUI::Testing;

namespace {

class Callback : public IDialogBuilderCallback {
public:
    int asked = 0;
    CControlUI* CreateControl(const wchar_t* className) override
    {
        ++asked;
        return wcscmp(className, L"Custom") == 0 ? new CLabelUI() : nullptr;
    }
};

class DialogBuilderTest : public ::testing::Test {
protected:
    void TearDown() override { CWindowUIManager::Term(); }
    CWindowUIManager manager;
    CDialogBuilder builder;
};

TEST_F(DialogBuilderTest, BuildsTheTreeWithAttributesAfterDefaults)
{
    const wchar_t* xml =
        L"<Window><Default name=\"Label\" value=\"text=&quot;default&quot; width=&quot;5&quot;\"/>"
        L"<VerticalLayout name=\"root\"><Label name=\"a\" width=\"20\"/><Label name=\"b\"/>"
        L"<Image name=\"nested.png\"/></VerticalLayout></Window>";
    CControlUI* root = builder.Create(xml, nullptr, nullptr, &manager);
    ASSERT_NE(nullptr, root);
    auto* container = static_cast<IContainerUI*>(root->GetInterface(L"IContainer"));
    ASSERT_NE(nullptr, container);
    ASSERT_EQ(2, container->GetCount());
    CControlUI* a = container->GetItemAt(0);
    EXPECT_EQ(20, a->GetFixedWidth());
    EXPECT_EQ(CUIString(L"default"), a->GetText());
    EXPECT_EQ(5, container->GetItemAt(1)->GetFixedWidth());
    EXPECT_EQ(nullptr, root->GetManager());
    EXPECT_EQ(nullptr, manager.GetImage(L"nested.png"));
    manager.AttachRootControl(root);
    EXPECT_EQ(a, manager.FindControl(L"a"));
    EXPECT_EQ(root, a->GetParent());
}

TEST_F(DialogBuilderTest, RegistersFontsStylesAndDefaultsEvenWithoutAWindowRoot)
{
    const wchar_t* xml =
        L"<Skin dpi=\"192\"><Font id=\"1\" name=\"Arial\" size=\"14\" default=\"true\"/>"
        L"<Font name=\"Ignored\" size=\"30\"/><Font id=\"2\" name=\"Tahoma\" size=\"9\" default=\"true\"/>"
        L"<Style name=\"big\" value=\"height=&quot;40&quot;\"/><Control style=\"big\"/></Skin>";
    CControlUI* control = builder.Create(xml, nullptr, nullptr, &manager);
    ASSERT_NE(nullptr, control);
    EXPECT_EQ(40, control->GetFixedHeight());
    EXPECT_EQ(14, manager.GetFontInfo(1)->iSize);
    EXPECT_EQ(CUIString(L"Tahoma"), manager.GetDefaultFontInfo()->sFontName);
    EXPECT_EQ(100, manager.GetDpiScaler()->GetScale());
    delete control;
}

TEST_F(DialogBuilderTest, UnknownElementsAreDroppedWithTheirChildren)
{
    Callback callback;
    const wchar_t* xml =
        L"<Window><HorizontalLayout><Mystery><Label name=\"lost\"/></Mystery><Custom name=\"made\"/>"
        L"</HorizontalLayout></Window>";
    CControlUI* root = builder.Create(xml, nullptr, &callback, &manager);
    ASSERT_NE(nullptr, root);
    auto* container = static_cast<IContainerUI*>(root->GetInterface(L"IContainer"));
    ASSERT_EQ(1, container->GetCount());
    EXPECT_EQ(CUIString(L"made"), container->GetItemAt(0)->GetName());
    EXPECT_EQ(2, callback.asked);
    delete root;
}

TEST_F(DialogBuilderTest, IncludeAddsTheFileRootChildrenCountTimes)
{
    const std::wstring row = SkinDataPath("row.xml");
    const std::wstring xml = L"<Window><VerticalLayout><Include source=\"" + row +
                             L"\" count=\"3\"/><Label name=\"last\"/></VerticalLayout></Window>";
    CControlUI* root = builder.Create(xml.c_str(), nullptr, nullptr, &manager);
    ASSERT_NE(nullptr, root);
    auto* container = static_cast<IContainerUI*>(root->GetInterface(L"IContainer"));
    ASSERT_EQ(4, container->GetCount());
    const wchar_t expected[] = {0x884C, 0};
    EXPECT_EQ(CUIString(expected), container->GetItemAt(2)->GetText());
    EXPECT_EQ(CUIString(L"last"), container->GetItemAt(3)->GetName());
    delete root;
}

TEST_F(DialogBuilderTest, BrokenXmlRegistersNothing)
{
    EXPECT_EQ(nullptr, builder.Create(L"<Window><Style name=\"x\" value=\"y\"/><Label", nullptr, nullptr, &manager));
    EXPECT_EQ(nullptr, manager.GetStyle(L"x"));
    EXPECT_EQ(nullptr, builder.Create(L"missing-file.xml", nullptr, nullptr, &manager));
}

TEST_F(DialogBuilderTest, ReadsSkinFilesFromTheZip)
{
    SkinZipScope zip;
    ASSERT_TRUE(zip.loaded);
    CControlUI* root = builder.Create(L"main.xml", nullptr, nullptr, &manager);
    ASSERT_NE(nullptr, root);
    EXPECT_EQ(CUIString(L"VerticalLayout"), root->GetClass());
    manager.AttachRootControl(root);
    // Its elements were built with their text (UTF-8 in the file), its defaults and resources registered.
    CControlUI* title = manager.FindControl(L"title");
    ASSERT_NE(nullptr, title);
    EXPECT_EQ(CUIString(L"标题"), title->GetText());
    EXPECT_EQ(30, manager.FindControl(L"btnClose")->GetFixedWidth());
    EXPECT_STREQ(L"width=\"30\"", manager.GetDefaultAttributeList(L"Button"));
    ASSERT_NE(nullptr, manager.GetFontInfo(0));
    EXPECT_EQ(CUIString(L"Arial"), manager.GetFontInfo(0)->sFontName);
    EXPECT_EQ(14, manager.GetDefaultFontInfo()->iSize);
    EXPECT_NE(nullptr, manager.FindControl(L"edtPath"));
    EXPECT_NE(nullptr, manager.FindControl(L"progress"));

    EXPECT_EQ(nullptr, builder.Create(L"none.xml", nullptr, nullptr, &manager));
    EXPECT_STREQ(L"Could not find ziped file", builder.GetMarkup()->GetErrorMessage());
    // While the zip is the skin, a plain file of the same name elsewhere is not taken instead.
    const std::wstring plain = SkinDataPath("row.xml");
    EXPECT_EQ(nullptr, builder.Create(plain.c_str(), nullptr, nullptr, &manager));
}

class DialogWindowTest : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        ASSERT_NE(nullptr, host.Create(nullptr, L"skin", WS_POPUP, 0, 0, 0, 100, 100))
            << "no window: is an X display available?";
    }
    void TearDown() override
    {
        if (::IsWindow(host)) ::DestroyWindow(host);
    }
    RECT WindowRect() const
    {
        RECT rc = {};
        ::GetWindowRect(host, &rc);
        return rc;
    }
    HostWindow host;
};

TEST_F(DialogWindowTest, DpiIsReadFirstAndScalesTheSize)
{
    CDialogBuilder builder;
    CControlUI* root = builder.Create(
        L"<Window size=\"200,100\" mininfo=\"50,40\" dpi=\"144\" shadowsize=\"99\" showshadow=\"true\">"
        L"<Control/></Window>",
        nullptr, nullptr, &host.manager);
    ASSERT_NE(nullptr, root);
    const RECT rc = WindowRect();
    EXPECT_EQ(300, rc.right - rc.left);
    EXPECT_EQ(150, rc.bottom - rc.top);
    EXPECT_EQ(50, host.manager.GetMinInfo().cx);
    EXPECT_EQ(0, host.manager.GetShadow()->GetLook().size);
    EXPECT_TRUE(host.manager.GetShadow()->IsShowShadow());
    delete root;
}

// An application control whose first attribute takes `doomed` out of `from`, which deletes it.
class RemovingOnAttribute : public CControlUI {
public:
    RemovingOnAttribute(CContainerUI* from, CControlUI* doomed) : m_from(from), m_doomed(doomed) {}
    void SetAttribute(const wchar_t* name, const wchar_t* value) override
    {
        if (auto from = std::exchange(m_from, nullptr)) from->Remove(m_doomed);
        CControlUI::SetAttribute(name, value);
    }

private:
    CContainerUI* m_from;
    CControlUI* m_doomed;
};

class RemoverCallback : public IDialogBuilderCallback {
public:
    RemoverCallback(CContainerUI* from, CControlUI* doomed) : m_from(from), m_doomed(doomed) {}
    CControlUI* CreateControl(const wchar_t* className) override
    {
        return wcscmp(className, L"Remover") == 0 ? new RemovingOnAttribute(m_from, m_doomed) : nullptr;
    }

private:
    CContainerUI* m_from;
    CControlUI* m_doomed;
};

struct Deletions {
    int count = 0;
    bool Count(void*)
    {
        ++count;
        return true;
    }
};

// The application builds into a container its window shows, outside any message; a built control's
// attribute takes that container away (deleting it): the build goes on safely and the container goes after.
TEST_F(DialogWindowTest, AParentTakenAwayByABuiltControlOutlivesTheBuild)
{
    const struct {
        const char* name;
        const wchar_t* xml;
    } cases[] = {
        {"a control of the level built into it", L"<Holder><Remover width=\"5\"/><Control/></Holder>"},
        {"a control one level deeper",
         L"<Holder><VerticalLayout><Remover width=\"5\"/></VerticalLayout><Control/></Holder>"},
    };
    auto* root = new CVerticalLayoutUI();
    ASSERT_TRUE(host.manager.AttachRootControl(root));
    root->SetDelayedDestroy(false);
    for (const auto& item : cases) {
        SCOPED_TRACE(item.name);
        auto* panel = new CVerticalLayoutUI();
        ASSERT_TRUE(root->Add(panel));
        Deletions gone;
        panel->OnDestroy += MakeDelegate(&gone, &Deletions::Count);
        RemoverCallback callback(root, panel);
        CDialogBuilder builder;
        EXPECT_NE(nullptr, builder.Create(item.xml, nullptr, &callback, &host.manager, panel));
        EXPECT_EQ(-1, root->GetItemIndex(panel));
        EXPECT_TRUE(PumpUntil([&gone] { return gone.count > 0; })) << "the container taken away was never deleted";
    }
}

TEST_F(DialogWindowTest, MaxSizeTakesTheWorkAreaUnscaled)
{
    CDialogBuilder builder;
    CControlUI* root = builder.Create(L"<Window size=\"max\" dpi=\"192\"><Control/></Window>", nullptr, nullptr,
                                      &host.manager);
    ASSERT_NE(nullptr, root);
    RECT work = {};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const RECT rc = WindowRect();
    EXPECT_EQ(work.right - work.left, rc.right - rc.left);
    delete root;
}

}  // namespace
