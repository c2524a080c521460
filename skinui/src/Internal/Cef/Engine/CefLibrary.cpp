#include "CefLibrary.h"

#include "CefLibraryIdentity.h"

#include <cstdlib>
#include <iterator>
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

std::wstring SystemErrorText(DWORD error) {
    wchar_t text[512] = {};
    DWORD length = ::FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0, text,
                                    static_cast<DWORD>(std::size(text)), nullptr);
    while (length > 0 && (text[length - 1] == L'\r' || text[length - 1] == L'\n' || text[length - 1] == L' ')) --length;
    std::wstring result = L"error " + std::to_wstring(error);
    if (length > 0) result += L": " + std::wstring(text, length);
    return result;
}

void WarnNotLoaded(const std::wstring& path, DWORD error) {
    const std::wstring text = L"SkinUI: Warning: " + path + L" could not be loaded (" + SystemErrorText(error) +
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
    // The file stays held from its check until it is loaded, so the one checked is the one loaded.
    CheckedEngineLibrary file(path);
    if (file.Verdict() == CefLibraryVerdict::Missing) return;
    if (file.Verdict() != CefLibraryVerdict::Accepted) {
        WarnRefused(path, file.Verdict());
        return;
    }
    DWORD error = ERROR_SUCCESS;
    m_module = file.Load(error);
    if (!m_module) {
        WarnNotLoaded(path, error);
        return;
    }
    if (!ModuleCarriesInterfaceIdentity(m_module)) {
        // Not the module the file described (one of that name was in the process already).
        ::FreeLibrary(m_module);
        m_module = nullptr;
        WarnRefused(path, CefLibraryVerdict::OtherInterface);
        return;
    }
    Resolve(m_module, CEF_CREATE_BROWSER_EXPORT, createBrowser);
    if (!createBrowser) {
        // Listed in the file, yet not found in the module (forwarded to a library that is not there).
        ::FreeLibrary(m_module);
        m_module = nullptr;
        WarnRefused(path, CefLibraryVerdict::NoCreateBrowser);
        return;
    }
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
