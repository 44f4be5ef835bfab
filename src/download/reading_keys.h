#pragma once
// The duplicate test of downloads: a reading is already there when one with the same
// glucose, the same date and time to the minute (and, for clinic meters, the same medical
// record number) is. A hash set gives the answer of a pairwise scan at a fraction of the cost.
#include <cstddef>
#include <string>
#include <unordered_set>

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

class ReadingKeySet {
 public:
  void Reserve(std::size_t n) { keys_.reserve(n); }
  // True when the key was new.
  bool Insert(const ReadingKey& k) { return keys_.insert(k).second; }
  bool Contains(const ReadingKey& k) const { return keys_.count(k) != 0; }
  std::size_t size() const { return keys_.size(); }

 private:
  std::unordered_set<ReadingKey, ReadingKeyHash> keys_;
};

}  // namespace meridane

namespace meridane {
class Database;
// The keys (glucose and minute, medical record number not counted) of every reading stored
// in the patient's readings table; empty when there is no table.
ReadingKeySet StoredReadingKeys(Database& db, const std::string& idNo);
}  // namespace meridane
