// Benchmark driver: downloads URL into TARGET with SLICES slices in flight (the file cut into
// that many slices) and prints the result code and the wall time.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "Downloader.h"

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: %s URL TARGET SLICES\n", argv[0]);
    return 2;
  }
  const int slices = std::atoi(argv[3]);
  slicedl::GlobalInit();
  int code;
  double seconds;
  {
    slicedl::Downloader downloader;
    if (downloader.setThreadNum(slices) != slicedl::Result::Success) return 2;
    downloader.setSlicePolicy(slicedl::SlicePolicy::FixedNum, slices);
    const auto begin = std::chrono::steady_clock::now();
    code = static_cast<int>(downloader.start(argv[1], argv[2], {}, {}, {}).get());
    seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
  }
  slicedl::GlobalUnInit();
  std::printf("result %d wall %.3f s\n", code, seconds);
  return code;
}
