#pragma once

// True when no other installer holds the named event. The first instance keeps the event open for
// the rest of its life: its existence is what later copies see.
bool IsFirstInstance(const char* eventName);
