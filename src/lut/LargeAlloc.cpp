#include "lut/LargeAlloc.h"

#include <cstdint>
#include <cstdlib>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace zelvo {

namespace {

constexpr std::size_t kLargeBlock = std::size_t{1} << 20;
[[maybe_unused]] constexpr std::size_t kHugePage = std::size_t{2} << 20;

[[maybe_unused]] std::size_t RoundUp(std::size_t n, std::size_t to) { return (n + to - 1) / to * to; }

}  // namespace

void* AllocateLarge(std::size_t bytes) {
  if (bytes == 0) bytes = 1;
#if defined(__linux__)
  if (bytes >= kLargeBlock) {
    const std::size_t size = RoundUp(bytes, kHugePage);
    const std::size_t span = size + kHugePage;
    void* raw = mmap(nullptr, span, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (raw == MAP_FAILED) throw std::bad_alloc();
    const auto start = reinterpret_cast<std::uintptr_t>(raw);
    const std::uintptr_t aligned = RoundUp(start, kHugePage);
    if (aligned > start) munmap(raw, aligned - start);
    const std::uintptr_t tail = aligned + size;
    if (start + span > tail) munmap(reinterpret_cast<void*>(tail), start + span - tail);
    void* p = reinterpret_cast<void*>(aligned);
    madvise(p, size, MADV_HUGEPAGE);  // advice only: ignored where unsupported
    return p;  // anonymous pages are zero
  }
#endif
  void* p = std::calloc(1, bytes);
  if (p == nullptr) throw std::bad_alloc();
  return p;
}

void FreeLarge(void* p, std::size_t bytes) noexcept {
  if (p == nullptr) return;
  if (bytes == 0) bytes = 1;
#if defined(__linux__)
  if (bytes >= kLargeBlock) {
    munmap(p, RoundUp(bytes, kHugePage));
    return;
  }
#endif
  std::free(p);
}

}  // namespace zelvo
