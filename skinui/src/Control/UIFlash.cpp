#include "Control/UIFlash.h"

#include "Core/Painter.h"
#include "Core/WindowUIManager.h"

#include <ocidl.h>

#include <cwchar>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace SkinUI {

namespace {

// {D27CDB6E-AE6D-11CF-96B8-444553540000}
constexpr CLSID kFlashClsid = {0xd27cdb6e, 0xae6d, 0x11cf, {0x96, 0xb8, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
// IShockwaveFlash {D27CDB6C-AE6D-11CF-96B8-444553540000}
constexpr IID kShockwaveFlashIid = {0xd27cdb6c, 0xae6d, 0x11cf, {0x96, 0xb8, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
// _IShockwaveFlashEvents {D27CDB6D-AE6D-11CF-96B8-444553540000}
constexpr IID kShockwaveFlashEventsIid = {0xd27cdb6d, 0xae6d, 0x11cf, {0x96, 0xb8, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
constexpr DISPID kFsCommand = 150;
constexpr DISPID kFlashCall = 197;

HRESULT InvokeByName(IDispatch* object, const wchar_t* name, WORD kind, DISPPARAMS* params)
{
    DISPID id = DISPID_UNKNOWN;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    HRESULT hr = object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    if (FAILED(hr)) return hr;
    return object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, kind, params, nullptr, nullptr, nullptr);
}

HRESULT PutText(IDispatch* object, const wchar_t* name, const wchar_t* value)
{
    VARIANT text;
    ::VariantInit(&text);
    text.vt = VT_BSTR;
    text.bstrVal = ::SysAllocString(value ? value : L"");
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS params = {&text, &named, 1, 1};
    const HRESULT hr = InvokeByName(object, name, DISPATCH_PROPERTYPUT, &params);
    ::VariantClear(&text);
    return hr;
}

HRESULT Call(IDispatch* object, const wchar_t* name)
{
    DISPPARAMS none = {nullptr, nullptr, 0, 0};
    return InvokeByName(object, name, DISPATCH_METHOD, &none);
}

bool ReadModuleResource(HINSTANCE module, const wchar_t* name, const wchar_t* type, std::vector<unsigned char>& bytes)
{
    if (!module) module = CWindowUIManager::GetResourceInstance();
    HRSRC found = ::FindResourceW(module, name, type);
    if (!found) return false;
    HGLOBAL loaded = ::LoadResource(module, found);
    const DWORD size = ::SizeofResource(module, found);
    const auto* data = static_cast<const unsigned char*>(loaded ? ::LockResource(loaded) : nullptr);
    if (!data || size == 0) return false;
    bytes.assign(data, data + size);
    return true;
}

bool ReadPlainFile(const wchar_t* path, std::vector<unsigned char>& bytes)
{
    std::ifstream file(std::filesystem::path(path), std::ios::binary);
    if (!file) return false;
    bytes.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    return !bytes.empty();
}

}  // namespace

std::vector<unsigned char> FlashMovieStreamBytes(const std::vector<unsigned char>& movie)
{
    std::vector<unsigned char> bytes = {'f', 'U', 'f', 'U'};
    const auto length = static_cast<uint32_t>(movie.size());
    for (int shift = 0; shift < 32; shift += 8) bytes.push_back(static_cast<unsigned char>(length >> shift));
    bytes.insert(bytes.end(), movie.begin(), movie.end());
    return bytes;
}

CFlashUI::CFlashUI() { SetClassId(kFlashClsid); }

CFlashUI::~CFlashUI() { CFlashUI::ReleaseHostedControl(); }

void* CFlashUI::GetInterface(const wchar_t* name)
{
    if (name && _wcsicmp(name, L"Flash") == 0) return static_cast<CFlashUI*>(this);
    return CActiveXUI::GetInterface(name);
}

void CFlashUI::SetAttribute(const wchar_t* name, const wchar_t* value)
{
    if (_wcsicmp(name, L"path") == 0) {
        m_moviePath = value;
        LoadMovie();
    } else if (_wcsicmp(name, L"restype") == 0) {
        m_resourceType = value;
        LoadMovie();
    } else {
        CActiveXUI::SetAttribute(name, value);
    }
}

void CFlashUI::LoadMovie()
{
    if (m_player) LoadMovieData(m_player, m_moviePath, m_resourceType);
}

bool CFlashUI::CreateHostedControl()
{
    if (!CActiveXUI::CreateHostedControl()) return false;
    QueryHostedControl(kShockwaveFlashIid, reinterpret_cast<void**>(&m_player));
    ConnectEvents(true);
    return true;
}

// Also releases the player's control: creating again must not leave the previous one behind.
void CFlashUI::ReleaseHostedControl()
{
    ConnectEvents(false);
    if (IDispatch* player = m_player) {
        m_player = nullptr;
        player->Release();
    }
    CActiveXUI::ReleaseHostedControl();
}

// The application let go of the control: what its callback holds may be gone before the player's last
// Release.
void CFlashUI::DeleteSelf()
{
    m_flashCall = nullptr;
    CActiveXUI::DeleteSelf();
}

void CFlashUI::OnControlCreated()
{
    IDispatch* player = nullptr;
    if (!m_control || FAILED(m_control->QueryInterface(kShockwaveFlashIid, reinterpret_cast<void**>(&player))) ||
        !player)
        return;
    PutText(player, L"WMode", L"Transparent");
    PutText(player, L"Movie", m_moviePath);
    LoadMovieData(player, m_moviePath, m_resourceType);
    Call(player, L"DisableLocalSecurity");
    PutText(player, L"AllowScriptAccess", L"always");
    player->Release();
}

bool CFlashUI::LoadMovieData(IUnknown* player, const wchar_t* name, const wchar_t* resourceType, HINSTANCE module)
{
    if (!player || !name || !*name) return false;
    std::vector<unsigned char> movie;
    bool found = false;
    if (resourceType && *resourceType)
        found = ReadModuleResource(module, name, resourceType, movie) || ReadPlainFile(name, movie);
    else
        found = CPainter::ReadSkinFile(name, movie);
    // Nothing to play: the player keeps what it had.
    if (!found) return false;

    const std::vector<unsigned char> bytes = FlashMovieStreamBytes(movie);
    IStream* stream = nullptr;
    if (FAILED(::CreateStreamOnHGlobal(nullptr, TRUE, &stream)) || !stream) return false;
    ULARGE_INTEGER size;
    size.QuadPart = bytes.size();
    stream->SetSize(size);
    ULONG written = 0;
    HRESULT hr = stream->Write(bytes.data(), static_cast<ULONG>(bytes.size()), &written);
    LARGE_INTEGER start = {};
    if (SUCCEEDED(hr)) hr = stream->Seek(start, STREAM_SEEK_SET, nullptr);
    IPersistStreamInit* persist = nullptr;
    if (SUCCEEDED(hr)) hr = player->QueryInterface(IID_IPersistStreamInit, reinterpret_cast<void**>(&persist));
    if (SUCCEEDED(hr) && persist) {
        hr = persist->Load(stream);
        persist->Release();
    }
    stream->Release();
    return SUCCEEDED(hr);
}

HRESULT CFlashUI::ConnectEvents(bool connect)
{
    return ConnectEventSink(kShockwaveFlashEventsIid, static_cast<IDispatch*>(this), m_eventCookie, connect);
}

STDMETHODIMP CFlashUI::QueryInterface(REFIID iid, void** out)
{
    if (!out) return E_POINTER;
    *out = nullptr;
    if (iid != IID_IUnknown && iid != IID_IDispatch && iid != kShockwaveFlashEventsIid) return E_NOINTERFACE;
    *out = static_cast<IDispatch*>(this);
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) CFlashUI::AddRef() { return AddComReference(); }

STDMETHODIMP_(ULONG) CFlashUI::Release() { return ReleaseComReference(); }

STDMETHODIMP CFlashUI::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*, UINT*)
{
    const UINT count = params ? params->cArgs : 0;
    if (id == kFsCommand) {
        if (count != 2) return DISP_E_BADPARAMCOUNT;
        if (params->rgvarg[0].vt != VT_BSTR || params->rgvarg[1].vt != VT_BSTR) return DISP_E_TYPEMISMATCH;
        return S_OK;
    }
    if (id == kFlashCall) {
        if (count != 1 || params->rgvarg[0].vt != VT_BSTR) return E_INVALIDARG;
        // A callback that deletes the control or closes its window has that wait until the call has returned.
        const auto keepWindow = KeepWindowWhileActing();
        // Nothing reaches the callback of a control the application let go of, even while its deletion waits.
        if (m_flashCall && !WatchLifetime().expired())
            m_flashCall(params->rgvarg[0].bstrVal ? params->rgvarg[0].bstrVal : L"");
    }
    return S_OK;
}

LRESULT CFlashUI::TranslateAccelerator(MSG* msg) { return TranslateKeyThrough(m_player, msg); }

}  // namespace SkinUI
