// After each test the poisoning allocator's quarantine is searched for writes after free, so the test
// that made one fails by name, however few blocks it freed.
#include "PoisoningAllocator.h"

#include <gtest/gtest.h>

namespace SkinUI::Testing {
namespace {

class QuarantineCheck : public testing::EmptyTestEventListener {
public:
    void OnTestEnd(const testing::TestInfo&) override
    {
        std::string description;
        if (FindWriteAfterFree(description)) ADD_FAILURE() << description;
    }
};

const bool g_registered = [] {
    testing::UnitTest::GetInstance()->listeners().Append(new QuarantineCheck);
    return true;
}();

}  // namespace
}  // namespace SkinUI::Testing
