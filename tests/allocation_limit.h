// A limit on the memory the test process may take, for runs that must get
// by with little: while an AllocationLimit lives, an operator new (the
// one containers and strings use) that would hold more than `bytes` beyond
// what was held when the limit was set fails with std::bad_alloc, as when a
// 32-bit process's address space is used up. This test program replaces
// operator new and delete to count what is held.
#pragma once

#include <cstddef>

namespace merkwandel::testing {

class AllocationLimit {
 public:
  explicit AllocationLimit(std::size_t bytes);
  ~AllocationLimit();
  AllocationLimit(const AllocationLimit&) = delete;
  AllocationLimit& operator=(const AllocationLimit&) = delete;

  // The bytes held through operator new now.
  static std::size_t Held();
};

}  // namespace merkwandel::testing
