// Skins written carelessly or with ill intent: each fault is reported to the debugger and the skin
// builds what it sensibly can, instead of crashing, looping or leaking.
#include "../ActiveX/DebugOutputCapture.h"
#include "Control/InputsRegistration.h"
#include "Control/UIOption.h"
#include "Core/ControlFactory.h"
#include "Core/DialogBuilder.h"
#include "Core/ShadowUI.h"
#include "Core/SkinBuildLimits.h"
#include "Core/WindowUIManager.h"
#include "Layout/ContainerUI.h"
#include "MemoryZip.h"
#include "TestWindows.h"

#include <cstdio>
#include <cstring>
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

// Makes the element "Grabby": a control that, once bound, takes what a window holds of a control from its
// attributes or when asked: a timer, the focus, a place among the controls painted last and a queued
// notification; remembers where each one made lives, to ask the manager about it after it is gone.
class GrabbyControl : public CControlUI {
public:
    explicit GrabbyControl(int* deleted) : m_deleted(deleted) {}
    ~GrabbyControl() override { ++*m_deleted; }
    void Grab()
    {
        m_manager->SetTimer(this, 1, 1);
        m_manager->SetFocus(this);
        m_manager->AddPostPaint(this);
        m_manager->SendNotify(this, L"grabbed", 0, 0, true);
    }
    void SetAttribute(const wchar_t* name, const wchar_t* value) override
    {
        if (_wcsicmp(name, L"grab") == 0 && m_manager) Grab();
        else CControlUI::SetAttribute(name, value);
    }

private:
    int* m_deleted;
};

class GrabbyCallback : public IDialogBuilderCallback {
public:
    std::vector<const CControlUI*> made;
    int deleted = 0;
    CControlUI* CreateControl(const wchar_t* className) override
    {
        if (wcscmp(className, L"Grabby") != 0) return nullptr;
        made.push_back(new GrabbyControl(&deleted));
        return const_cast<CControlUI*>(made.back());
    }
};

// A chain of skin files, each nesting `levels` vertical layouts with the next file at the bottom, joined by
// "Include" or by "ChildLayout"; the last file ends in a label.
std::vector<ZipEntry> DeepChain(int files, int levels, bool childLayouts)
{
    std::vector<ZipEntry> entries;
    for (int file = 0; file < files; ++file) {
        std::string xml = "<Window>";
        for (int level = 0; level < levels; ++level) xml += "<VerticalLayout>";
        const std::string next = "chain" + std::to_string(file + 1) + ".xml";
        if (file + 1 == files) xml += "<Label text=\"bottom\"/>";
        else if (childLayouts) xml += "<ChildLayout xmlfile=\"" + next + "\"/>";
        else xml += "<Include source=\"" + next + "\"/>";
        for (int level = 0; level < levels; ++level) xml += "</VerticalLayout>";
        entries.push_back(Entry("chain" + std::to_string(file) + ".xml", xml + "</Window>"));
    }
    return entries;
}

int TreeDepth(CControlUI* control)
{
    int depth = 0;
    while (control) {
        ++depth;
        auto* container = static_cast<IContainerUI*>(control->GetInterface(L"IContainer"));
        control = container && container->GetCount() > 0 ? container->GetItemAt(0) : nullptr;
    }
    return depth;
}

// Builds "chain0.xml" into a window of its own, lays it out, paints it, moves and clicks the mouse over it
// and closes it, all on a thread with a stack of `stackBytes`; answers how much of the stack that took
// (measured by marking the free stack first and looking for the deepest mark overwritten) and the depth
// of the tree.
struct DeepRun {
    size_t stackBytes = 0;
    size_t stackUsed = 0;
    int treeDepth = 0;
};

constexpr unsigned char kUntouchedStack = 0xA5;

// Marks `bytes` of stack below the caller; answers the lowest marked address.
__attribute__((noinline)) uintptr_t MarkFreeStack(size_t bytes)
{
    auto* area = static_cast<unsigned char*>(__builtin_alloca(bytes));
    std::memset(area, kUntouchedStack, bytes);
    asm volatile("" : : "r"(area) : "memory");
    return reinterpret_cast<uintptr_t>(area);
}

void BuildPaintClickAndClose(DeepRun* run)
{
    HostWindow window;
    if (!window.CreateTopLevel()) return;
    CDialogBuilder builder;
    CControlUI* root = builder.Create(L"chain0.xml", nullptr, nullptr, &window.manager);
    window.manager.AttachRootControl(root);
    ::ShowWindow(window, SW_SHOWNOACTIVATE);
    ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    run->treeDepth = TreeDepth(root);
    for (UINT msg : {WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONUP}) ::SendMessageW(window, msg, 0, MAKELPARAM(50, 50));
    ::DestroyWindow(window);
}

DWORD WINAPI RunDeepSkin(void* parameter)
{
    auto* run = static_cast<DeepRun*>(parameter);
    const size_t marked = run->stackBytes - 256 * 1024;
    const auto* low = reinterpret_cast<const unsigned char*>(MarkFreeStack(marked));
    BuildPaintClickAndClose(run);
    size_t untouched = 0;
    while (untouched < marked && low[untouched] == kUntouchedStack) ++untouched;
    run->stackUsed = marked - untouched;
    return 0;
}

// A plain system thread, as an application may run a window on: the framework keeps no thread-local state
// that such a thread cannot tear down.
DeepRun RunDeepSkinOnItsOwnThread(size_t stackBytes)
{
    DeepRun run;
    run.stackBytes = stackBytes;
    HANDLE thread =
        ::CreateThread(nullptr, stackBytes, &RunDeepSkin, &run, STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
    if (!thread) return run;
    ::WaitForSingleObject(thread, INFINITE);
    ::CloseHandle(thread);
    return run;
}

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
        for (HWND window : {static_cast<HWND>(host), static_cast<HWND>(other)})
            if (::IsWindow(window)) ::DestroyWindow(window);
        CWindowUIManager::Term();
    }
    void UseZip(const std::vector<ZipEntry>& entries)
    {
        const std::string zip = MakeZip(entries);
        ASSERT_TRUE(CWindowUIManager::SetResourceZipMemory(zip.data(), zip.size()));
    }

    DebugOutputCapture debug;
    HostWindow host;
    HostWindow other;  // made by the tests that need a second window
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

// Every way a built tree goes: deleted without ever joining the window, removed at once or on the window's
// next delayed work, detached by the application before it deletes it or before it moves it into another
// window that deletes it. No window it was in keeps anything of it, and each goes on working.
TEST_F(HostileSkinTest, ABuiltTreeLeavesNothingInAnyWindowItWasIn)
{
    enum class Route { NeverAttached, RemovedAtOnce, RemovedLater, DetachedThenDeleted, MovedThenDeleted };
    const struct {
        Route route;
        const char* name;
    } routes[] = {{Route::NeverAttached, "never attached"},
                  {Route::RemovedAtOnce, "removed at once"},
                  {Route::RemovedLater, "removed with delayed destroy"},
                  {Route::DetachedThenDeleted, "detached, then deleted"},
                  {Route::MovedThenDeleted, "detached, moved to another window, then deleted"}};
    RegisterInputsControls(*CControlFactory::GetInstance());
    ASSERT_NE(nullptr, other.CreateTopLevel());
    CWindowUIManager* const managers[] = {&host.manager, &other.manager};
    NotifyRecorder notes;
    for (CWindowUIManager* manager : managers) manager->AddNotifier(&notes);

    for (CWindowUIManager* manager : managers) {
        CDialogBuilder builder;
        CControlUI* root = builder.Create(
            L"<Window><HorizontalLayout><Option name=\"kept\" group=\"g\"/></HorizontalLayout></Window>", nullptr,
            nullptr, manager);
        ASSERT_NE(nullptr, root);
        manager->AttachRootControl(root);
    }
    auto* hostRoot = static_cast<CContainerUI*>(host.manager.GetRoot());
    auto* otherRoot = static_cast<CContainerUI*>(other.manager.GetRoot());

    for (const auto& route : routes) {
        SCOPED_TRACE(route.name);
        hostRoot->SetAutoDestroy(route.route != Route::DetachedThenDeleted && route.route != Route::MovedThenDeleted);
        hostRoot->SetDelayedDestroy(route.route == Route::RemovedLater);
        otherRoot->SetDelayedDestroy(false);
        GrabbyCallback callback;
        CDialogBuilder builder;
        CControlUI* tree = builder.Create(
            L"<Window><VerticalLayout><Option name=\"late\" group=\"g\"/><Grabby name=\"grabby\" grab=\"1\"/>"
            L"</VerticalLayout></Window>",
            nullptr, &callback, &host.manager);
        ASSERT_NE(nullptr, tree);
        ASSERT_EQ(1u, callback.made.size());
        auto* grabby = const_cast<GrabbyControl*>(static_cast<const GrabbyControl*>(callback.made[0]));
        if (route.route != Route::NeverAttached) {
            hostRoot->Add(tree);
            grabby->Grab();
            grabby->Grab();  // asked twice, it is painted last twice
        }
        switch (route.route) {
        case Route::NeverAttached:
            delete tree;
            break;
        case Route::RemovedAtOnce:
            hostRoot->Remove(tree);
            break;
        case Route::RemovedLater:
            hostRoot->Remove(tree);
            EXPECT_TRUE(PumpUntil([&] { return callback.deleted == 1; }));
            break;
        case Route::DetachedThenDeleted:
            hostRoot->Remove(tree);
            tree->SetManager(nullptr, nullptr, false);
            delete tree;
            break;
        case Route::MovedThenDeleted:
            hostRoot->Remove(tree);
            tree->SetManager(nullptr, nullptr, false);
            otherRoot->Add(tree);
            grabby->Grab();
            otherRoot->Remove(tree);
            break;
        }
        ASSERT_EQ(1, callback.deleted);

        notes.seen.clear();
        for (CWindowUIManager* manager : managers) {
            const CPtrArray* group = manager->GetOptionGroup(L"g");
            ASSERT_NE(nullptr, group);
            EXPECT_EQ(1, group->GetSize()) << "a deleted option stays in its group";
            EXPECT_EQ(nullptr, manager->FindControl(L"late"));
            EXPECT_EQ(nullptr, manager->FindControl(L"grabby"));
            EXPECT_NE(grabby, manager->GetFocus());
            EXPECT_FALSE(manager->KillTimer(grabby, 1)) << "a deleted control's timer runs on";
            EXPECT_FALSE(manager->RemovePostPaint(grabby));
            // Selecting the option left walks its group; a timer of the kept option ticks and the queued
            // notifications are delivered, each after anything the deleted controls left would have.
            auto* kept = static_cast<COptionUI*>(manager->FindControl(L"kept")->GetInterface(L"Option"));
            EXPECT_TRUE(kept->Activate());
            EXPECT_TRUE(kept->IsSelected());
            EXPECT_TRUE(manager->SetTimer(kept, 7, 1));
            manager->SendNotify(kept, L"drained", 0, 0, true);
            EXPECT_TRUE(PumpUntil([&] { return notes.Count(L"timer", kept) > 0 && notes.Count(L"drained", kept) > 0; }));
            manager->KillTimer(kept, 7);
        }
        for (const NotifyMessage& note : notes.seen) EXPECT_NE(grabby, note.pSender) << "from " << note.sType.GetData();
    }
    for (CWindowUIManager* manager : managers) manager->RemoveNotifier(&notes);
}

// Every single file within the parser's nesting limit, together far deeper than the stack allows: the
// elements below the total depth are left out, and the deepest tree the builder makes is laid out, painted,
// clicked and deleted on half the stack the programs' main threads reserve (2 MiB).
TEST_F(HostileSkinTest, NestingAcrossFilesStopsAtOneTotalDepth)
{
    for (bool childLayouts : {false, true}) {
        SCOPED_TRACE(childLayouts ? "child layouts" : "includes");
        UseZip(DeepChain(5, 250, childLayouts));
        const DeepRun run = RunDeepSkinOnItsOwnThread(1024 * 1024);
        ASSERT_GT(run.stackUsed, 0u);
        EXPECT_LE(run.treeDepth, SkinBuildLimits::kMaxElementDepth);
        EXPECT_GE(run.treeDepth, SkinBuildLimits::kMaxElementDepth - 8);
        EXPECT_TRUE(debug.WaitForLineWith("SkinUI: Warning: Skin elements nested deeper than"));
        UseZip(DeepChain(1, 16, childLayouts));
        const DeepRun shallow = RunDeepSkinOnItsOwnThread(1024 * 1024);
        const size_t perLevel = (run.stackUsed - shallow.stackUsed) / static_cast<size_t>(run.treeDepth - 16);
        RecordProperty(childLayouts ? "stack_per_level_child_layouts" : "stack_per_level_includes",
                       static_cast<int>(perLevel));
        std::printf("stack: %zu bytes at depth %d, %zu at depth 16: %zu bytes a level\n", run.stackUsed,
                    run.treeDepth, shallow.stackUsed, perLevel);
        EXPECT_LT(perLevel, 1024u) << "a level of nesting costs more stack than it did";
    }
}

// Inclusions that multiply (2000 times a file that includes another 2000 times) stop at one budget for the
// whole build.
TEST_F(HostileSkinTest, IncludedAndCreatedControlsShareOneBudgetPerBuild)
{
    UseZip({Entry("leaf.xml", "<Window><Control/></Window>"),
            Entry("mid.xml", "<Window><Include source=\"leaf.xml\" count=\"2000\"/></Window>")});
    CDialogBuilder builder;
    CControlUI* root = builder.Create(
        L"<Window><VerticalLayout><Include source=\"mid.xml\" count=\"3000000\"/></VerticalLayout></Window>",
        nullptr, nullptr, &host.manager);
    ASSERT_NE(nullptr, root);
    auto* container = static_cast<IContainerUI*>(root->GetInterface(L"IContainer"));
    EXPECT_GT(container->GetCount(), SkinBuildLimits::kMaxControls / 3);
    EXPECT_LT(container->GetCount(), SkinBuildLimits::kMaxControls);
    EXPECT_TRUE(debug.WaitForLineWith("SkinUI: Warning: Skin makes more than"));
    delete root;

    // The next build has a budget of its own.
    CControlUI* next = builder.Create(L"<Window><VerticalLayout><Include source=\"leaf.xml\" count=\"3\"/>"
                                      L"</VerticalLayout></Window>",
                                      nullptr, nullptr, &host.manager);
    ASSERT_NE(nullptr, next);
    EXPECT_EQ(3, static_cast<IContainerUI*>(next->GetInterface(L"IContainer"))->GetCount());
    delete next;
}

TEST_F(HostileSkinTest, ShadowSizeWithinItsRangeReachesTheShadowEvenWhenNegative)
{
    const struct {
        const wchar_t* value;
        int size;
    } cases[] = {{L"-5", -5}, {L"-35", -35}, {L"35", 35}, {L"-36", 4}, {L"36", 4}};
    for (const auto& c : cases) {
        host.manager.GetShadow()->SetSize(4);
        std::wstring xml = L"<Window shadowsize=\"";
        xml += c.value;
        xml += L"\" showshadow=\"true\"><Label/></Window>";
        CDialogBuilder builder;
        CControlUI* root = builder.Create(xml.c_str(), nullptr, nullptr, &host.manager);
        ASSERT_NE(nullptr, root);
        EXPECT_EQ(c.size, host.manager.GetShadow()->GetLook().size) << "shadowsize " << c.value;
        delete root;
    }
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
