#pragma once

#include <windows.h>

// The installer's one start-up sequence: command line, single instance, engine and logger set-up,
// then the silent installation (key "dir") or the window mode. Returns the process exit code.
int AppMain(HINSTANCE instance);
