#pragma once

#include "Control/UIActiveX.h"

#include <functional>
#include <vector>

namespace SkinUI {

// The Flash player control: plays a movie from the skin, a module resource or a file, and hands the
// movie's external calls to a callback, inside a dispatch of the control's window. Once the framework
// deletes it, the control lives on only for the player's references to the events face.
class CFlashUI : public CActiveXUI, public IDispatch, public ITranslateAccelerator {
public:
    using FlashCallCallback = std::function<void(const wchar_t* request)>;

    CFlashUI();
    ~CFlashUI() override;

    static CControlUI* CreateInstance() { return new CFlashUI(); }

    const wchar_t* GetClass() const override { return L"Flash"; }
    void* GetInterface(const wchar_t* name) override;
    void SetAttribute(const wchar_t* name, const wchar_t* value) override;
    void ReleaseHostedControl() override;
    bool CreateHostedControl() override;
    void OnControlCreated() override;

    void SetFlashCallCallback(FlashCallCallback callback) { m_flashCall = std::move(callback); }
    const CUIString& GetMoviePath() const { return m_moviePath; }
    const CUIString& GetResourceType() const { return m_resourceType; }
    // Reads the movie (from a module resource when a type is given, else from the skin, else as a file)
    // and loads it into the player through its stream persistence.
    static bool LoadMovieData(IUnknown* player, const wchar_t* name, const wchar_t* resourceType,
                              HINSTANCE module = nullptr);

    // IUnknown, IDispatch: the player's events
    STDMETHOD(QueryInterface)(REFIID iid, void** out) override;
    STDMETHOD_(ULONG, AddRef)() override;
    STDMETHOD_(ULONG, Release)() override;
    STDMETHOD(GetTypeInfoCount)(UINT*) override { return E_NOTIMPL; }
    STDMETHOD(GetTypeInfo)(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHOD(GetIDsOfNames)(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    STDMETHOD(Invoke)(DISPID id, REFIID iid, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*, UINT*) override;

    LRESULT TranslateAccelerator(MSG* msg) override;

protected:
    void DeleteSelf() override;

private:
    HRESULT ConnectEvents(bool connect);
    void LoadMovie();

    DWORD m_eventCookie = 0;
    // The player's dual interface, driven through its dispatch names.
    IDispatch* m_player = nullptr;
    CUIString m_moviePath;
    CUIString m_resourceType;
    FlashCallCallback m_flashCall;
};

// The bytes the player's stream persistence reads: "fUfU", the length (little-endian), the movie.
std::vector<unsigned char> FlashMovieStreamBytes(const std::vector<unsigned char>& movie);

}  // namespace SkinUI
