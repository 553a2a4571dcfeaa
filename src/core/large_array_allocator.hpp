// An allocator for the flat arrays of many megabytes that the stages fill
// once and walk through row by row (height layers and grid, cell heights and
// colours). Such arrays come from platform::AllocateLarge, smaller ones from
// the ordinary heap.
//
// Elements added without a value (resize(n)) are left unset, so a stage that
// writes every element does not pay for zeroing them first, and its threads
// touch the memory where they write it; assign(n, 0) still zeroes.
#pragma once

#include <cstddef>
#include <new>
#include <utility>
#include <vector>

#include "core/platform.hpp"

namespace brackwyn {

template <class T>
class LargeArrayAllocator {
 public:
  using value_type = T;

  LargeArrayAllocator() = default;
  template <class U>
  LargeArrayAllocator(const LargeArrayAllocator<U>&) noexcept {}

  T* allocate(std::size_t n) {
    if (n > kLimit)
      throw std::bad_array_new_length();
    if (!IsLarge(n))
      return std::allocator<T>().allocate(n);
    if (void* memory = platform::AllocateLarge(n * sizeof(T)))
      return static_cast<T*>(memory);
    throw std::bad_alloc();
  }

  void deallocate(T* memory, std::size_t n) noexcept {
    if (IsLarge(n))
      platform::FreeLarge(memory);
    else
      std::allocator<T>().deallocate(memory, n);
  }

  template <class U>
  void construct(U* element) noexcept {
    ::new (static_cast<void*>(element)) U;
  }
  template <class U, class... Arguments>
  void construct(U* element, Arguments&&... arguments) {
    ::new (static_cast<void*>(element)) U(std::forward<Arguments>(arguments)...);
  }

  template <class U>
  bool operator==(const LargeArrayAllocator<U>&) const noexcept {
    return true;
  }

 private:
  static constexpr std::size_t kLimit = ~std::size_t{0} / sizeof(T);
  static bool IsLarge(std::size_t n) { return n * sizeof(T) >= (std::size_t{4} << 20); }
};

template <class T>
using LargeArray = std::vector<T, LargeArrayAllocator<T>>;

}  // namespace brackwyn
