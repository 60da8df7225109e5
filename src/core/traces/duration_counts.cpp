#include "core/traces/duration_counts.h"

#include <algorithm>
#include <bit>

namespace xkm {
namespace {

constexpr int kSignificantBits = 10;

}  // namespace

int64_t DurationCounts::BucketOf(int64_t milliseconds) {
  if (milliseconds < (int64_t{1} << kSignificantBits)) return milliseconds < 0 ? 0 : milliseconds;
  const auto width = static_cast<int>(std::bit_width(static_cast<uint64_t>(milliseconds)));
  const int dropped = width - kSignificantBits;
  return (milliseconds >> dropped) << dropped;
}

void DurationCounts::add(int64_t milliseconds) {
  ++buckets_[BucketOf(milliseconds)];
  ++runs_;
}

int64_t DurationCounts::quantile(int percent) const {
  if (runs_ == 0) return 0;
  // In whole numbers: 0.95 × 20 in floating point rounds up to the 20th.
  const uint64_t rank = std::max<uint64_t>(1, (runs_ * static_cast<uint64_t>(percent) + 99) / 100);
  uint64_t seen = 0;
  for (const auto& [bucket, count] : buckets_) {
    seen += count;
    if (seen >= rank) return bucket;
  }
  return buckets_.rbegin()->first;
}

}  // namespace xkm
