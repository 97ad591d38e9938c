#include "common/profile_walk.h"

#include <algorithm>
#include <cstring>

namespace survey {

BackwardRecords::BackwardRecords(DataFile& file, int length, uint64_t end)
    : file_(file), length_(std::clamp(length, 1, kRecordMax)), start_(end) {}

bool BackwardRecords::Previous(unsigned char* record) {
  if (next_ == 0 && !Fill()) return false;
  next_ -= length_;
  std::memcpy(record, block_ + next_, static_cast<size_t>(length_));
  return true;
}

bool BackwardRecords::Fill() {
  const uint64_t records = std::min<uint64_t>(start_ / static_cast<uint64_t>(length_), kBlockRecords);
  if (records == 0) return false;
  const uint32_t bytes = static_cast<uint32_t>(records) * static_cast<uint32_t>(length_);
  uint32_t got = 0;
  if (!file_.ReadAt(start_ - bytes, block_, bytes, &got) || got != bytes) return false;
  start_ -= bytes;
  next_ = static_cast<int>(bytes);
  return true;
}

}  // namespace survey
