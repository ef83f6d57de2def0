// Memory for the big tables and file buffers. Fresh pages are expensive to
// fault in one by one; blocks of a quarter megabyte or more are placed on 2 MB
// boundaries and offered huge pages where the system has them. Sanitizer
// builds take every block from the ordinary heap, so that an access past the
// end of a table is reported.
#pragma once

#include <cstddef>
#include <new>

namespace zelvo {

// Memory of `bytes` bytes, zero-filled unless `zeroed` is false; throws
// std::bad_alloc. Memory that need not be zero may be a block freed earlier on
// the same thread: zeroing fresh pages is a large part of the cost of a big file.
void* AllocateLarge(std::size_t bytes, bool zeroed = true);
// Frees what AllocateLarge returned, given the same size.
void FreeLarge(void* p, std::size_t bytes) noexcept;
// Gives back the block this thread keeps for its next large allocation: for
// work that holds much memory of the ordinary heap for a long while before
// any such allocation comes.
void GiveBackKeptBlock() noexcept;

// For containers whose elements are always written before they are read.
template <typename T>
struct LargeAllocator {
  using value_type = T;
  LargeAllocator() = default;
  template <typename U>
  LargeAllocator(const LargeAllocator<U>&) noexcept {}
  T* allocate(std::size_t n) { return static_cast<T*>(AllocateLarge(n * sizeof(T), false)); }
  void deallocate(T* p, std::size_t n) noexcept { FreeLarge(p, n * sizeof(T)); }
  template <typename U>
  bool operator==(const LargeAllocator<U>&) const noexcept {
    return true;
  }
};

// A block of bytes of a fixed size (a file read whole), freed with the object.
// Its bytes are not initialised.
class TByteBuffer {
 public:
  TByteBuffer() = default;
  explicit TByteBuffer(std::size_t capacity)
      : data_(static_cast<char*>(AllocateLarge(capacity, false))), capacity_(capacity) {}
  TByteBuffer(TByteBuffer&& other) noexcept
      : data_(other.data_), capacity_(other.capacity_), size_(other.size_) {
    other.data_ = nullptr;
    other.capacity_ = other.size_ = 0;
  }
  TByteBuffer& operator=(TByteBuffer&& other) noexcept {
    if (this != &other) {
      FreeLarge(data_, capacity_);
      data_ = other.data_;
      capacity_ = other.capacity_;
      size_ = other.size_;
      other.data_ = nullptr;
      other.capacity_ = other.size_ = 0;
    }
    return *this;
  }
  TByteBuffer(const TByteBuffer&) = delete;
  TByteBuffer& operator=(const TByteBuffer&) = delete;
  ~TByteBuffer() { FreeLarge(data_, capacity_); }

  char* data() { return data_; }
  const char* data() const { return data_; }
  std::size_t capacity() const { return capacity_; }
  std::size_t size() const { return size_; }
  // The number of bytes in use, at most the capacity.
  void set_size(std::size_t n) { size_ = n < capacity_ ? n : capacity_; }

 private:
  char* data_ = nullptr;
  std::size_t capacity_ = 0;
  std::size_t size_ = 0;
};

}  // namespace zelvo
