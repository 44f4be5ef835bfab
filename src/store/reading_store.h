#pragma once
// A patient's readings table "G"+IDNo and the GlucoDetail rows, to and from a ReadingTable.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "store/database.h"
#include "store/gluco_reading.h"
#include "store/patient_profile.h"

namespace meridane {

// Gives an unclassified (slot 0) reading its slot; reports/classification provides it.
using SlotClassifier = std::function<int(const CPatientProfile&, const DateTime&)>;

// CREATE TABLE IF NOT EXISTS for the patient's readings table.
bool EnsureReadingsTable(Database& db, const std::string& idNo);

// The readings of one patient: the file keeps them in the patient's own table, a server in
// one table keyed by IDNo. `columns` of the rows that meet `condition` (every row when it is
// empty), in idx order on a server and, when `idxOrder`, on the file (else in storage order).
// On a server the IDNo is the query's first parameter, which PrepareReadings binds; the
// condition's own parameters follow it (ReadingParamsFrom).
std::string SelectReadings(const Database& db, const std::string& idNo, const char* columns,
                           std::string_view condition = {}, bool idxOrder = false);
Statement PrepareReadings(Database& db, const std::string& idNo, const char* columns,
                          std::string_view condition = {}, bool idxOrder = false);
// The index of the first parameter of a condition given to PrepareReadings.
inline int ReadingParamsFrom(const Database& db) { return db.server() ? 2 : 1; }
// Whether there is anything to read: a file book has no table for a patient never filed
// into; on a server the one table is always there.
bool HasReadingsTable(Database& db, const std::string& idNo);

// Fills the table with the patient's readings and their details, slot-0 readings
// classified by `classify` (left at 0 when empty), sorted by date and time (stable).
// A patient without a readings table loads an empty table. False when a statement failed
// (its text went to the error sink): the table is then incomplete and must not be shown or
// written anywhere as the patient's readings.
bool LoadReadings(Database& db, const CPatientProfile& patient, ReadingTable& table,
                  const SlotClassifier& classify = {});

// Calls `row` with the date and time, glucose and meal code of every stored reading of the
// patient, in table order, each value read as LoadReadings reads it; a row whose date does
// not parse is passed over. Nothing without a readings table. False when a statement failed
// (its text went to the error sink): the rows seen are then incomplete.
using StoredReadingVisitor = std::function<void(const DateTime& at, int gluco, int meal)>;
bool ForEachStoredReading(Database& db, const std::string& idNo, const StoredReadingVisitor& row);

// The same for the readings dated from day `first` to day `last`, both included, found by
// date rather than by reading the patient's whole table; in date order on a file, idx order
// on a server. On a file the stored date text is matched as the program writes it
// ("YYYY-MM-DD HH:MM:SS"), which every writer of these books has always used.
bool ForEachStoredReadingBetween(Database& db, const std::string& idNo, const Date& first,
                                 const Date& last, const StoredReadingVisitor& row);

// The glucose and meal code of the same readings for many patients of one book, read as
// one snapshot: `row` gets the position of the patient in `idNos` first; readings come in
// no particular order. Patients without readings are passed over. For many patients a
// server streams the period's readings of the whole book in one answer, instead of one
// answer per patient.
using PatientReadingVisitor = std::function<void(size_t patient, int gluco, int meal)>;
bool ForEachStoredReadingBetween(Database& db, const std::vector<std::string>& idNos,
                                 const Date& first, const Date& last,
                                 const PatientReadingVisitor& row);

// A file book finds a patient's readings of a period through an index on the date of each
// readings table. Books made before it get theirs here, once (older versions read and
// keep such a book as before: SQLite maintains the index on every write). False when an
// index could not be made; the readings are then still found, by a whole-table scan.
bool EnsureReadingDateIndexes(Database& db);

// Writes every entry's meal code and the details of entries that have any, in two
// transactions, as leaving a page with Yes does. An entry whose details are empty while
// the database still holds a row for it (the user cleared them) has that row removed. On a
// file a failing row is reported through the error sink and the rest still saved; a server
// saves all or nothing. Current when everything was saved (the patient's revision then
// counts the save); ChangedElsewhere or Deleted, with nothing written, when another desk
// saved or deleted the patient since it was loaded; Failed otherwise.
PatientCheck SaveReadingEdits(Database& db, CPatientProfile& patient, const ReadingTable& table);

// One reading into the patient's table (idx chosen by SQLite); returns the new idx or -1.
int64_t InsertReading(Database& db, const std::string& idNo, const DateTime& at, int gluco,
                      int meal, int medicalNo);

// Every GlucoDetail row of the patient, in table order.
std::vector<GlucoDetailRecord> LoadDetails(Database& db, const std::string& idNo);
// Inserts or updates the GlucoDetail row (IDNo, idx) from the record's fields.
bool WriteDetail(Database& db, const std::string& idNo, int idx, const GlucoDetailRecord& d);

// Filing many readings of one patient: the reading insert and the detail statements are
// prepared once and bound per row. The database and patient must outlive the writer.
class ReadingWriter {
 public:
  ReadingWriter(Database& db, const std::string& idNo);
  ~ReadingWriter();
  ReadingWriter(const ReadingWriter&) = delete;
  ReadingWriter& operator=(const ReadingWriter&) = delete;
  // As InsertReading.
  int64_t Insert(const DateTime& at, int gluco, int meal, int medicalNo);
  // Readings inserted in their order as Insert would, many to a statement; `idx` gets the
  // idx of each. False when a statement failed (what went in before it stays in the
  // caller's transaction, to be rolled back).
  struct NewReading {
    DateTime at;
    int gluco = 0;
    int meal = 0;
    int medicalNo = 0;
  };
  bool InsertAll(const std::vector<NewReading>& readings, std::vector<int64_t>& idx);
  // Details as WriteDetail writes them, in their order, many to a statement: of two for the
  // same idx the later stays. False when a statement failed, as InsertAll.
  struct IndexedDetail {
    int64_t idx = 0;
    const GlucoDetailRecord* detail = nullptr;
  };
  bool WriteDetails(const std::vector<IndexedDetail>& details);

 private:
  bool InsertAllOnServer(const std::vector<NewReading>& readings, std::vector<int64_t>& idx);
  struct Statements;
  Database& db_;
  std::string idNo_;
  std::unique_ptr<Statements> st_;
};

}  // namespace meridane
