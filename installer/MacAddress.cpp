#include "MacAddress.h"

#include "ClientId.h"

#include <winsock2.h>
#include <windows.h>
#include <iphlpapi.h>

#include <vector>

namespace {

std::vector<NetworkAdapter> ListAdapters()
{
    std::vector<unsigned char> buffer(sizeof(IP_ADAPTER_INFO) * 8);
    ULONG size = static_cast<ULONG>(buffer.size());
    DWORD status = GetAdaptersInfo(reinterpret_cast<IP_ADAPTER_INFO*>(buffer.data()), &size);
    // The list may grow between the two calls: ask again until it fits.
    for (int attempt = 0; status == ERROR_BUFFER_OVERFLOW && attempt < 4; ++attempt) {
        buffer.resize(size);
        status = GetAdaptersInfo(reinterpret_cast<IP_ADAPTER_INFO*>(buffer.data()), &size);
    }
    std::vector<NetworkAdapter> adapters;
    if (status != NO_ERROR)
        return adapters;
    for (auto* info = reinterpret_cast<const IP_ADAPTER_INFO*>(buffer.data()); info; info = info->Next) {
        NetworkAdapter adapter;
        adapter.type = info->Type;
        adapter.ipAddress = info->IpAddressList.IpAddress.String;
        const UINT length = info->AddressLength < MAX_ADAPTER_ADDRESS_LENGTH ? info->AddressLength
                                                                              : MAX_ADAPTER_ADDRESS_LENGTH;
        adapter.address.assign(info->Address, info->Address + length);
        adapters.push_back(std::move(adapter));
    }
    return adapters;
}

} // namespace

std::string GetMacAddress()
{
    return SelectClientMacAddress(ListAdapters());
}

uint64_t GetMacClientId()
{
    return MacClientIdFromAddress(GetMacAddress());
}
