#pragma once

#include "Control/UIActiveX.h"
#include "Layout/BoxLayout.h"
#include "Layout/ContainerUI.h"
#include "TestOleControl.h"
#include "TestWindows.h"

#include <memory>

namespace SkinUI::Testing {

// {6F1B3A52-3C0E-4B8E-9D55-2A7C1E0B9A11}: the class the test control is registered under.
inline constexpr CLSID kTestControlClsid = {0x6f1b3a52, 0x3c0e, 0x4b8e,
                                           {0x9d, 0x55, 0x2a, 0x7c, 0x1e, 0x0b, 0x9a, 0x11}};
inline constexpr const wchar_t* kTestControlClsidText = L"{6F1B3A52-3C0E-4B8E-9D55-2A7C1E0B9A11}";

// A window whose root container holds one hosted control inset by 10 pixels on every side; with a
// neighbour, the control is 80 pixels wide and the neighbour takes the rest of the row.
class HostedControlWindow {
public:
    explicit HostedControlWindow(CActiveXUI* control, CControlUI* neighbour = nullptr)
        : m_window(*new HostWindow()), m_control(control)
    {
        // As a skinned window does, the object (and its manager with the tree) goes with the window.
        m_window.deleteOnFinal = true;
        m_window.finalCounter = &m_finalMessages;
        m_window.Create(nullptr, L"activex", WS_POPUP, 0, 10, 10, 200, 150);
        m_root = neighbour ? new CHorizontalLayoutUI() : new CContainerUI();
        m_root->SetInset(RECT{10, 10, 10, 10});
        m_root->Add(control);
        if (neighbour) {
            control->SetFixedWidth(80);
            m_root->Add(neighbour);
        }
    }
    ~HostedControlWindow()
    {
        if (m_finalMessages > 0) return;
        if (m_window.GetHWND())
            ::DestroyWindow(m_window.GetHWND());
        else
            delete &m_window;
    }
    bool IsOpen() const { return m_finalMessages == 0 && m_window.GetHWND() != nullptr; }
    CWindowUIManager& Manager() { return m_window.manager; }
    HWND Handle() const { return m_window.GetHWND(); }
    // Attaches the tree and paints once, which lays it out.
    void Show()
    {
        m_window.manager.AttachRootControl(m_root);
        ::ShowWindow(m_window.GetHWND(), SW_SHOWNOACTIVATE);
        ::RedrawWindow(m_window.GetHWND(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    }
    void Repaint() { ::RedrawWindow(m_window.GetHWND(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW); }
    // The colour the framework drew at a client point (0x00RRGGBB).
    DWORD PixelAt(int x, int y) const
    {
        RECT client = {};
        ::GetClientRect(m_window.GetHWND(), &client);
        const BYTE* bits = m_window.manager.GetOffscreenBits();
        if (!bits) return 0xFFFFFFFF;
        ::GdiFlush();
        const auto* rows = reinterpret_cast<const DWORD*>(bits);
        return rows[(client.bottom - 1 - y) * client.right + x] & 0x00FFFFFF;
    }

private:
    HostWindow& m_window;
    int m_finalMessages = 0;
    CContainerUI* m_root = nullptr;
    CActiveXUI* m_control;
};

// How a handler of a hosted control's event does away with the control.
enum class DoneAway { RemovedAtOnce, RemovedDelayed, WindowDestroyed };
inline constexpr DoneAway kEveryWayAway[] = {DoneAway::RemovedAtOnce, DoneAway::RemovedDelayed,
                                             DoneAway::WindowDestroyed};

struct DestroyCounter {
    int count = 0;
    bool OnDestroy(void*)
    {
        ++count;
        return true;
    }
};

// Tests of hosting: the test control registered for the test's lifetime, hosted in a window; every
// control must be gone when the test ends.
class HostingTest : public WindowTest {
protected:
    void TearDown() override
    {
        m_window.reset();
        m_registration.reset();
        EXPECT_EQ(0, TestOleControl::LiveCount()) << "a hosted control leaked";
    }
    void Register(const TestControlOptions& options = {}, REFCLSID clsid = kTestControlClsid)
    {
        m_registration.reset();  // a class is registered once at a time
        m_registration = std::make_unique<TestClassRegistration>(clsid, options);
        ASSERT_TRUE(m_registration->IsRegistered());
    }
    // Shows the control in a window (laying it out); answers the control the host created, if any.
    TestOleControl* Show(CActiveXUI* control, CControlUI* neighbour = nullptr)
    {
        m_window = std::make_unique<HostedControlWindow>(control, neighbour);
        if (!m_window->IsOpen()) return nullptr;
        m_window->Show();
        return TestOleControl::Last();
    }
    TestOleControl* ShowHosted(const TestControlOptions& options = {}, CControlUI* neighbour = nullptr)
    {
        Register(options);
        m_control = new CActiveXUI();
        m_control->SetClassId(kTestControlClsid);
        return Show(m_control, neighbour);
    }
    // What a handler of the control's event does to it.
    void DoAwayWith(CActiveXUI* control, DoneAway how)
    {
        if (how == DoneAway::WindowDestroyed) {
            ::DestroyWindow(Window().Handle());
            return;
        }
        auto* parent = static_cast<CContainerUI*>(control->GetParent());
        parent->SetDelayedDestroy(how == DoneAway::RemovedDelayed);
        parent->Remove(control);
    }
    // Calls an event into the control's sink as the browser does, holding the sink through the call; this
    // stand-in lets go only after the message loop ran and the control let go of what it hosts, and fires
    // the event once more before (one it had on its way). True when the control went with that last
    // release, not before.
    static bool FireHoldingTheSinkLate(IDispatch* sink, CControlUI* control, DISPID id, DISPPARAMS* params)
    {
        DestroyCounter gone;
        control->OnDestroy += MakeDelegate(&gone, &DestroyCounter::OnDestroy);
        sink->AddRef();
        sink->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, params, nullptr, nullptr, nullptr);
        const bool hostedReleased = PumpUntil([] { return TestOleControl::LiveCount() == 0; });
        sink->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, params, nullptr, nullptr, nullptr);
        const int goneBefore = gone.count;
        sink->Release();
        return hostedReleased && goneBefore == 0 && gone.count == 1;
    }
    HostedControlWindow& Window() { return *m_window; }
    void CloseWindow() { m_window.reset(); }

    CActiveXUI* m_control = nullptr;

private:
    std::unique_ptr<TestClassRegistration> m_registration;
    std::unique_ptr<HostedControlWindow> m_window;
};

}  // namespace SkinUI::Testing
