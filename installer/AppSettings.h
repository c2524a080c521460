#pragma once

#include <pplx/pplxtasks.h>

#include <mutex>
#include <string>

// The values the installer's parts share for the whole run: the download channel and sub-channel
// (from the executable's name), the behaviour-report address (from the configuration server) and the
// cancellation source that stops every REST request at shutdown. Any thread may use it.
class AppSettings {
public:
    // Created on first use, never destroyed: thread-pool work may still read it while the process ends.
    static AppSettings* Instance();

    AppSettings(const AppSettings&) = delete;
    AppSettings& operator=(const AppSettings&) = delete;

    std::wstring GetChannel();
    int GetSubChannel();
    // Empty until the configuration reply named one.
    std::wstring GetUploadUrlLocked();
    void SetUploadUrlLocked(const std::wstring& url);

    // Every REST request takes its token; cancelling it at shutdown ends them all.
    pplx::cancellation_token_source& CancellationSource() { return m_cancellationSource; }

private:
    AppSettings();

    pplx::cancellation_token_source m_cancellationSource;
    std::mutex m_lock;
    std::wstring m_uploadUrl;
    std::wstring m_channel;
    int m_subChannel = 0;
};
