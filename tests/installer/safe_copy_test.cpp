#include "SafeCopy.h"

#include <gtest/gtest.h>

TEST(SafeCopyW, CopiesWhatFitsAndAlwaysTerminates)
{
    wchar_t buffer[6];
    EXPECT_EQ(SafeCopyW(buffer, 6, L"abcde"), S_OK);
    EXPECT_STREQ(buffer, L"abcde");

    EXPECT_EQ(SafeCopyW(buffer, 6, L"abcdefgh"), static_cast<HRESULT>(0x8007007A));
    EXPECT_STREQ(buffer, L"abcde");

    EXPECT_EQ(SafeCopyW(buffer, 1, L"abc"), static_cast<HRESULT>(0x8007007A));
    EXPECT_STREQ(buffer, L"");
}

TEST(SafeCopyW, RefusesImpossibleCapacities)
{
    wchar_t buffer[4] = L"xyz";
    EXPECT_EQ(SafeCopyW(buffer, 0, L"a"), E_INVALIDARG);
    EXPECT_STREQ(buffer, L"xyz") << "nothing may be written into a buffer of no size";

    EXPECT_EQ(SafeCopyW(buffer, size_t{0x80000000}, L"a"), E_INVALIDARG);
    EXPECT_STREQ(buffer, L"");
}
