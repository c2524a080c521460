// Replays the index fuzzer's corpus in every build (under Wine too), so what the fuzzer once
// found stays fixed.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "IndexFuzzTarget.h"

namespace {

std::filesystem::path CorpusDirectory() {
  std::string source = TOLVAN_SOURCE_DIR;
#ifdef _WIN32
  if (!source.empty() && source[0] == '/') source = "Z:" + source;  // Wine maps the Unix root to Z:
#endif
  return std::filesystem::path(source) / "tests" / "slicedl" / "fuzz" / "corpus";
}

}  // namespace

TEST(IndexFuzzCorpus, EveryInputIsHandled) {
  int inputs = 0;
  for (const auto& entry : std::filesystem::directory_iterator(CorpusDirectory())) {
    if (!entry.is_regular_file()) continue;
    std::ifstream in(entry.path(), std::ios::binary);
    const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    FuzzIndexLoader(bytes.data(), bytes.size());
    ++inputs;
  }
  EXPECT_GE(inputs, 5);
}
