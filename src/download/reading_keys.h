#pragma once
// The duplicate test of downloads: a reading is already there when one with the same
// glucose, the same date and time to the minute (and, for clinic meters, the same medical
// record number) is. A hash set gives the answer of a pairwise scan at a fraction of the cost.
#include <cstddef>
#include <string>
#include <vector>

#include "store/date_time.h"

namespace meridane {

struct ReadingKey {
  int gluco = 0;
  DateTime at;
  int medicalNo = 0;  // the same constant for every key when it does not count
  bool operator==(const ReadingKey&) const = default;
};

struct ReadingKeyHash {
  std::size_t operator()(const ReadingKey& k) const noexcept;
};

// Open addressing in one flat array: a download looks up and adds about 11,000 keys, and
// node-based sets spend most of that time allocating.
class ReadingKeySet {
 public:
  void Reserve(std::size_t n);
  // True when the key was new.
  bool Insert(const ReadingKey& k);
  bool Contains(const ReadingKey& k) const;
  std::size_t size() const { return size_; }

 private:
  struct Slot {
    ReadingKey key;
    bool used = false;
  };
  std::size_t Find(const ReadingKey& k) const;  // the key's slot or the free one it would take
  std::vector<Slot> slots_;
  std::size_t size_ = 0;
};

}  // namespace meridane

namespace meridane {
class Database;
// The keys (glucose and minute, medical record number not counted) of every reading stored
// in the patient's readings table; empty when there is no table.
ReadingKeySet StoredReadingKeys(Database& db, const std::string& idNo);
}  // namespace meridane
