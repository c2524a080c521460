#include "StandInDispatcher.h"

#include <windows.h>

#include <memory>

namespace {

const wchar_t kDispatchClass[] = L"CefStandInDispatch";
const UINT kRunTask = WM_APP + 0x3EF;

LRESULT CALLBACK DispatchProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != kRunTask) return ::DefWindowProcW(window, message, wParam, lParam);
    std::unique_ptr<std::function<void()>> task(reinterpret_cast<std::function<void()>*>(lParam));
    (*task)();
    return 0;
}

HWND ThreadDispatchWindow() {
    thread_local HWND window = nullptr;
    if (window && ::IsWindow(window)) return window;
    HINSTANCE module = nullptr;
    ::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                         reinterpret_cast<LPCWSTR>(&DispatchProc), &module);
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = DispatchProc;
    windowClass.hInstance = module;
    windowClass.lpszClassName = kDispatchClass;
    ::RegisterClassW(&windowClass);  // fails harmlessly when already registered
    window = ::CreateWindowExW(0, kDispatchClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, module, nullptr);
    return window;
}

}  // namespace

bool PostToUiThread(std::function<void()> task) {
    HWND window = ThreadDispatchWindow();
    if (!window) return false;
    auto* posted = new std::function<void()>(std::move(task));
    if (::PostMessageW(window, kRunTask, 0, reinterpret_cast<LPARAM>(posted))) return true;
    delete posted;
    return false;
}
