#include "ChannelName.h"
#include "ClientId.h"
#include "SplitString.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

void ExpectChannel(const std::wstring& fileName, const std::wstring& channel, int subChannel)
{
    const ChannelChoice choice = ChannelFromFileName(fileName);
    EXPECT_EQ(choice.channel, channel) << fileName.size();
    EXPECT_EQ(choice.subChannel, subChannel) << fileName.size();
}

TEST(SplitWideTest, KeepsEveryPiece)
{
    using Pieces = std::vector<std::wstring>;
    EXPECT_EQ(SplitWide(L"abc-7", L"-"), (Pieces{L"abc", L"7"}));
    EXPECT_EQ(SplitWide(L"-5", L"-"), (Pieces{L"", L"5"}));
    EXPECT_EQ(SplitWide(L"a--", L"-"), (Pieces{L"a", L"", L""}));
    EXPECT_EQ(SplitWide(L"", L"-"), (Pieces{L""}));
}

TEST(ChannelNameTest, NamesWithoutTwoUnderscoresServeTheFrontChannel)
{
    ExpectChannel(L"Setup", L"front", 0);
    ExpectChannel(L"Setup_abc", L"front", 0);
    ExpectChannel(L"Setup__x", L"front", 0);
    ExpectChannel(L"", L"front", 0);
}

TEST(ChannelNameTest, TextBetweenTheFirstTwoUnderscoresNamesChannelAndSubChannel)
{
    ExpectChannel(L"Setup_abc-7_x", L"abc", 7);
    ExpectChannel(L"Setup_abc_", L"abc", 0);
    ExpectChannel(L"Setup_abc_def_ghi", L"abc", 0);
    ExpectChannel(L"_abc_", L"abc", 0);
    ExpectChannel(L"Setup_\u6e38\u620f-2_x", L"\u6e38\u620f", 2);
}

TEST(ChannelNameTest, SubChannelReadsLikeAtoi)
{
    ExpectChannel(L"Setup_-5_x", L"", 5);
    ExpectChannel(L"Setup_front-x_1", L"front", 0);
    ExpectChannel(L"Setup_abc-12x_1", L"abc", 12);
    ExpectChannel(L"Setup_abc- 3_1", L"abc", 3);
    ExpectChannel(L"Setup_abc--4_1", L"abc", 0);
    ExpectChannel(L"Setup_abc-3-9_1", L"abc", 3);
    ExpectChannel(L"Setup_abc-99999999999_1", L"abc", INT_MAX);
}

NetworkAdapter Adapter(unsigned type, const std::string& ip, std::vector<unsigned char> address)
{
    return NetworkAdapter{type, ip, std::move(address)};
}

TEST(ClientIdTest, PicksTheFirstEthernetOrWirelessAdapterWithAnAddress)
{
    const std::vector<unsigned char> first{0x01, 0x02, 0x03, 0x04, 0x05, 0x06};
    const std::vector<unsigned char> second{0xAA, 0xBB, 0xCC, 0x0D, 0xEE, 0xFF};
    EXPECT_EQ(SelectClientMacAddress({Adapter(6, "10.0.0.2", first), Adapter(71, "10.0.0.3", second)}),
              "01-02-03-04-05-06");
    EXPECT_EQ(SelectClientMacAddress({Adapter(6, "0.0.0.0", first), Adapter(71, "10.0.0.3", second)}),
              "AA-BB-CC-0D-EE-FF");
    EXPECT_EQ(SelectClientMacAddress({Adapter(24, "127.0.0.1", first), Adapter(23, "10.0.0.9", first)}), "");
    EXPECT_EQ(SelectClientMacAddress({Adapter(6, "10.0.0.2", {0x01, 0x02, 0x03, 0x04})}), "");
    EXPECT_EQ(SelectClientMacAddress({}), "");
}

TEST(ClientIdTest, AdapterWithoutAnIpAddressGivesIdZero)
{
    const std::string address = SelectClientMacAddress({Adapter(6, "0.0.0.0", {1, 2, 3, 4, 5, 6})});
    EXPECT_EQ(MacClientIdFromAddress(address), 0u);
}

TEST(ClientIdTest, SumsOctetsInPowersOfAThousand)
{
    EXPECT_EQ(MacClientIdFromAddress("01-02-03-04-05-06"), 6005004003002001u);
    EXPECT_EQ(MacClientIdFromAddress("FF-FF-FF-FF-FF-FF"), 255255255255255255u);
    EXPECT_EQ(MacClientIdFromAddress("0A-00-00-00-00-00"), 10u);
    EXPECT_EQ(MacClientIdFromAddress(""), 0u);
}

} // namespace
