#pragma once

// Process exit codes. Window mode (a second copy in window mode included) always ends with Success;
// the silent installation ends with Success only when the client's setup was started.
enum class ExitCode : int {
    Success = 0,
    InstallFolderFailed = 1,  // no folder or one in doubt given, or it could not be created or is too long for the setup
    DownloadFailed = 2,       // the download ended with a failure (files for resuming are kept)
    SetupStartFailed = 3,     // the downloaded setup could not be started
    InternalError = 4,        // an unexpected failure inside the installer (a crash dump was written)
    AlreadyRunning = 5,       // silent mode: another installation is already running; nothing was done
};
