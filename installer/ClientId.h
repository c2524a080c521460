#pragma once

#include <cstdint>
#include <string>
#include <vector>

// What the client id is made of: the hardware address of one network adapter.
struct NetworkAdapter {
    unsigned type = 0;                  // IF_TYPE_* (6 Ethernet, 71 IEEE 802.11)
    std::string ipAddress;              // first IP address as text, "0.0.0.0" when it has none
    std::vector<unsigned char> address; // hardware address bytes
};

// "XX-XX-XX-XX-XX-XX" (upper-case hex) of the first Ethernet or wireless adapter, in the given order,
// that has an IP address and a six-byte hardware address; empty when there is none.
std::string SelectClientMacAddress(const std::vector<NetworkAdapter>& adapters);

// Sums octet i (first octet first) times 10^(3i): "01-02-03-04-05-06" gives 6005004003002001.
// An empty text gives 0; a piece that is not hexadecimal counts as 0.
uint64_t MacClientIdFromAddress(const std::string& macAddress);
