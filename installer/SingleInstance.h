#pragma once

// True when no other installer holds the named event. The first instance keeps the event open for
// the rest of its life: its existence is what later copies see.
bool IsFirstInstance(const char* eventName);

// Opens (or creates) the named event and keeps it for the rest of the process, whether or not another
// copy holds it too. The elevated relaunch starts while the first copy still holds the event; holding
// it as well lets the copies started after the first one has ended still find a running installer.
void HoldInstanceEvent(const char* eventName);
