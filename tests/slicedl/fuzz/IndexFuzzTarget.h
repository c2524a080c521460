// One input of the index loader fuzzer: shared by the libFuzzer target and the corpus replay.
#pragma once

#include <cstddef>
#include <cstdint>

// Aborts when an accepted index breaks the loader's promises (slices tile the file, capacities
// fit, the index survives a write and a second read unchanged).
void FuzzIndexLoader(const uint8_t* data, size_t size);
