#pragma once
// One glucose reading in memory with its user-entered details, and the table of the
// current patient's (or the clinic meter's) readings.
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "store/date_time.h"

namespace meridane {

// The detail record of a reading; fields mirror the GlucoDetail columns in order.
// Defaults are the "empty" values: a reading without details holds exactly these.
struct GlucoDetailRecord {
  std::string IDNo;
  int idx = 0;
  int type = -1;
  int slot = -1;
  int commentOptions = 0;
  int commentOptionsFood = -1;
  int commentOptionsExercise = -1;
  int commentOptionsType = -1;
  int insulinType = -1;
  std::string insulin;
  double insulinAmount = 0;
  std::string oral;
  double oralAmount = 0;
  int exerciseHour = 0;
  int exerciseMinute = 0;
  int intensity = -1;
  int carbs = 0;
  int fats = 0;
  int carlories = 0;
  int proteins = 0;
  std::string comment;
  std::string commentIns;
  std::string commentOra;
  std::string commentExe;
  std::string commentFoo;

  // True when any field but IDNo, idx and slot differs from its empty value.
  bool IsNonEmpty() const;
  bool operator==(const GlucoDetailRecord&) const = default;
};

// Circumstance bits of GlucoDetailRecord::commentOptions.
enum CommentOption : int {
  kOptIllness = 1,
  kOptVacation = 2,
  kOptStress = 4,
  kOptFeelHypo = 8,
  kOptMenses = 16,
  kOptFood = 32,
  kOptExercise = 64,
  kOptExerciseType = 128,
  kOptMedication = 256,
  kOptOther = 512,
};
inline constexpr int kAllCommentOptions = 1023;

// The name of the first coded field (type, the food/exercise choices, insulinType, intensity,
// commentOptions) whose value is not one of its choices; nullopt when all are. A code no
// list holds would be shown and exported as something nobody chose.
std::optional<std::string> CodeOutsideList(const GlucoDetailRecord& d);

struct GlucoReading {
  int idx = 0;
  DateTime at;
  int gluco = 0;      // mg/dL
  int slot = 0;       // 0 unclassified, 1..7 (see reports/classification.h)
  int mark = 0;       // meter mark 0, 1 or 2
  int medicalNo = 0;  // clinic meters' medical record number
  GlucoDetailRecord detail;

  int MealCode() const { return slot * 256 + mark; }
};

// Splits a stored meal code: slot is the value shifted right by 8 (sign-preserving),
// mark its low eight bits.
inline int SlotOfMeal(int meal) { return meal >> 8; }
inline int MarkOfMeal(int meal) { return meal & 0xFF; }

// The in-memory readings of the current patient. It grows as needed; startIndex is where
// the readings of a running download begin.
struct ReadingTable {
  std::vector<GlucoReading> entries;
  std::size_t startIndex = 0;
  // Meter records the last download left out because they were damaged (a date that does
  // not exist, a decimal field holding a nibble above 9).
  int skippedRecords = 0;

  std::size_t count() const { return entries.size(); }
  void Clear() {
    entries.clear();
    startIndex = 0;
    skippedRecords = 0;
  }
};

}  // namespace meridane
