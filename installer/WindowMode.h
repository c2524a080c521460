#pragma once

#include <windows.h>

// The installer with its windows: skin from the program's resources, configuration fetched in the
// background, main window and message loop, then the orderly shutdown of REST work, window,
// framework and COM. The caller tears the download engine down afterwards.
void RunWindowMode(HINSTANCE instance);
