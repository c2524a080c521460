#include "CefLibrary.h"

#include "CefLibraryIdentity.h"

#include <cstdlib>
#include <string>

namespace {

std::wstring ProgramFolder() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        DWORD length = ::GetModuleFileNameW(nullptr, &path[0], static_cast<DWORD>(path.size()));
        if (length == 0) return std::wstring();
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    return path.substr(0, path.find_last_of(L"\\/") + 1);
}

template <class Function>
void Resolve(HMODULE module, const char* name, Function& function) {
    function = reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
}

void WarnRefused(const std::wstring& path, CefLibraryVerdict verdict) {
    const std::wstring text = L"SkinUI: Warning: " + path + L" is not used (" + DescribeVerdict(verdict) +
                              L"): the web view stays empty.\n";
    ::OutputDebugStringW(text.c_str());
}

}  // namespace

const CefLibrary& CefLibrary::Get() {
    static const CefLibrary library;
    return library;
}

CefLibrary::CefLibrary() {
    // Only the copy beside the program: a library of that name in the working folder or on PATH
    // must never be picked up.
    const std::wstring folder = ProgramFolder();
    if (folder.empty()) return;
    const std::wstring path = folder + CEF_LIBRARY_FILE_NAME;
    // Our objects cross the boundary as C++ classes: calling into any other library (a real engine
    // among them) would be undefined, so nothing of it may run, not even its start-up code.
    const CefLibraryVerdict verdict = CheckEngineLibraryFile(path);
    if (verdict == CefLibraryVerdict::Missing) return;
    if (verdict != CefLibraryVerdict::Accepted) {
        WarnRefused(path, verdict);
        return;
    }
    m_module = ::LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (!m_module) return;
    if (!ModuleCarriesInterfaceIdentity(m_module)) {
        // Replaced between the check and the load.
        ::FreeLibrary(m_module);
        m_module = nullptr;
        WarnRefused(path, CefLibraryVerdict::OtherInterface);
        return;
    }
    Resolve(m_module, "cef_browser_host_create_browser", createBrowser);
    Resolve(m_module, "cef_request_context_get_global_context", getGlobalContext);
    Resolve(m_module, "create_context_shared", createContextShared);
    Resolve(m_module, "cef_log", log);
}

void CefLog(const char* file, int line, cef_log_severity_t severity, const char* message) {
    const CefLibrary& library = CefLibrary::Get();
    if (library.log) {
        library.log(file, line, severity, message);
    } else {
        const std::string text = std::string(file) + "(" + std::to_string(line) + "): " + message + "\n";
        ::OutputDebugStringA(text.c_str());
    }
    if (severity == LOGSEVERITY_FATAL) std::abort();
}
