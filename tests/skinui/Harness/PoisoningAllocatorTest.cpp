// The detector itself: a write into a deleted block is found while the block is still held back, so a
// test that frees little (and never pushes the block out of the quarantine) still fails by name.
#include "PoisoningAllocator.h"

#include <gtest/gtest.h>

#include <string>

using SkinUI::Testing::FindWriteAfterFree;

TEST(PoisoningAllocator, FindsAWriteAfterFreeBeforeTheBlockLeavesTheQuarantine)
{
    std::string description;
    ASSERT_FALSE(FindWriteAfterFree(description)) << description;

    int* block = new int[8];
    volatile int* stale = block;
    delete[] block;
    stale[3] = 42;
    ASSERT_TRUE(FindWriteAfterFree(description));
    EXPECT_NE(std::string::npos, description.find("at offset 12 after its delete")) << description;
    EXPECT_FALSE(FindWriteAfterFree(description)) << "the same write reported twice";
}
