#include "AppSettings.h"

#include "ChannelName.h"

#include <windows.h>
#include <shlwapi.h>

namespace {

// The executable's file name without folder and extension.
std::wstring ExecutableBaseName()
{
    wchar_t path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return {};
    PathStripPathW(path);
    PathRemoveExtensionW(path);
    return path;
}

} // namespace

AppSettings* AppSettings::Instance()
{
    // The function-local static is initialised once, safely across threads.
    static AppSettings* const instance = new AppSettings();
    return instance;
}

AppSettings::AppSettings()
{
    const ChannelChoice choice = ChannelFromFileName(ExecutableBaseName());
    m_channel = choice.channel;
    m_subChannel = choice.subChannel;
}

std::wstring AppSettings::GetChannel()
{
    std::lock_guard<std::mutex> guard(m_lock);
    return m_channel;
}

int AppSettings::GetSubChannel()
{
    std::lock_guard<std::mutex> guard(m_lock);
    return m_subChannel;
}

std::wstring AppSettings::GetUploadUrlLocked()
{
    std::lock_guard<std::mutex> guard(m_lock);
    return m_uploadUrl;
}

void AppSettings::SetUploadUrlLocked(const std::wstring& url)
{
    std::lock_guard<std::mutex> guard(m_lock);
    m_uploadUrl = url;
}
