#pragma once

#include <cstdint>
#include <map>

namespace xkm {

// Tool durations counted in constant room: below 1024 ms each millisecond is
// its own bucket; above, a duration is rounded down to ten significant bits
// (within 0.1 %), so a tool's counts stay a few thousand buckets however many
// runs there are.
class DurationCounts {
 public:
  void add(int64_t milliseconds);
  uint64_t runs() const { return runs_; }
  // The nearest-rank quantile: the least bucket with at least
  // ceil(percent × runs / 100) durations at or below it; 0 without runs.
  int64_t quantile(int percent) const;
  int64_t median() const { return quantile(50); }
  int64_t p95() const { return quantile(95); }

  static int64_t BucketOf(int64_t milliseconds);

 private:
  std::map<int64_t, uint64_t> buckets_;
  uint64_t runs_ = 0;
};

}  // namespace xkm
