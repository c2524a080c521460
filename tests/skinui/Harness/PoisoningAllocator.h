#pragma once

#include <string>

namespace SkinUI::Testing {

// Looks through every block the poisoning allocator still holds back for one written after its delete.
// True with a description of the first such block; that block is poisoned again, so it is reported once.
bool FindWriteAfterFree(std::string& description);

}  // namespace SkinUI::Testing
