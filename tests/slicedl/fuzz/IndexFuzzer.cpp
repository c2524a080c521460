#include "IndexFuzzTarget.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzIndexLoader(data, size);
  return 0;
}
