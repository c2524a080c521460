#include "Core/ControlFactory.h"
#include "Core/ControlUI.h"
#include "Core/SharedResources.h"
#include "Core/TextResources.h"
#include "Core/UITaskQueue.h"
#include "Core/WindowUIManager.h"
#include "Core/WindowWnd.h"
#include "Utils/UIGeometry.h"

#include <utility>

namespace SkinUI {

HINSTANCE CWindowUIManager::s_instance = nullptr;
DWORD CWindowUIManager::s_uiThreadId = 0;
int CWindowUIManager::s_resourceType = 1;

HINSTANCE CWindowUIManager::GetResourceInstance() { return s_instance; }

const CUIString& CWindowUIManager::GetResourcePath() { return SharedResources::Get().resourcePath; }
const CUIString& CWindowUIManager::GetResourceZipName() { return SharedResources::Get().zipName; }
CZipArchive* CWindowUIManager::GetResourceZipHandle() { return SharedResources::Get().zip.get(); }
const CUIString& CWindowUIManager::GetResourceZipPassword() { return SharedResources::Get().zipPassword; }
CPtrArray* CWindowUIManager::GetControlCreators() { return &SharedResources::Get().controlCreators; }

bool CWindowUIManager::AddControlCreator(ControlCreator creator)
{
    CPtrArray& creators = SharedResources::Get().controlCreators;
    void* entry = reinterpret_cast<void*>(creator);
    return creator && creators.Find(entry) < 0 && creators.Add(entry);
}

void CWindowUIManager::SetResourceZip(UINT resourceId, const wchar_t* resourceType, const wchar_t* password)
{
    HINSTANCE instance = GetResourceInstance();
    HRSRC found = ::FindResourceW(instance, MAKEINTRESOURCEW(resourceId), resourceType);
    if (!found) return;
    HGLOBAL loaded = ::LoadResource(instance, found);
    const DWORD size = ::SizeofResource(instance, found);
    const void* data = loaded ? ::LockResource(loaded) : nullptr;
    if (!data || size == 0) return;
    if (SharedResources::Get().zipName == L"membuffer") return;
    SetResourceZipMemory(data, size, password);
}

bool CWindowUIManager::SetResourceZipMemory(const void* data, size_t size, const wchar_t* password)
{
    auto zip = CZipArchive::OpenMemory(data, size, password);
    if (!zip) return false;
    SharedResources& shared = SharedResources::Get();
    shared.zip = std::move(zip);
    shared.zipName = L"membuffer";
    shared.zipPassword = password;
    return true;
}

void CWindowUIManager::Term()
{
    CTextResources::Release();
    CControlFactory::Release();
    SharedResources& shared = SharedResources::Get();
    DeleteImages(shared.images);
    DeleteScaledFonts();
    DeleteFonts(shared.fonts);
    DeleteFonts(shared.styledFonts);
    if (shared.defaultFont.hFont) ::DeleteObject(shared.defaultFont.hFont);
    shared.defaultFont = FontInfo();
    DeleteStrings(shared.styles);
    DeleteStrings(shared.defaultAttributes);
    shared.zip.reset();
    shared.zipName.Empty();
    shared.zipPassword.Empty();
}

bool CWindowUIManager::PostTask(HWND wakeWindow, std::function<void()> task)
{
    if (!task) return false;
    // The application's code runs outside any message: what it ends (its window, a control) waits until
    // it returns, as in a handler.
    return UITaskQueue::PostTo(wakeWindow, [wakeWindow, task = std::move(task)] {
        const CWindowWnd::HandlerScope running(wakeWindow);
        task();
    });
}

CDpiScaler* CWindowUIManager::GetDpiScaler()
{
    if (!m_dpiScaler) m_dpiScaler = std::make_unique<CDpiScaler>();
    return m_dpiScaler.get();
}

void CWindowUIManager::SetDPI(int dpi)
{
    // Resizing the window runs its handlers, which may close it.
    const auto keepWindow = KeepWindowWhileActing();
    CDpiScaler* scaler = GetDpiScaler();
    const int oldScale = scaler->GetScale();
    scaler->SetDPI(dpi);
    const int newScale = scaler->GetScale();
    ResetDPIAssets();
    if (!::IsWindow(m_hwnd)) return;
    RECT rc = {};
    ::GetWindowRect(m_hwnd, &rc);
    if (!::IsZoomed(m_hwnd)) {
        rc.right = ClampToInt(rc.left + MulDiv64(rc.right - rc.left, newScale, oldScale));
        rc.bottom = ClampToInt(rc.top + MulDiv64(rc.bottom - rc.top, newScale, oldScale));
    }
    ::SetWindowPos(m_hwnd, nullptr, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
    if (m_root) m_root->RequestLayout();
    ::PostMessageW(m_hwnd, kMsgDpiChanged, 0, 0);
}

}  // namespace SkinUI
