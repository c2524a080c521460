#pragma once

#include <cstdint>
#include <string>

// "XX-XX-XX-XX-XX-XX" of the machine's first Ethernet or wireless adapter with an IP address, in the
// order the system lists them; empty when there is none.
std::string GetMacAddress();

// The behaviour reports' client id, derived from GetMacAddress(); 0 without a suitable adapter.
uint64_t GetMacClientId();
