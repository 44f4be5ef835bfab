// Archive databases as another program (or damage) may leave them, merged into an empty
// book: patients with odd names and IDs, readings tables with odd values or missing
// columns. The merge may refuse or skip, but the book must stay sound and every reading
// in it must be one a download could have filed.
#include <fuzzer/FuzzedDataProvider.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "base/data_paths.h"
#include "base/prompter.h"
#include "output/archive_file.h"
#include "store/database.h"
#include "store/date_time.h"
#include "store/schema.h"

using namespace meridane;

namespace {

void BindFuzzed(Statement& st, int i, FuzzedDataProvider& in) {
  switch (in.ConsumeIntegralInRange(0, 3)) {
    case 0: st.BindNull(i); break;
    case 1: st.BindInt(i, in.ConsumeIntegral<int64_t>()); break;
    case 2: {
      // A real as text: numeric columns still store it as REAL through their affinity.
      char buf[32];
      std::snprintf(buf, sizeof buf, "%.17g", in.ConsumeFloatingPoint<double>());
      st.Bind(i, buf);
      break;
    }
    default: st.Bind(i, in.ConsumeRandomLengthString(24)); break;
  }
}

std::string FuzzedDate(FuzzedDataProvider& in) {
  if (in.ConsumeBool()) return in.ConsumeRandomLengthString(24);
  char buf[64];
  std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:00", in.ConsumeIntegralInRange(1990, 2040),
                in.ConsumeIntegralInRange(0, 14), in.ConsumeIntegralInRange(0, 33),
                in.ConsumeIntegralInRange(0, 25), in.ConsumeIntegralInRange(0, 61));
  return buf;
}

void Check(bool ok) {
  if (!ok) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::filesystem::path dir =
      std::filesystem::temp_directory_path() / ("meridane-fuzz-merge-" + std::to_string(getpid()));
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  SetDataFolderOverride((dir / "data").string());
  FuzzedDataProvider in(data, size);
  const std::string archivePath = (dir / "a.db").string();
  {
    Database a = Database::OpenFile(archivePath);
    Check(a.ok() && CreateSchema(a));
    a.ExecQuiet("DROP TABLE GlucoDetail;");
    const int patients = in.ConsumeIntegralInRange(1, 3);
    for (int p = 0; p < patients; ++p) {
      std::string id = in.ConsumeBool() ? "A" + std::to_string(p) : in.ConsumeRandomLengthString(16);
      Statement ins = a.Prepare("INSERT INTO Patient VALUES(?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?);");
      ins.Bind(1, in.ConsumeBool() ? "P" + std::to_string(p) : in.ConsumeRandomLengthString(40));
      if (in.ConsumeIntegralInRange(0, 9) == 0) ins.BindNull(2); else ins.Bind(2, id);
      for (int c = 3; c <= 18; ++c) {
        if (in.ConsumeBool()) ins.Bind(c, "0"); else BindFuzzed(ins, c, in);
      }
      ins.Run();
      const bool fullLayout = in.ConsumeIntegralInRange(0, 7) != 0;
      std::string table = QuotedReadingsTable(id);
      a.ExecQuiet("CREATE TABLE IF NOT EXISTS " + table +
                  (fullLayout ? " (glucoDate DATETIME, gluco INTEGER, meal INTEGER, medicalNo "
                                "INTEGER, type INTEGER, slot INTEGER, commentOptions INTEGER, "
                                "commentOptionsFood INTEGER,commentOptionsExercise INTEGER, "
                                "commentOptionsType INTEGER, insulinType INTEGER,insulin "
                                "VARCHAR(20), insulinAmount FLOAT, oral varchar(20), oralAmount "
                                "float, exerciseHour INTEGER,exerciseMinute INTEGER, intensity "
                                "INTEGER, carbs INTEGER, fats INTEGER, carlories "
                                "INTEGER,proteins INTEGER, comment varchar(100), commentIns "
                                "varchar(100), commentOra varchar(100), commentExe varchar(100), "
                                "commentFoo varchar(100));"
                              : " (glucoDate DATETIME, gluco INTEGER);"));
      const int readings = in.ConsumeIntegralInRange(0, 6);
      const int cols = fullLayout ? 27 : 2;
      std::string sql = "INSERT INTO " + table + " VALUES(?";
      for (int c = 1; c < cols; ++c) sql += ",?";
      sql += ");";
      Statement r = a.Prepare(sql);
      for (int k = 0; k < readings && r.ok(); ++k) {
        r.Reset();
        r.Bind(1, FuzzedDate(in));
        for (int c = 2; c <= cols; ++c) {
          if (c <= 4 && in.ConsumeBool()) r.BindInt(c, in.ConsumeIntegralInRange(-2, 700));
          else BindFuzzed(r, c, in);
        }
        r.Run();
      }
    }
  }
  {
    Database book = OpenPatientDatabase();
    Check(book.ok() && CreateSchema(book));
    ScriptedPrompter prompter;
    // Keys by name alone: every archived patient of each name.
    std::vector<PatientKey> all;
    {
      Database a = Database::OpenFile(archivePath);
      Statement st = a.Prepare("SELECT fullName FROM Patient;");
      while (st.Step()) all.emplace_back(st.Text(0));
    }
    TransferPeriod period = TransferPeriod::WholeDays({1990, 1, 1}, {2040, 12, 31});
    MergeArchive(book, all, period, archivePath, prompter);

    Statement ic = book.Prepare("PRAGMA integrity_check;");
    Check(ic.Step() && ic.Text(0) == "ok");
    // Every reading in the book is one a download could have filed.
    std::vector<std::string> tables;
    {
      Statement st = book.Prepare("SELECT name FROM sqlite_master WHERE type='table' AND name LIKE 'G%';");
      while (st.Step()) tables.push_back(st.Text(0));
    }
    for (const std::string& t : tables) {
      if (t == "GlucoDetail") continue;
      Statement st = book.Prepare("SELECT glucoDate, typeof(gluco), gluco FROM " + QuoteIdentifier(t) + ";");
      while (st.Step()) {
        auto at = ParseDateTime(st.Text(0));
        Check(at && IsValidDateTime(*at));
        Check(st.Text(1) == "integer" && st.Int(2) >= 0);
      }
    }
  }
  return 0;
}
