#pragma once

#include "ExitCode.h"

#include <string>

// Downloads the client's setup into `installFolder` without any window and starts it with
// "/installdir" and the folder. Success only when the setup was started.
ExitCode RunSilentInstall(const std::wstring& installFolder);
