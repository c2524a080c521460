#pragma once

#include <string>

// Opens `url` in the user's default browser; false when that could not be started.
bool OpenInBrowser(const std::wstring& url);
