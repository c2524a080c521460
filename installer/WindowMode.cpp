#include "WindowMode.h"

#include "AppSettings.h"
#include "CommonConfig.h"
#include "DlgMain.h"
#include "Logger.h"
#include "RestWork.h"
#include "WindowMessages.h"

#include "Core/WindowUIManager.h"

#include <objbase.h>

namespace {

constexpr int kResourceZip = 4;
constexpr UINT kSkinResourceId = 102;
constexpr const wchar_t* kSkinResourceType = L"ZIPRES";
constexpr const wchar_t* kMainWindowTitle = L"Tolvan游戏-在线安装";
// Cancelled requests end within moments; a server that never answers must not hold the exit longer.
constexpr std::chrono::milliseconds kRestWorkEndLimit{2000};

} // namespace

void RunWindowMode(HINSTANCE instance)
{
    using SkinUI::CWindowUIManager;
    CWindowUIManager::SetInstance(instance);
    CWindowUIManager::SetResourceType(kResourceZip);
    CWindowUIManager::SetResourceZip(kSkinResourceId, kSkinResourceType);
    const HRESULT com = ::CoInitialize(nullptr);

    // Nobody waits for the configuration: the reports use the default address until it arrives.
    RestfulClient::WorkToken configWork = RestfulClient::BeginWork();
    RestfulClient::CountUntilDone(RestfulClient::GetCommonConfig().then(OnCommonConfig), std::move(configWork));

    auto* mainWindow = new DlgMain();
    if (mainWindow->Create(nullptr, kMainWindowTitle, kInstallerWindowStyle, 0, 0, 0, kInstallerWindowWidth,
                           kInstallerWindowHeight, nullptr)) {
        mainWindow->SetIcon(kInstallerIcon);
        mainWindow->CenterWindow();
        mainWindow->ShowWindow(true, true);
        CWindowUIManager::MessageLoop();
    } else {
        // No window would ever post WM_QUIT: go straight to the shutdown.
        LogError("Create main window failed, GLE: {}", static_cast<long long>(::GetLastError()));
    }

    AppSettings::Instance()->CancellationSource().cancel();
    delete mainWindow;
    CWindowUIManager::Term();
    if (!RestfulClient::WaitForWorkToEnd(kRestWorkEndLimit))
        LogError("REST work still running at exit after {} ms", static_cast<long long>(kRestWorkEndLimit.count()));
    if (SUCCEEDED(com))
        ::CoUninitialize();
}
