// Stands in for the client's setup program: records how it was started, then exits.
// The record goes to the file named by TOLVAN_SETUP_RECORD.
#include "LaunchRecord.h"

#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) { return RecordLaunch(L"TOLVAN_SETUP_RECORD"); }
