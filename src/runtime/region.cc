// One region of 2 MiB on a 2 MiB boundary, mapped at the first need and
// handed out from the front.
#include "region.h"

#include <sys/mman.h>

#include <cstdint>
#include <new>

namespace kvb {
namespace {

constexpr std::size_t kHugePage = std::size_t{1} << 21;
constexpr std::size_t kAlignment = 64;

struct Region {
  char* next = nullptr;
  char* end = nullptr;
  bool mapped = false;  // tried already
} region;

// Maps twice the size and keeps the aligned half, so that the kernel can
// give it one huge page; where it will not (transparent huge pages off, or
// no madvise), the pages are ordinary ones, touched only as they are used.
void map_region() {
  region.mapped = true;
  void* p = ::mmap(nullptr, 2 * kHugePage, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (p == MAP_FAILED) return;
  auto* start = static_cast<char*>(p);
  auto* aligned = reinterpret_cast<char*>((reinterpret_cast<std::uintptr_t>(start) + kHugePage - 1) & ~(kHugePage - 1));
  if (aligned > start) ::munmap(start, static_cast<std::size_t>(aligned - start));
  if (char* tail = aligned + kHugePage; tail < start + 2 * kHugePage)
    ::munmap(tail, static_cast<std::size_t>(start + 2 * kHugePage - tail));
  ::madvise(aligned, kHugePage, MADV_HUGEPAGE);  // a wish: either way the memory is there
  region.next = aligned;
  region.end = aligned + kHugePage;
}

}  // namespace

void* take_memory(std::size_t n) {
  if (!region.mapped) map_region();
  n = (n + kAlignment - 1) & ~(kAlignment - 1);
  if (static_cast<std::size_t>(region.end - region.next) >= n) {
    char* p = region.next;
    region.next += n;
    return p;  // a fresh mapping is zeroed
  }
  void* p = ::operator new (n, std::align_val_t{kAlignment}, std::nothrow);
  return p ? __builtin_memset(p, 0, n) : nullptr;
}

}  // namespace kvb
