#include "ClientId.h"

#include "SplitString.h"

#include <cstdio>
#include <cstdlib>

namespace {

constexpr unsigned kEthernet = 6;
constexpr unsigned kIeee80211 = 71;
constexpr size_t kMacLength = 6;

bool QualifiesForClientId(const NetworkAdapter& adapter)
{
    return (adapter.type == kEthernet || adapter.type == kIeee80211) && adapter.ipAddress != "0.0.0.0" &&
           adapter.address.size() == kMacLength;
}

} // namespace

std::string SelectClientMacAddress(const std::vector<NetworkAdapter>& adapters)
{
    for (const NetworkAdapter& adapter : adapters) {
        if (!QualifiesForClientId(adapter))
            continue;
        const std::vector<unsigned char>& a = adapter.address;
        char text[18] = {};
        std::snprintf(text, sizeof text, "%02X-%02X-%02X-%02X-%02X-%02X", a[0], a[1], a[2], a[3], a[4], a[5]);
        return text;
    }
    return {};
}

uint64_t MacClientIdFromAddress(const std::string& macAddress)
{
    if (macAddress.empty())
        return 0;
    uint64_t id = 0;
    uint64_t weight = 1;
    for (const std::string& piece : SplitString(macAddress, "-", true)) {
        id += static_cast<uint64_t>(std::strtol(piece.c_str(), nullptr, 16)) * weight;
        weight *= 1000;
    }
    return id;
}
