// Memory for the run's large buffers, taken once: the program's arrays and
// the units' record buffers, side by side in one region that the kernel may
// back with a single huge page, so that it is touched once rather than page
// by page (a first touch of a page costs some 9 us on the machines this runs on).
#pragma once

#include <cstddef>

namespace kvb {

// A unit's record buffer: its bytes, and the slack past them that a load
// may read or an edit may spoil (never delivered, never written out).
// 256 KiB: the largest run's system time fell by a quarter from 64 KiB (7
// writes of the CSV, not 22); 1 MiB buffers would no longer fit the region.
constexpr std::size_t kRecordBufferSize = 1 << 18;
constexpr std::size_t kRecordBufferSlack = 16;
constexpr std::size_t kRecordBufferBytes = kRecordBufferSize + kRecordBufferSlack;

// n zeroed bytes, aligned to 64, kept until the end of the run: from the
// region while it has room, else from the heap; nullptr when there is no
// memory at all.
void* take_memory(std::size_t n);

}  // namespace kvb
