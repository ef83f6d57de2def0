// Memory for the big tables and file buffers. Fresh pages are expensive to
// fault in one by one; blocks of a megabyte or more are placed on 2 MB
// boundaries and offered huge pages where the system has them.
#pragma once

#include <cstddef>
#include <new>

namespace zelvo {

// Zero-filled memory of `bytes` bytes; throws std::bad_alloc.
void* AllocateLarge(std::size_t bytes);
// Frees what AllocateLarge returned, given the same size.
void FreeLarge(void* p, std::size_t bytes) noexcept;

template <typename T>
struct LargeAllocator {
  using value_type = T;
  LargeAllocator() = default;
  template <typename U>
  LargeAllocator(const LargeAllocator<U>&) noexcept {}
  T* allocate(std::size_t n) { return static_cast<T*>(AllocateLarge(n * sizeof(T))); }
  void deallocate(T* p, std::size_t n) noexcept { FreeLarge(p, n * sizeof(T)); }
  template <typename U>
  bool operator==(const LargeAllocator<U>&) const noexcept {
    return true;
  }
};

}  // namespace zelvo
