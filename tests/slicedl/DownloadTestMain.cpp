// The download tests' own main: with "--child-download URL TARGET" the executable is the child
// process that the kill test starts and kills mid-run.
#include <gtest/gtest.h>

#include <cstring>

#include "Downloader.h"

int main(int argc, char** argv) {
  if (argc == 4 && std::strcmp(argv[1], "--child-download") == 0) {
    slicedl::GlobalInit();
    slicedl::Downloader downloader;
    downloader.setThreadNum(4);
    downloader.setSlicePolicy(slicedl::SlicePolicy::FixedSize, 1 << 20);
    return static_cast<int>(downloader.start(argv[2], argv[3], {}, {}, {}).get());
  }
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
