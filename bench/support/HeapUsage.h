#pragma once

#include <cstddef>

// Bytes of the heap in use right now: small blocks plus blocks the allocator
// mapped on their own (a large array is not left out).
std::size_t HeapInUse();
