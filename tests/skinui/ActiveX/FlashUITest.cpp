#include "ActiveXHostTest.h"
#include "DebugOutputCapture.h"
#include "Control/UIFlash.h"
#include "SkinTestData.h"

#include <gtest/gtest.h>

#include <string>

using namespace SkinUI;
using namespace SkinUI::Testing;

namespace {

constexpr CLSID kFlashClsid = {0xd27cdb6e, 0xae6d, 0x11cf, {0x96, 0xb8, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
constexpr IID kShockwaveFlashIid = {0xd27cdb6c, 0xae6d, 0x11cf, {0x96, 0xb8, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
constexpr IID kShockwaveFlashEventsIid = {0xd27cdb6d, 0xae6d, 0x11cf, {0x96, 0xb8, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};

std::vector<BYTE> StreamOf(const std::vector<unsigned char>& movie)
{
    std::vector<BYTE> bytes = {'f', 'U', 'f', 'U'};
    const auto length = static_cast<uint32_t>(movie.size());
    bytes.push_back(static_cast<BYTE>(length));
    bytes.push_back(static_cast<BYTE>(length >> 8));
    bytes.push_back(static_cast<BYTE>(length >> 16));
    bytes.push_back(static_cast<BYTE>(length >> 24));
    bytes.insert(bytes.end(), movie.begin(), movie.end());
    return bytes;
}

class FlashTest : public HostingTest {
protected:
    // A stand-in player registered under the player's own class for this process.
    void RegisterPlayer()
    {
        TestControlOptions options;
        options.dualInterface = kShockwaveFlashIid;
        Register(options, kFlashClsid);
    }
    TestOleControl* ShowFlash(const wchar_t* path = nullptr, const wchar_t* resourceType = nullptr)
    {
        m_flash = new CFlashUI();
        if (path) m_flash->SetAttribute(L"path", path);
        if (resourceType) m_flash->SetAttribute(L"restype", resourceType);
        return Show(m_flash);
    }
    HRESULT Fire(DISPID id, std::vector<VARIANT> arguments)
    {
        DISPPARAMS params = {arguments.data(), nullptr, static_cast<UINT>(arguments.size()), 0};
        const HRESULT hr = m_flash->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr,
                                           nullptr, nullptr);
        for (VARIANT& value : arguments) ::VariantClear(&value);
        return hr;
    }
    static VARIANT Text(const wchar_t* text)
    {
        VARIANT value;
        ::VariantInit(&value);
        value.vt = VT_BSTR;
        value.bstrVal = ::SysAllocString(text);
        return value;
    }
    static VARIANT Number(long number)
    {
        VARIANT value;
        ::VariantInit(&value);
        value.vt = VT_I4;
        value.lVal = number;
        return value;
    }

    CFlashUI* m_flash = nullptr;
};

TEST_F(FlashTest, MissingPlayerFailsCleanly)
{
    DebugOutputCapture output;
    EXPECT_EQ(nullptr, ShowFlash(L"movie.swf"));
    EXPECT_TRUE(output.WaitForLineWith("CActiveXUI CoCreateInstance failed, hr="));
    EXPECT_FALSE(m_flash->CreateHostedControl());
    IUnknown* unknown = nullptr;
    EXPECT_EQ(E_PENDING, m_flash->QueryHostedControl(IID_IUnknown, reinterpret_cast<void**>(&unknown)));
    m_flash->SetAttribute(L"path", L"other.swf");
    EXPECT_EQ(CUIString(L"other.swf"), m_flash->GetMoviePath());
    Window().Repaint();
}

TEST_F(FlashTest, PathSetBeforeCreationLoadsTheMovieFileDuringCreation)
{
    RegisterPlayer();
    const std::wstring path = SkinDataPath("quad.png");
    TestOleControl* player = ShowFlash(path.c_str());
    ASSERT_NE(nullptr, player);
    EXPECT_EQ(L"Transparent", player->properties[L"WMode"]);
    EXPECT_EQ(path, player->properties[L"Movie"]);
    EXPECT_EQ(L"always", player->properties[L"AllowScriptAccess"]);
    ASSERT_EQ(1u, player->calls.size());
    EXPECT_EQ(L"DisableLocalSecurity", player->calls[0]);
    EXPECT_EQ(StreamOf(ReadDataFile("quad.png")), player->loadedStream);
}

TEST_F(FlashTest, MovieComesFromTheSkinZipAndReloadsWhenThePathChanges)
{
    SkinZipScope zip;
    ASSERT_TRUE(zip.loaded);
    RegisterPlayer();
    TestOleControl* player = ShowFlash(L"image\\quad.png");
    ASSERT_NE(nullptr, player);
    std::vector<unsigned char> expected;
    ASSERT_TRUE(CPainter::ReadSkinFile(L"image/quad.png", expected));
    EXPECT_EQ(StreamOf(expected), player->loadedStream);

    m_flash->SetAttribute(L"path", L"image/alpha.png");
    ASSERT_TRUE(CPainter::ReadSkinFile(L"image/alpha.png", expected));
    EXPECT_EQ(StreamOf(expected), player->loadedStream);
}

TEST_F(FlashTest, MovieNotInTheSkinIsReadAsAPlainPath)
{
    SkinZipScope zip;
    RegisterPlayer();
    const std::wstring path = SkinDataPath("quad.png");
    TestOleControl* player = ShowFlash(path.c_str());
    ASSERT_NE(nullptr, player);
    EXPECT_EQ(StreamOf(ReadDataFile("quad.png")), player->loadedStream);
}

TEST_F(FlashTest, ResourceTypeWithoutSuchResourceFallsBackToTheFile)
{
    RegisterPlayer();
    const std::wstring path = SkinDataPath("quad.png");
    TestOleControl* player = ShowFlash(path.c_str(), L"SWF");
    ASSERT_NE(nullptr, player);
    EXPECT_EQ(CUIString(L"SWF"), m_flash->GetResourceType());
    EXPECT_EQ(StreamOf(ReadDataFile("quad.png")), player->loadedStream);
}

TEST_F(FlashTest, MissingMovieLoadsNothing)
{
    RegisterPlayer();
    TestOleControl* player = ShowFlash(L"no-such-movie.swf");
    ASSERT_NE(nullptr, player);
    EXPECT_TRUE(player->loadedStream.empty());
    EXPECT_FALSE(CFlashUI::LoadMovieData(static_cast<IOleObject*>(player), L"", nullptr));
    EXPECT_FALSE(CFlashUI::LoadMovieData(nullptr, L"x.swf", nullptr));
}

TEST_F(FlashTest, PlayerEventsArriveThroughTheConnectedSink)
{
    RegisterPlayer();
    TestOleControl* player = ShowFlash();
    ASSERT_NE(nullptr, player);
    ASSERT_NE(nullptr, player->connectionPoint);
    EXPECT_TRUE(player->connectionPoint->iid == kShockwaveFlashEventsIid);
    EXPECT_EQ(static_cast<IDispatch*>(m_flash), player->connectionPoint->sink);

    std::wstring request;
    m_flash->SetFlashCallCallback([&](const wchar_t* text) { request = text; });
    EXPECT_EQ(S_OK, Fire(197, {Text(L"<invoke name=\"ready\"/>")}));
    EXPECT_EQ(L"<invoke name=\"ready\"/>", request);
    EXPECT_EQ(E_INVALIDARG, Fire(197, {Number(1)}));
    EXPECT_EQ(E_INVALIDARG, Fire(197, {}));

    EXPECT_EQ(DISP_E_BADPARAMCOUNT, Fire(150, {Text(L"quit")}));
    EXPECT_EQ(DISP_E_TYPEMISMATCH, Fire(150, {Text(L"quit"), Number(1)}));
    EXPECT_EQ(S_OK, Fire(150, {Text(L"quit"), Text(L"")}));
    EXPECT_EQ(S_OK, Fire(1958, {}));

    TestOleControl* kept = player;
    kept->AddRef();
    m_flash->ReleaseHostedControl();
    EXPECT_EQ(1, kept->connectionPoint->unadvised);
    kept->Release();
}

// The player still holds the events face when a FlashCall handler does away with the control.
TEST_F(FlashTest, FlashCallDoingAwayWithTheControlLeavesItToThePlayersLastRelease)
{
    RegisterPlayer();
    for (DoneAway how : kEveryWayAway) {
        SCOPED_TRACE(static_cast<int>(how));
        TestOleControl* player = ShowFlash();
        ASSERT_NE(nullptr, player);
        IDispatch* sink = player->connectionPoint->sink;
        ASSERT_NE(nullptr, sink);
        CFlashUI* flash = m_flash;
        bool playerKeptThroughTheCall = false;
        int calls = 0;
        m_flash->SetFlashCallCallback([this, flash, how, &playerKeptThroughTheCall, &calls](const wchar_t*) {
            if (++calls > 1) return;
            DoAwayWith(flash, how);
            playerKeptThroughTheCall = TestOleControl::LiveCount() == 1;
            // A call the player makes before it hears of the deletion (a closed window keeps its tree until
            // the dispatch ends).
            if (how != DoneAway::WindowDestroyed) Fire(197, {Text(L"<invoke name=\"late\"/>")});
        });
        VARIANT request = Text(L"<invoke name=\"quit\"/>");
        DISPPARAMS params = {&request, nullptr, 1, 0};
        EXPECT_TRUE(FireHoldingTheSinkLate(sink, m_flash, 197, &params));
        EXPECT_TRUE(playerKeptThroughTheCall) << "the player is let go of while it makes the call";
        EXPECT_EQ(1, calls) << "a late call reaches the callback of a control the application let go of";
        ::VariantClear(&request);
    }
}

TEST_F(FlashTest, CreatingAgainKeepsOnePlayer)
{
    RegisterPlayer();
    ASSERT_NE(nullptr, ShowFlash());
    EXPECT_TRUE(m_flash->CreateHostedControl());
    EXPECT_TRUE(m_flash->CreateHostedControl());
    EXPECT_EQ(1, TestOleControl::LiveCount());
    EXPECT_EQ(1, TestOleControl::Last()->connectionPoint->advised);
}

TEST_F(FlashTest, EventsFaceAnswersOnlyItsInterfaces)
{
    CFlashUI flash;
    IDispatch* events = nullptr;
    EXPECT_EQ(S_OK, flash.QueryInterface(kShockwaveFlashEventsIid, reinterpret_cast<void**>(&events)));
    events->Release();
    IUnknown* other = nullptr;
    EXPECT_EQ(E_NOINTERFACE, flash.QueryInterface(IID_IOleObject, reinterpret_cast<void**>(&other)));
    EXPECT_STREQ(L"Flash", flash.GetClass());
    EXPECT_EQ(&flash, flash.GetInterface(L"FLASH"));
    MSG key = {nullptr, WM_KEYDOWN, VK_TAB, 0, 0, {}};
    EXPECT_EQ(E_NOTIMPL, flash.TranslateAccelerator(&key));
}

}  // namespace
