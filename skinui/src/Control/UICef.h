#pragma once

#include "Layout/ContainerUI.h"
#include "Utils/UIVariant.h"

#include <functional>
#include <string>
#include <vector>

namespace SkinUI {

// A web page inside a skinned window: the browser engine either owns a child window at the control's
// place or renders off-screen, and the control paints the frames itself. The process must have set the
// engine up before the first browser is created. Texts handed to the callbacks are UTF-8. The callbacks run
// inside a dispatch of the control's window: one that deletes the control has that wait until it returned.
class CCefUI : public CContainerUI {
public:
    using ResourceResponseCallback = std::function<void(const std::string& requestUrl, int statusCode)>;
    using ScriptCallCallback = std::function<void(const std::string& function, const std::vector<CUIVariant>& args)>;
    using RenderProcessTerminatedCallback = std::function<void(const std::string& mainFrameUrl, int status)>;
    using LoadErrorCallback = std::function<void(bool mainFrame, const std::string& failedUrl, int errorCode,
                                                 const std::string& errorText)>;

    class CCefUIImpl;

    CCefUI();
    ~CCefUI() override;
    static CControlUI* CreateInstance() { return new CCefUI(); }

    const wchar_t* GetClass() const override { return L"Cef"; }
    void* GetInterface(const wchar_t* name) override;
    void SetManager(CWindowUIManager* manager, CControlUI* parent, bool runInit = true) override;
    void SetPos(RECT rc, bool invalidate = true) override;
    void SetVisible(bool visible = true) override;
    void SetInternalVisible(bool visible = true) override;
    void InitControl() override;
    void HandleEvent(ControlEvent& event) override;
    void SetAttribute(const wchar_t* name, const wchar_t* value) override;
    bool PaintParts(HDC hdc, const RECT& paint, CControlUI* stop) override;

    const CUIString& GetUrl() const { return m_url; }
    // Loads the page at once when the browser is there, else when it arrives.
    void SetUrl(const wchar_t* url);
    // Whether creating the browser was started (it arrives later).
    bool IsCreated() const { return m_created; }

    void SetResourceResponseCallback(ResourceResponseCallback callback) { m_onResourceResponse = std::move(callback); }
    void SetScriptCallCallback(ScriptCallCallback callback) { m_onScriptCall = std::move(callback); }
    void SetRenderProcessTerminatedCallback(RenderProcessTerminatedCallback callback)
    {
        m_onRenderProcessTerminated = std::move(callback);
    }
    void SetLoadErrorCallback(LoadErrorCallback callback) { m_onLoadError = std::move(callback); }

private:
    void FollowVisibility();

    CUIString m_url;
    bool m_created = false;
    ResourceResponseCallback m_onResourceResponse;
    ScriptCallCallback m_onScriptCall;
    RenderProcessTerminatedCallback m_onRenderProcessTerminated;
    LoadErrorCallback m_onLoadError;
    CCefUIImpl* m_impl = nullptr;
};

}  // namespace SkinUI
