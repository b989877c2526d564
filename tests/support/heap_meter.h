// Counts the bytes the test program holds through operator new, so a test
// can bound what an operation needs at its peak. Linking heap_meter.cpp
// replaces the global operator new and delete of the whole program.
#pragma once

#include <cstddef>

namespace ambrelix::test_support {

// Bytes allocated with operator new and not yet deleted.
std::size_t HeapInUse();
// The most HeapInUse has been since the last ResetHeapPeak.
std::size_t HeapPeak();
void ResetHeapPeak();

}  // namespace ambrelix::test_support
