#include "base/LargeAlloc.h"

#include <cstdint>
#include <cstdlib>

#if defined(__linux__)
#include <sys/mman.h>
#endif

#if defined(__SANITIZE_ADDRESS__)
#define ZELVO_HEAP_ONLY 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define ZELVO_HEAP_ONLY 1
#endif
#endif

namespace zelvo {

namespace {

// From this size on a block gets pages of its own, rounded up to whole huge
// pages. Faulting in small pages one by one costs far more than the memory a
// rounded-up block leaves unused (measured: about 2.5 ms per megabyte against
// 0.1 ms in huge pages on a virtual machine).
[[maybe_unused]] constexpr std::size_t kLargeBlock = std::size_t{256} << 10;
[[maybe_unused]] constexpr std::size_t kHugePage = std::size_t{2} << 20;

[[maybe_unused]] std::size_t RoundUp(std::size_t n, std::size_t to) { return (n + to - 1) / to * to; }

[[maybe_unused]] bool UsesPages(std::size_t bytes) {
#if defined(__linux__) && !defined(ZELVO_HEAP_ONLY)
  return bytes >= kLargeBlock;
#else
  (void)bytes;
  return false;
#endif
}

}  // namespace

namespace {

#if defined(__linux__) && !defined(ZELVO_HEAP_ONLY)
// One freed block per thread, kept for the next large allocation: when that
// one is of the same rounded size and need not be zero, it takes the block
// (reading a file and then writing one of about the same size use the same
// pages twice); otherwise the block is given back first.
constexpr std::size_t kMaxKeptBlock = std::size_t{64} << 20;

struct KeptBlock {
  void* p = nullptr;
  std::size_t size = 0;
  ~KeptBlock() {
    if (p != nullptr) munmap(p, size);
  }
};

thread_local KeptBlock kept_block;

void* MapPages(std::size_t size) {
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

}  // namespace

void* AllocateLarge(std::size_t bytes, bool zeroed) {
  if (bytes == 0) bytes = 1;
#if defined(__linux__) && !defined(ZELVO_HEAP_ONLY)
  if (UsesPages(bytes)) {
    const std::size_t size = RoundUp(bytes, kHugePage);
    if (kept_block.p != nullptr) {
      void* p = kept_block.p;
      const std::size_t kept = kept_block.size;
      kept_block.p = nullptr;
      kept_block.size = 0;
      if (!zeroed && kept == size) return p;
      // Not of use here: give it back rather than hold it beside the new block.
      munmap(p, kept);
    }
    return MapPages(size);
  }
#endif
  void* p = zeroed ? std::calloc(1, bytes) : std::malloc(bytes);
  if (p == nullptr) throw std::bad_alloc();
  return p;
}

void FreeLarge(void* p, std::size_t bytes) noexcept {
  if (p == nullptr) return;
  if (bytes == 0) bytes = 1;
#if defined(__linux__) && !defined(ZELVO_HEAP_ONLY)
  if (UsesPages(bytes)) {
    const std::size_t size = RoundUp(bytes, kHugePage);
    if (kept_block.p == nullptr && size <= kMaxKeptBlock) {
      kept_block.p = p;
      kept_block.size = size;
      return;
    }
    munmap(p, size);
    return;
  }
#endif
  std::free(p);
}

void GiveBackKeptBlock() noexcept {
#if defined(__linux__) && !defined(ZELVO_HEAP_ONLY)
  if (kept_block.p != nullptr) munmap(kept_block.p, kept_block.size);
  kept_block.p = nullptr;
  kept_block.size = 0;
#endif
}

}  // namespace zelvo
