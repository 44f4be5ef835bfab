#pragma once
// Stored columns bound to the fields they fill: one description serves load, insert,
// update and the command line's JSON, so a column can't be read and written differently.
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "store/date_time.h"
#include "store/gluco_reading.h"
#include "store/patient_profile.h"

namespace meridane {

class Statement;

// Profile sections, as bits: which ones the profile editor confirmed with OK.
enum SectionBit : unsigned {
  kSectionWorking = 1u << 0,
  kSectionNonWorking = 1u << 1,
  kSectionMedications = 1u << 2,
  kSectionRegimens = 1u << 3,
  kSectionComplications = 1u << 4,
  kSectionHealthRecord = 1u << 5,
  kSectionInquiry = 1u << 6,
};
inline constexpr unsigned kAllSections = 0x7F;
// Load order, which is also the edit-mode write order.
inline constexpr SectionBit kSectionOrder[] = {
    kSectionWorking,       kSectionNonWorking,   kSectionMedications, kSectionRegimens,
    kSectionComplications, kSectionHealthRecord, kSectionInquiry};

// Visitor helper for ColumnRef::Field.
template <class... F>
struct Overload : F... {
  using F::operator()...;
};
template <class... F>
Overload(F...) -> Overload<F...>;

struct ColumnRef {
  using Field = std::variant<int*, double*, std::string*, bool*, Date*, TimeOfDay*>;
  const char* name;
  Field field;
  // An int column declared bool (gender): read as a flag, 1 unless the text is "0".
  bool intFlag = false;
};

// The stored text of a value, as the program has always written it: '%d' for numbers and
// flags, '%f' for reals, "%04d-%02d-%02d" for dates, "%02d:%02d:00" for times.
std::string ColumnText(const ColumnRef& c);

// Binds the field's value at `index` with its own type: numbers and flags as numbers, texts
// as text, dates and times as their stored text. Into a column whose declared type is the
// field's kind (INTEGER, FLOAT, VARCHAR…) this stores exactly what binding ColumnText would,
// without turning each number into text for SQLite to turn back.
void BindColumn(Statement& st, int index, const ColumnRef& c);
// Binds every column in order from `first` on.
void BindColumns(Statement& st, int first, const std::vector<ColumnRef>& cols);

// Reads a stored value into the field. A flag is true unless its text is exactly "0".
// NULL, or text that is not a value of the column's kind (junk, a bad date, a time past
// 23:59, a non-finite real), leaves the field as it was, so a cleared record keeps its
// default. Returns false in that case.
bool ReadColumnText(const ColumnRef& c, std::string_view text, bool isNull = false);
// Reads column `col` of the current row into the field: numbers stored as numbers are
// taken as they are, everything else through ReadColumnText; NULL keeps the field.
bool ReadColumn(const ColumnRef& c, const Statement& row, int col);
// Fills `cols` from a row, starting at column `first` of the statement.
void ReadColumns(const std::vector<ColumnRef>& cols, const Statement& row, int first);
// True when column `col` holds exactly the field's value in the field's stored kind: an
// integer for an int, an integer or a real of equal value for a double, the same text for a
// string. Anything else, NULL included, is not taken for it.
bool ColumnHolds(const Statement& row, int col, const ColumnRef& c);

// The 18 Patient columns, in table order.
std::vector<ColumnRef> PatientColumns(CPatientProfile& p);
// The columns of a section's table after IDNo, in table order.
std::vector<ColumnRef> SectionColumns(CPatientProfile& p, SectionBit s);
const char* SectionTable(SectionBit s);
// The Patient flag saying the section has a row.
bool& SectionFlag(CPatientProfile& p, SectionBit s);
bool SectionEquals(const CPatientProfile& a, const CPatientProfile& b, SectionBit s);
void CopySection(CPatientProfile& to, const CPatientProfile& from, SectionBit s);

// The 23 GlucoDetail columns after IDNo and idx, in table order.
std::vector<ColumnRef> DetailColumns(GlucoDetailRecord& d);

}  // namespace meridane
