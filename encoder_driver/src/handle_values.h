// Opaque handle values for records kept in a fixed table: positive (so never
// 0, which means failure, nor -1, which MagOpen uses for a port in use), and
// never a value that a live record still holds. Not thread-safe: callers hold
// their table's lock.
#pragma once
#include <cstdint>
#include <limits>

class HandleValues {
 public:
  explicit HandleValues(int32_t first) : first_(first), next_(first) {}

  template <typename InUse>
  int32_t Next(InUse inUse) {
    for (;;) {
      int32_t value = next_;
      next_ = value == std::numeric_limits<int32_t>::max() ? first_ : value + 1;
      if (!inUse(value)) return value;
    }
  }

 private:
  int32_t first_;
  int32_t next_;
};
