// Skins written carelessly or with ill intent: each fault is reported to the debugger and the skin
// builds what it sensibly can, instead of crashing, looping or leaking.
#include "../ActiveX/DebugOutputCapture.h"
#include "Control/InputsRegistration.h"
#include "Control/UIOption.h"
#include "Core/ControlFactory.h"
#include "Core/DialogBuilder.h"
#include "Core/ShadowUI.h"
#include "Core/WindowUIManager.h"
#include "Layout/ContainerUI.h"
#include "MemoryZip.h"
#include "TestWindows.h"

#include <string>
#include <vector>

using namespace SkinUI;
using namespace SkinUI::Testing;

namespace {

// Makes the element "Tracked"; flags[i] tells whether the i-th one made was deleted.
class TrackingCallback : public IDialogBuilderCallback {
public:
    int made = 0;
    bool flags[16] = {};
    CControlUI* CreateControl(const wchar_t* className) override
    {
        if (wcscmp(className, L"Tracked") != 0 || made >= 16) return nullptr;
        return new TrackedControl(&flags[made++]);
    }
};

// Makes the element "Grabby": a control that, once bound, starts a timer and takes the focus from its
// attributes; remembers where each one made lives, to ask the manager about it after it is gone.
class GrabbyControl : public CControlUI {
public:
    void SetAttribute(const wchar_t* name, const wchar_t* value) override
    {
        if (_wcsicmp(name, L"grab") == 0 && m_manager) {
            m_manager->SetTimer(this, 1, 1);
            m_manager->SetFocus(this);
        } else {
            CControlUI::SetAttribute(name, value);
        }
    }
};

class GrabbyCallback : public IDialogBuilderCallback {
public:
    std::vector<const CControlUI*> made;
    CControlUI* CreateControl(const wchar_t* className) override
    {
        if (wcscmp(className, L"Grabby") != 0) return nullptr;
        made.push_back(new GrabbyControl());
        return const_cast<CControlUI*>(made.back());
    }
};

class HostileSkinTest : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        ASSERT_TRUE(debug.IsListening());
        ASSERT_NE(nullptr, host.CreateTopLevel()) << "no window: is an X display available?";
    }
    void TearDown() override
    {
        if (::IsWindow(host)) ::DestroyWindow(host);
        CWindowUIManager::Term();
    }
    void UseZip(const std::vector<ZipEntry>& entries)
    {
        const std::string zip = MakeZip(entries);
        ASSERT_TRUE(CWindowUIManager::SetResourceZipMemory(zip.data(), zip.size()));
    }

    DebugOutputCapture debug;
    HostWindow host;
};

}  // namespace

TEST_F(HostileSkinTest, StyleNamingItselfIsReportedAndBuilds)
{
    CDialogBuilder builder;
    CControlUI* root = builder.Create(
        L"<Window><Style name=\"loop\" value=\"text=&quot;loop&quot;\"/>"
        L"<Style name=\"ping\" value=\"tooltip=&quot;pong&quot;\"/><Style name=\"pong\" value=\"width=&quot;9&quot; "
        L"tooltip=&quot;ping&quot;\"/>"
        L"<Label name=\"a\" style=\"loop\"/></Window>",
        nullptr, nullptr, &host.manager);
    ASSERT_NE(nullptr, root);
    root->SetManager(&host.manager, nullptr, false);
    root->SetAttribute(L"tooltip", L"ping");
    EXPECT_EQ(9, root->GetFixedWidth()) << "the styles before the loop apply";
    EXPECT_TRUE(debug.WaitForLineWith("SkinUI: Warning: Style \"loop\" names itself."));
    EXPECT_TRUE(debug.WaitForLineWith("SkinUI: Warning: Style \"ping\" names itself."));
    delete root;
}

TEST_F(HostileSkinTest, StylesExpandingWithoutEndStop)
{
    // Each style names the next twice: 2^40 expansions if nothing stopped them.
    std::wstring xml = L"<Window>";
    for (int level = 0; level < 40; ++level) {
        const std::wstring next = L"s" + std::to_wstring(level + 1);
        xml += L"<Style name=\"s" + std::to_wstring(level) + L"\" value=\"text=&quot;" + next +
               L"&quot; tooltip=&quot;" + next + L"&quot;\"/>";
    }
    xml += L"<Label name=\"a\" style=\"s0\"/></Window>";
    CDialogBuilder builder;
    CControlUI* root = builder.Create(xml.c_str(), nullptr, nullptr, &host.manager);
    ASSERT_NE(nullptr, root);
    EXPECT_TRUE(debug.WaitForLineWith("expands to too many styles"));
    delete root;
}

TEST_F(HostileSkinTest, IncludesOfItselfAreRefused)
{
    UseZip({Entry("self.xml", "<Window><VerticalLayout><Label name=\"mine\"/><Include source=\"self.xml\"/>"
                              "</VerticalLayout></Window>"),
            Entry("ping.xml", "<Window><Label name=\"p\"/><Include source=\"pong.xml\"/></Window>"),
            Entry("pong.xml", "<Window><Label name=\"q\"/><Include source=\"PING.xml\"/></Window>"),
            Entry("outer.xml", "<Window><VerticalLayout><Include source=\"ping.xml\"/></VerticalLayout></Window>")});
    {
        CDialogBuilder builder;
        CControlUI* root = builder.Create(L"self.xml", nullptr, nullptr, &host.manager);
        ASSERT_NE(nullptr, root);
        auto* container = static_cast<IContainerUI*>(root->GetInterface(L"IContainer"));
        ASSERT_NE(nullptr, container);
        // The file's own label; its include of itself is refused.
        EXPECT_EQ(1, container->GetCount());
        EXPECT_TRUE(debug.WaitForLineWith("SkinUI: Warning: Skin file self.xml includes itself."));
        delete root;
    }
    {
        CDialogBuilder builder;
        CControlUI* root = builder.Create(L"outer.xml", nullptr, nullptr, &host.manager);
        ASSERT_NE(nullptr, root);
        auto* container = static_cast<IContainerUI*>(root->GetInterface(L"IContainer"));
        ASSERT_NE(nullptr, container);
        EXPECT_EQ(2, container->GetCount()) << "p from ping.xml, q from pong.xml";
        EXPECT_TRUE(debug.WaitForLineWith("SkinUI: Warning: Skin file ping.xml includes itself."));
        delete root;
    }
}

TEST_F(HostileSkinTest, ChildLayoutLoadingItselfIsRefused)
{
    UseZip({Entry("child.xml", "<Window><VerticalLayout name=\"top\"><ChildLayout xmlfile=\"child.xml\"/>"
                               "</VerticalLayout></Window>")});
    CDialogBuilder builder;
    CControlUI* root = builder.Create(L"child.xml", nullptr, nullptr, &host.manager);
    ASSERT_NE(nullptr, root);
    host.manager.AttachRootControl(root);  // initialises the child layout, which loads the file once more
    EXPECT_TRUE(debug.WaitForLineWith("SkinUI: Warning: Skin file child.xml includes itself."));
}

TEST_F(HostileSkinTest, ZipEntryDeclaringMoreThanTheXmlLimitIsRefusedBeforeReading)
{
    ZipEntry huge = Entry("huge.xml", "<Window><Label/></Window>");
    huge.declaredSize = 0x60000000;  // 1.5 GiB claimed for 25 bytes
    ZipEntry large = Entry("large.xml", "<Window><Label/></Window>");
    large.declaredSize = 5u << 20;
    UseZip({huge, large, Entry("fine.xml", "<Window><Label name=\"fine\"/></Window>")});
    for (const wchar_t* name : {L"huge.xml", L"large.xml"}) {
        CDialogBuilder builder;
        EXPECT_EQ(nullptr, builder.Create(name, nullptr, nullptr, &host.manager));
    }
    EXPECT_TRUE(debug.WaitForLineWith("SkinUI: Warning: Zip entry huge.xml declares 1610612736 bytes"));
    EXPECT_TRUE(debug.WaitForLineWith("SkinUI: Warning: Zip entry large.xml declares 5242880 bytes"));
    CDialogBuilder builder;
    CControlUI* fine = builder.Create(L"fine.xml", nullptr, nullptr, &host.manager);
    ASSERT_NE(nullptr, fine);
    delete fine;
}

TEST_F(HostileSkinTest, ExtraTopLevelControlsAreDeletedNotLeaked)
{
    UseZip({Entry("two.xml", "<Window><Tracked/><Tracked/></Window>")});
    TrackingCallback callback;
    CDialogBuilder builder;
    CControlUI* root = builder.Create(L"<Window><Tracked/><Tracked/><Include source=\"two.xml\"/></Window>",
                                      nullptr, &callback, &host.manager);
    ASSERT_NE(nullptr, root);
    ASSERT_EQ(4, callback.made);
    EXPECT_FALSE(callback.flags[0]) << "the root stays";
    EXPECT_TRUE(callback.flags[1]);
    EXPECT_TRUE(callback.flags[2]) << "the included file's root has no parent either";
    EXPECT_TRUE(callback.flags[3]);
    EXPECT_TRUE(debug.WaitForLineWith("SkinUI: Warning: Extra top-level control Tracked ignored"));
    delete root;
}

// Each way the builder drops a control: no container to take it, one root too many (written or included).
TEST_F(HostileSkinTest, ControlsTheBuilderDropsLeaveNothingInTheWindow)
{
    RegisterInputsControls(*CControlFactory::GetInstance());
    UseZip({Entry("extra.xml", "<Window><Control/><Option group=\"g\"/></Window>")});
    GrabbyCallback callback;
    CDialogBuilder builder;
    CControlUI* root = builder.Create(
        L"<Window><HorizontalLayout><Option name=\"kept\" group=\"g\" width=\"30\"/>"
        L"<Label><HorizontalLayout><Option group=\"g\"/></HorizontalLayout></Label>"
        L"<Control><VerticalLayout><Grabby grab=\"1\"/></VerticalLayout></Control></HorizontalLayout>"
        L"<VerticalLayout><Option group=\"g\"/><Grabby grab=\"1\"/></VerticalLayout>"
        L"<Include source=\"extra.xml\"/></Window>",
        nullptr, &callback, &host.manager);
    ASSERT_NE(nullptr, root);
    ASSERT_EQ(2u, callback.made.size());
    host.manager.AttachRootControl(root);
    root->SetPos(RECT{0, 0, 200, 30});

    const CPtrArray* group = host.manager.GetOptionGroup(L"g");
    ASSERT_NE(nullptr, group);
    EXPECT_EQ(1, group->GetSize()) << "dropped options stay in their group";
    for (const CControlUI* gone : callback.made) {
        EXPECT_NE(gone, host.manager.GetFocus());
        EXPECT_FALSE(host.manager.KillTimer(const_cast<CControlUI*>(gone), 1)) << "a dropped control's timer runs on";
    }
    // Selecting the kept option walks its group.
    auto* kept = static_cast<COptionUI*>(host.manager.FindControl(L"kept")->GetInterface(L"Option"));
    ASSERT_NE(nullptr, kept);
    EXPECT_TRUE(kept->Activate());
    EXPECT_TRUE(kept->IsSelected());
}

TEST_F(HostileSkinTest, NegativeShadowSizeDrawsNoShadow)
{
    CDialogBuilder builder;
    CControlUI* root =
        builder.Create(L"<Window shadowsize=\"-5\" showshadow=\"true\"><Label/></Window>", nullptr, nullptr,
                       &host.manager);
    ASSERT_NE(nullptr, root);
    EXPECT_EQ(0, host.manager.GetShadow()->GetLook().size);
    EXPECT_TRUE(debug.WaitForLineWith("SkinUI: Warning: shadowsize -5 is negative"));
    delete root;
}

// The renderer itself, given a negative size by a caller: a smaller image, nothing written outside it.
TEST(ShadowRenderHostile, NegativeSizeStaysInsideItsImage)
{
    const int width = 40, height = 30;
    std::vector<ShadowSpan> spans(height, ShadowSpan{0, width});
    ShadowLook look;
    look.size = -5;
    look.sharpness = 3;
    look.darkness = 150;
    std::vector<DWORD> pixels;
    RenderShadow(pixels, width, height, spans, look);
    EXPECT_EQ(static_cast<size_t>((width - 10) * (height - 10)), pixels.size());
    HANDLE heaps[64] = {};
    const DWORD count = ::GetProcessHeaps(64, heaps);
    for (DWORD i = 0; i < count && i < 64; ++i) EXPECT_TRUE(::HeapValidate(heaps[i], 0, nullptr)) << i;
}
