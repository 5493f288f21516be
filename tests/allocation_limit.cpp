#include "tests/allocation_limit.h"

#include <dlfcn.h>
#include <malloc.h>

#include <atomic>
#include <limits>
#include <new>

namespace {

std::atomic<std::size_t> held{0};  // bytes held through operator new
std::atomic<std::size_t> ceiling{std::numeric_limits<std::size_t>::max()};

// The operator new and delete this program replaces (the C++ library's, or
// the sanitizer's, which then still checks that each block is given back
// the way it was taken).
template <typename Function>
Function Next(const char* name) {
  return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}
void* NextNew(std::size_t size) {
  static const auto next = Next<void* (*)(std::size_t)>("_Znwm");
  return next(size);
}
void NextDelete(void* block) {
  static const auto next = Next<void (*)(void*)>("_ZdlPv");
  next(block);
}

}  // namespace

namespace merkwandel::testing {

AllocationLimit::AllocationLimit(std::size_t bytes) { ceiling = held + bytes; }
AllocationLimit::~AllocationLimit() { ceiling = std::numeric_limits<std::size_t>::max(); }
std::size_t AllocationLimit::Held() { return held; }

}  // namespace merkwandel::testing

void* operator new(std::size_t size) {
  void* block = NextNew(size);
  const std::size_t usable = malloc_usable_size(block);
  if (held + usable > ceiling) {
    NextDelete(block);
    throw std::bad_alloc();
  }
  held += usable;
  return block;
}

void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  try {
    return operator new(size);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

void operator delete(void* block) noexcept {
  if (block == nullptr) return;
  held -= malloc_usable_size(block);
  NextDelete(block);
}

void operator delete(void* block, std::size_t) noexcept { operator delete(block); }
