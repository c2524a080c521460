#pragma once

#include <windows.h>
#include <ocidl.h>
#include <olectl.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace SkinUI::Testing {

// How a test control behaves.
struct TestControlOptions {
    bool windowless = true;
    DWORD miscStatus = OLEMISC_SETCLIENTSITEFIRST;
    COLORREF color = RGB(0, 0, 255);
    bool failInitNew = false;
    // Offers only IViewObject and IViewObject2: the host has no hit test to ask.
    bool withholdViewObjectEx = false;
    // Answers IID of a player interface with its IDispatch face (the hosted players are dual interfaces).
    IID dualInterface = GUID_NULL;
    // Runs as the host calls "InitNew", the in-place "DoVerb", "SetExtent" or "Unadvise", before the control
    // carries the call out.
    std::function<void(const std::wstring& call)> onHostCall;
};

class TestConnectionPoint;

// A small in-process ActiveX control: in-place activation windowless or in a child window of its own,
// drawing a solid colour, keeping a record of what its host asked of it.
class TestOleControl final : public IOleObject,
                             public IOleControl,
                             public IOleInPlaceObjectWindowless,
                             public IViewObjectEx,
                             public IPersistStreamInit,
                             public IDispatch,
                             public IConnectionPointContainer {
public:
    explicit TestOleControl(const TestControlOptions& options);

    static int LiveCount();
    static int CreatedCount();
    static TestOleControl* Last();

    // What the host did.
    IOleClientSite* clientSite = nullptr;
    bool activeWindowless = false;
    bool inPlaceActive = false;
    bool closed = false;
    HWND window = nullptr;
    RECT objectRect = {0, 0, 0, 0};
    SIZEL extent = {0, 0};
    std::vector<LONG> verbs;
    std::vector<UINT> messages;
    std::map<std::wstring, std::wstring> properties;
    std::vector<std::wstring> calls;
    std::vector<BYTE> loadedStream;
    std::wstring containerApp;
    TestConnectionPoint* connectionPoint = nullptr;
    // Runs when a window message arrives, before the control handles it.
    std::function<void(UINT)> onMessage;
    // Runs when the host asks for a verb, before the control carries it out.
    std::function<void(LONG)> onVerb;
    ULONG RefCount() const { return static_cast<ULONG>(m_refs); }

    // IUnknown
    STDMETHOD(QueryInterface)(REFIID iid, void** out) override;
    STDMETHOD_(ULONG, AddRef)() override;
    STDMETHOD_(ULONG, Release)() override;

    // IOleObject
    STDMETHOD(SetClientSite)(IOleClientSite* site) override;
    STDMETHOD(GetClientSite)(IOleClientSite** out) override;
    STDMETHOD(SetHostNames)(LPCOLESTR app, LPCOLESTR) override;
    STDMETHOD(Close)(DWORD) override;
    STDMETHOD(SetMoniker)(DWORD, IMoniker*) override { return E_NOTIMPL; }
    STDMETHOD(GetMoniker)(DWORD, DWORD, IMoniker**) override { return E_NOTIMPL; }
    STDMETHOD(InitFromData)(IDataObject*, BOOL, DWORD) override { return E_NOTIMPL; }
    STDMETHOD(GetClipboardData)(DWORD, IDataObject**) override { return E_NOTIMPL; }
    STDMETHOD(DoVerb)(LONG verb, LPMSG, IOleClientSite* site, LONG, HWND parent, LPCRECT rect) override;
    STDMETHOD(EnumVerbs)(IEnumOLEVERB**) override { return E_NOTIMPL; }
    STDMETHOD(Update)() override { return S_OK; }
    STDMETHOD(IsUpToDate)() override { return S_OK; }
    STDMETHOD(GetUserClassID)(CLSID*) override { return E_NOTIMPL; }
    STDMETHOD(GetUserType)(DWORD, LPOLESTR*) override { return E_NOTIMPL; }
    STDMETHOD(SetExtent)(DWORD, SIZEL* size) override;
    STDMETHOD(GetExtent)(DWORD, SIZEL* size) override;
    STDMETHOD(Advise)(IAdviseSink*, DWORD*) override { return E_NOTIMPL; }
    STDMETHOD(Unadvise)(DWORD) override { return E_NOTIMPL; }
    STDMETHOD(EnumAdvise)(IEnumSTATDATA**) override { return E_NOTIMPL; }
    STDMETHOD(GetMiscStatus)(DWORD, DWORD* status) override;
    STDMETHOD(SetColorScheme)(LOGPALETTE*) override { return E_NOTIMPL; }

    // IOleControl
    STDMETHOD(GetControlInfo)(CONTROLINFO*) override { return E_NOTIMPL; }
    STDMETHOD(OnMnemonic)(MSG*) override { return E_NOTIMPL; }
    STDMETHOD(OnAmbientPropertyChange)(DISPID) override { return S_OK; }
    STDMETHOD(FreezeEvents)(BOOL) override { return S_OK; }

    // IOleInPlaceObjectWindowless
    STDMETHOD(GetWindow)(HWND* out) override;
    STDMETHOD(ContextSensitiveHelp)(BOOL) override { return E_NOTIMPL; }
    STDMETHOD(InPlaceDeactivate)() override;
    STDMETHOD(UIDeactivate)() override { return S_OK; }
    STDMETHOD(SetObjectRects)(LPCRECT position, LPCRECT clip) override;
    STDMETHOD(ReactivateAndUndo)() override { return E_NOTIMPL; }
    STDMETHOD(OnWindowMessage)(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    STDMETHOD(GetDropTarget)(IDropTarget**) override { return E_NOTIMPL; }

    // IViewObjectEx
    STDMETHOD(Draw)(DWORD, LONG, void*, DVTARGETDEVICE*, HDC, HDC hdc, LPCRECTL bounds, LPCRECTL,
                    BOOL(STDMETHODCALLTYPE*)(ULONG_PTR), ULONG_PTR) override;
    STDMETHOD(GetColorSet)(DWORD, LONG, void*, DVTARGETDEVICE*, HDC, LOGPALETTE**) override { return E_NOTIMPL; }
    STDMETHOD(Freeze)(DWORD, LONG, void*, DWORD*) override { return E_NOTIMPL; }
    STDMETHOD(Unfreeze)(DWORD) override { return E_NOTIMPL; }
    STDMETHOD(SetAdvise)(DWORD, DWORD, IAdviseSink*) override { return S_OK; }
    STDMETHOD(GetAdvise)(DWORD*, DWORD*, IAdviseSink**) override { return E_NOTIMPL; }
    STDMETHOD(GetExtent)(DWORD, LONG, DVTARGETDEVICE*, LPSIZEL) override { return E_NOTIMPL; }
    STDMETHOD(GetRect)(DWORD, LPRECTL) override { return E_NOTIMPL; }
    STDMETHOD(GetViewStatus)(DWORD*) override { return E_NOTIMPL; }
    STDMETHOD(QueryHitPoint)(DWORD, LPCRECT bounds, POINT pt, LONG, DWORD* hit) override;
    STDMETHOD(QueryHitRect)(DWORD, LPCRECT, LPCRECT, LONG, DWORD*) override { return E_NOTIMPL; }
    STDMETHOD(GetNaturalExtent)(DWORD, LONG, DVTARGETDEVICE*, HDC, DVEXTENTINFO*, LPSIZEL) override
    {
        return E_NOTIMPL;
    }

    // IPersistStreamInit
    STDMETHOD(GetClassID)(CLSID*) override { return E_NOTIMPL; }
    STDMETHOD(IsDirty)() override { return S_FALSE; }
    STDMETHOD(Load)(LPSTREAM stream) override;
    STDMETHOD(Save)(LPSTREAM, BOOL) override { return E_NOTIMPL; }
    STDMETHOD(GetSizeMax)(ULARGE_INTEGER*) override { return E_NOTIMPL; }
    STDMETHOD(InitNew)() override;

    // IDispatch: properties and methods by name
    STDMETHOD(GetTypeInfoCount)(UINT* count) override;
    STDMETHOD(GetTypeInfo)(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHOD(GetIDsOfNames)(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override;
    STDMETHOD(Invoke)(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT*, EXCEPINFO*, UINT*) override;

    // IConnectionPointContainer
    STDMETHOD(EnumConnectionPoints)(IEnumConnectionPoints**) override { return E_NOTIMPL; }
    STDMETHOD(FindConnectionPoint)(REFIID iid, IConnectionPoint** out) override;

private:
    friend class TestConnectionPoint;
    ~TestOleControl();
    HRESULT ActivateWindowless(IOleClientSite* site);
    HRESULT ActivateWindowed(IOleClientSite* site, HWND parent);
    void TellOfHostCall(const wchar_t* call) const;

    LONG m_refs = 1;
    TestControlOptions m_options;
    IOleInPlaceSite* m_inPlaceSite = nullptr;
    std::vector<std::wstring> m_names;
};

// One connection point for any outgoing interface; keeps the one sink advised to it.
class TestConnectionPoint final : public IConnectionPoint {
public:
    TestConnectionPoint(IConnectionPointContainer* container, REFIID iid);

    IID iid;
    IDispatch* sink = nullptr;
    int advised = 0;
    int unadvised = 0;

    STDMETHOD(QueryInterface)(REFIID iid, void** out) override;
    STDMETHOD_(ULONG, AddRef)() override;
    STDMETHOD_(ULONG, Release)() override;
    STDMETHOD(GetConnectionInterface)(IID* out) override;
    STDMETHOD(GetConnectionPointContainer)(IConnectionPointContainer** out) override;
    STDMETHOD(Advise)(IUnknown* sinkUnknown, DWORD* cookie) override;
    STDMETHOD(Unadvise)(DWORD cookie) override;
    STDMETHOD(EnumConnections)(IEnumConnections**) override { return E_NOTIMPL; }

private:
    ~TestConnectionPoint();
    LONG m_refs = 1;
    IConnectionPointContainer* m_container;
};

// Registers a class object for the test control in this process for as long as it lives.
class TestClassRegistration {
public:
    TestClassRegistration(REFCLSID clsid, const TestControlOptions& options);
    ~TestClassRegistration();
    TestClassRegistration(const TestClassRegistration&) = delete;
    TestClassRegistration& operator=(const TestClassRegistration&) = delete;
    bool IsRegistered() const { return m_cookie != 0; }

private:
    DWORD m_cookie = 0;
    IClassFactory* m_factory = nullptr;
};

}  // namespace SkinUI::Testing
