// The CSV file a clinic opens in a spreadsheet: header, value and clock forms, the date
// filter, detail pieces, quoting, and the runs' file handling.
#include <gtest/gtest.h>

#include <filesystem>

#include "base/prompter.h"
#include "output/archive_runs.h"
#include "output/csv_export.h"
#include "output/files_fixture.h"

namespace meridane::test {
namespace {

constexpr Date kToday{2024, 7, 9};
const TransferPeriod kAllTime = TransferPeriod::WholeDays({2000, 1, 1}, {2030, 12, 31});
const TransferPeriod k2024 = TransferPeriod::WholeDays({2024, 1, 1}, {2024, 12, 31});

// Splits CSV text the way a spreadsheet reads it (RFC 4180), rows on CR LF.
std::vector<std::vector<std::string>> ParseCsv(const std::string& text) {
  std::vector<std::vector<std::string>> rows(1);
  std::string field;
  bool quoted = false;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i], next = i + 1 < text.size() ? text[i + 1] : 0;
    if (quoted && c == '"' && next == '"')
      field += text[i++];
    else if (c == '"')
      quoted = !quoted;
    else if (quoted || (c != ',' && !(c == '\r' && next == '\n')))
      field += c;
    else {
      rows.back().push_back(std::exchange(field, {}));
      if (c == '\r') rows.emplace_back(), ++i;
    }
  }
  if (!field.empty() || !rows.back().empty()) rows.back().push_back(field);
  else rows.pop_back();
  return rows;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t eol; (eol = text.find("\r\n", start)) != std::string::npos; start = eol + 2)
    lines.push_back(text.substr(start, eol - start));
  EXPECT_EQ(start, text.size()) << "text after the last CR LF";
  return lines;
}

class CsvExportTest : public FilesFixture {
 protected:
  std::string Block(const std::string& name, const TransferPeriod& p = kAllTime) {
    return BuildCsvBlock(db_, PatientKey{name, IdOf(name)}, p, kToday).text;
  }
  // The reading lines of a block (after the ten header lines).
  std::vector<std::string> ReadingLines(const std::string& name, const TransferPeriod& p = kAllTime) {
    auto lines = Lines(Block(name, p));
    EXPECT_GE(lines.size(), 10u);
    return {lines.begin() + std::min<size_t>(10, lines.size()), lines.end()};
  }
};

TEST_F(CsvExportTest, EmptyReadingsTableGivesExactlyTheTenHeaderLines) {
  AddPatient("Ann Lee", "A1", "0", "00000000", "SN0042", "012");
  const std::string expected =
      "Meridane Rev: 4.06\r\n"
      "mg/dL\r\n"
      "Time Format:am/pm\r\n"
      "Total Number of Readings in Data File:0\r\n"
      "Export Date:07/09/2024\r\n"
      "Patinet Name:Ann Lee\r\n"
      "ID No.:A1\r\n"
      "Meter Serial No.:SN0042\r\n"
      "Medical Record No.:012\r\n"
      "Item No.,Date,time,Glucose data,comments,Insulin type,Insulin Units,Oral Type,Oral "
      "amounts,Exercise duration,Exercise Intensity,Food carbs,Food Fats,Food Calories,Food "
      "Protiens\r\n";
  EXPECT_EQ(Block("Ann Lee"), expected);

  // The export run writes the same bytes to the file; an unknown name writes nothing and
  // still removes an old file at the path.
  ScriptedPrompter prompter;
  const std::string path = Path("out.csv");
  ASSERT_TRUE(ExportCsv(db_, {"Ann Lee", IdOf("Ann Lee")}, kAllTime, path, prompter, kToday).ok);
  EXPECT_EQ(Slurp(path), expected);
  EXPECT_TRUE(ExportCsv(db_, "Nobody", kAllTime, path, prompter, kToday).ok);
  EXPECT_FALSE(std::filesystem::exists(path));
  EXPECT_TRUE(prompter.texts().empty());
}

TEST_F(CsvExportTest, ValuesAtTheValidBoundsInBothUnitsAndBothClockForms) {
  AddPatient("Mg", "M1", "0");
  AddPatient("Mmol", "M2", "1");
  AddHealthRecord("M2", "0");
  // Day, hour, minute, value.
  for (const char* id : {"M1", "M2"})
    for (auto [d, h, m, gluco] : {std::array{1, 0, 30, 19}, {1, 12, 5, 20}, {1, 13, 0, 600},
                                  {1, 23, 59, 601}, {2, 8, 0, 100}})
      AddReading(id, At(2024, 3, d, h, m), gluco);
  EXPECT_EQ(ReadingLines("Mg"),
            (std::vector<std::string>{"1,03/01/2024,12:30 am,LO,", "2,03/01/2024,12:05 pm,20,",
                                      "3,03/01/2024,01:00 pm,600,", "4,03/01/2024,11:59 pm,HI,",
                                      "5,03/02/2024,08:00 am,100,"}));
  EXPECT_EQ(ReadingLines("Mmol"),
            (std::vector<std::string>{"1,03/01/2024,00:30,LO,", "2,03/01/2024,12:05,1.1,",
                                      "3,03/01/2024,13:00,33.3,", "4,03/01/2024,23:59,HI,",
                                      "5,03/02/2024,08:00,5.6,"}));
  EXPECT_EQ(Block("Mmol").substr(0, 47), "Meridane Rev: 4.06\r\nmmol/L\r\nTime Format:24:00\r\n");
}

TEST_F(CsvExportTest, BothBoundsIncludedOneSecondOutsideLeftOutNumbersConsecutive) {
  AddPatient("Pat", "P1");
  // Before, at the start, at the end, after, and one stored last that is not sorted.
  for (auto [d, h, m, gluco] : {std::array{1, 7, 59, 101}, {1, 8, 0, 102}, {3, 9, 0, 103},
                                {3, 9, 1, 104}, {2, 10, 0, 105}})
    AddReading("P1", At(2024, 5, d, h, m), gluco);
  TransferPeriod p{At(2024, 5, 1, 8, 0), 0, At(2024, 5, 3, 9, 0), 0};
  EXPECT_EQ(ReadingLines("Pat", p),
            (std::vector<std::string>{"1,05/01/2024,08:00,102,", "2,05/03/2024,09:00,103,",
                                      "3,05/02/2024,10:00,105,"}));
  EXPECT_EQ(Lines(Block("Pat", p))[3], "Total Number of Readings in Data File:3");

  // One second later at the start and one second earlier at the end leave both out.
  p.fromSecond = 1;
  p.to = At(2024, 5, 3, 8, 59);
  p.toSecond = 59;
  EXPECT_EQ(ReadingLines("Pat", p), (std::vector<std::string>{"1,05/02/2024,10:00,105,"}));
}

TEST_F(CsvExportTest, DetailPiecesAndCommentsStartAfreshForEachReading) {
  AddPatient("Det", "D1");
  int full = AddReading("D1", At(2024, 2, 1, 7, 0), 120);
  int onlyIns = AddReading("D1", At(2024, 2, 1, 8, 0), 121);
  AddReading("D1", At(2024, 2, 1, 9, 0), 122);
  int zeros = AddReading("D1", At(2024, 2, 1, 10, 0), 123);

  AddDetail("D1", full,
            {.insulin = "Rapid", .insulinAmount = 4.25, .oral = "Metformin", .oralAmount = 2,
             .exerciseHour = 1, .exerciseMinute = 5, .intensity = 1, .carbs = 60, .fats = 10,
             .carlories = 500, .proteins = 20, .comment = "fine", .commentFoo = "pasta"});
  AddDetail("D1", onlyIns, {.commentIns = "late shot"});
  AddDetail("D1", zeros, {.type = 0, .intensity = 7});  // not a known intensity: empty text

  EXPECT_EQ(ReadingLines("Det"),
            (std::vector<std::string>{
                "1,02/01/2024,07:00,120,fine;pasta;,Rapid,4.2,Metformin,2.0,01:05,Moderate,60,10,"
                "500,20",
                "2,02/01/2024,08:00,121,late shot;,,,,,,,0,0,0,0",
                "3,02/01/2024,09:00,122,",
                "4,02/01/2024,10:00,123,,,,,,,,0,0,0,0"}));
}

TEST_F(CsvExportTest, CommasQuotesAndLineBreaksStayInTheirColumns) {
  AddPatient("Doe, \"JJ\"", "Q1");
  int idx = AddReading("Q1", At(2024, 4, 4, 9, 30), 140);
  AddDetail("Q1", idx, {.insulin = "Mix 70/30, pen", .carbs = 45, .comment = "ate late, felt ok",
                        .commentExe = "the \"long\" walk"});

  auto rows = ParseCsv(Block("Doe, \"JJ\""));
  ASSERT_EQ(rows.size(), 11u);
  EXPECT_EQ(rows[5], (std::vector<std::string>{"Patinet Name:Doe, \"JJ\""}));
  ASSERT_EQ(rows[10].size(), 15u) << "every value in its own column";
  EXPECT_EQ(rows[10][4] + "|" + rows[10][5], "ate late, felt ok;the \"long\" walk;|Mix 70/30, pen");
  EXPECT_EQ(CsvField("plain text"), "plain text");
  EXPECT_EQ(CsvField("two\nlines"), "\"two\nlines\"");
}

TEST_F(CsvExportTest, ArchiveRunSeparatesPatientsWithStoredReadingsOnly) {
  for (auto [name, id] : {std::pair{"Has", "H1"}, {"Empty", "E1"}, {"Out", "O1"}})
    AddPatient(name, id);
  AddReading("H1", At(2024, 6, 1, 8, 0), 110);
  AddReading("O1", At(2019, 6, 1, 8, 0), 111);  // stored, but outside the range

  ScriptedPrompter prompter;
  const std::string path = Path("all.csv");
  // "All patients" together with a patient's own row still writes that patient once.
  auto names = CollectPatients(db_, {"Out", kAllPatients, "Has"});
  ASSERT_EQ(names.size(), 3u);
  EXPECT_EQ(names, CollectPatients(db_, {}, true));
  TransferResult r = ArchiveCsv(db_, names, k2024, path, prompter, kToday);
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.patients * 10 + r.readingsWritten, 31);

  std::string expected;
  for (const auto& n : names)
    expected += Block(n.fullName, k2024) + (n.fullName == "Empty" ? "" : "\r\n\r\n\r\n\r\n");
  EXPECT_EQ(Slurp(path), expected);
  EXPECT_EQ(Lines(Block("Out", k2024))[3], "Total Number of Readings in Data File:0");
}

TEST_F(CsvExportTest, PageRunsChooseTheFormatByTheLastCharacterAndGuardPaths) {
  AddPatient("Ann", "A1");
  AddReading("A1", At(2024, 6, 1, 8, 0), 110);
  ScriptedPrompter prompter;
  // ".CSV" in capitals is an archive database, readable with the program's key.
  TransferRequest req{TransferMode::Export, {"Ann"}, false, k2024, Path("upper.CSV")};
  ASSERT_TRUE(RunTransfer(req, prompter).ok);
  {
    Database archive = Database::OpenFile(req.path);
    ASSERT_TRUE(archive.ok());
    EXPECT_EQ(Rows(archive, "SELECT fullName FROM Patient;").size(), 1u);
  }
  req.path = Path("lower.csv");
  ASSERT_TRUE(RunTransfer(req, prompter).ok);
  EXPECT_EQ(Slurp(req.path).rfind("Meridane Rev: 4.06\r\n", 0), 0u);

  // Outside 7-bit ASCII: refused for a database file, taken for a CSV file.
  req.path = Path("d\xC3\xA9j\xC3\xA0.db");
  TransferResult refused = RunTransfer(req, prompter);
  EXPECT_FALSE(refused.ok);
  EXPECT_EQ(prompter.texts().back(), "Cannot save data in a illegal file path.");
  EXPECT_FALSE(std::filesystem::exists(req.path));
  req.path = Path("d\xC3\xA9j\xC3\xA0.csv");
  EXPECT_TRUE(RunTransfer(req, prompter).ok);
  EXPECT_TRUE(std::filesystem::exists(req.path));

  // The patient database itself is never the target of a run that deletes its target.
  req.path = DataFolder() + "/./Patients.db";
  req.mode = TransferMode::Archive;
  req.all = true;
  EXPECT_FALSE(RunTransfer(req, prompter).ok);
  EXPECT_EQ(Rows(db_, "SELECT fullName FROM Patient;").size(), 1u);

  // A folder that does not exist.
  prompter.Clear();
  req.path = Path("no/such/folder/x.csv");
  EXPECT_FALSE(RunTransfer(req, prompter).ok);
  EXPECT_EQ(prompter.texts(), (std::vector<std::string>{
                                  "Error: cannot create CSV object. The specified path does not "
                                  "exist."}));
}

}  // namespace
}  // namespace meridane::test
