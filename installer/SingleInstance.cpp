#include "SingleInstance.h"

#include <windows.h>

bool IsFirstInstance(const char* eventName)
{
    HANDLE event = CreateEventA(nullptr, TRUE, FALSE, eventName);
    const DWORD error = GetLastError();
    if (event == nullptr)
        return error != ERROR_ACCESS_DENIED;  // held by an instance of another security context
    if (error == ERROR_ALREADY_EXISTS) {
        CloseHandle(event);
        return false;
    }
    return true;  // the handle stays open on purpose
}

void HoldInstanceEvent(const char* eventName)
{
    // The handle stays open on purpose, also when the event already existed.
    CreateEventA(nullptr, TRUE, FALSE, eventName);
}
