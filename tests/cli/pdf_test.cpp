// meridane-cli pdf: every report type saved from the demo patients, the extension rule,
// and the refusals.
#include <filesystem>
#include <memory>

#include "cli/cli_harness.h"
#include "output/pdf_support.h"

namespace meridane::test {
namespace {

class CliPdf : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    box_ = std::make_unique<CliSandbox>();
    box_->Ok({"demo"});
  }
  static void TearDownTestSuite() { box_.reset(); }
  static inline std::unique_ptr<CliSandbox> box_;
};

TEST_F(CliPdf, EveryPatientTypeIsSavedUnderTheUpperCaseExtension) {
  const std::pair<int, const char*> types[] = {
      {0, "Log Book"},           {1, "Glucose Trend"},         {2, "Pie Chart"},
      {3, "Standard Day"},       {4, "Day Average Reading"},   {5, "Week Average Reading"},
      {6, "Histogram"},          {7, "Data List"},             {8, "Summary Checks"},
      {11, "Glucose Profile"}};
  for (const auto& [type, title] : types) {
    std::string chosen = box_->root() + "/type" + std::to_string(type) + ".pdf";
    auto r = box_->Ok({"pdf", "DEMO-001", "--type", std::to_string(type), "--latest", "30", chosen});
    std::string saved = box_->root() + "/type" + std::to_string(type) + ".PDF";
    EXPECT_EQ(r.out, saved + "\n");
    EXPECT_FALSE(std::filesystem::exists(chosen));
    std::string text = FlatText(saved);
    EXPECT_TRUE(Has(text, title) && Has(text, "Anna")) << type << ": " << text.substr(0, 200);
  }
  // A type above 11 is the log book.
  box_->Ok({"pdf", "DEMO-002", "--type", "12", "--latest", "7", box_->root() + "/x"});
  EXPECT_NE(FlatText(box_->root() + "/x.PDF").find("Log Book"), std::string::npos);
}

TEST_F(CliPdf, ClinicTypesTakeTheirOwnOptions) {
  box_->Ok({"pdf", "--type", "10", "--all", "--from", "2020-01-01", "--to", "2030-12-31",
            box_->root() + "/quick"});
  std::string text = FlatText(box_->root() + "/quick.PDF");
  EXPECT_NE(text.find("Multiple Quick View"), std::string::npos);
  for (const char* name : {"Anna", "Peter", "Maria"}) EXPECT_NE(text.find(name), std::string::npos);

  // clinic-download's output, and a row as the list holds it with its spacer column.
  std::string rows = box_->WriteFile("rows.tsv",
                                     "007\tMaria Rossi\t145\t11/02/2026  08:15\n"
                                     "\t007\tMaria Rossi\t99\t11/02/2026  09:15\n"
                                     "inserted\t2\nunassigned\t0\n");
  box_->Ok({"pdf", "--type", "9", "--rows", rows, box_->root() + "/multi.pdf"});
  text = FlatText(box_->root() + "/multi.PDF");
  EXPECT_NE(text.find("Multiple Download"), std::string::npos);
  EXPECT_NE(text.find("007 Maria Rossi 145 11/02/2026 08:15 007 Maria Rossi 99 11/02/2026 09:15 "),
            std::string::npos) << text;
  EXPECT_EQ(text.find("inserted"), std::string::npos);
}

TEST_F(CliPdf, RefusalsAndUsage) {
  std::string out = box_->root() + "/r.pdf";
  EXPECT_EQ(box_->Run({"pdf", "NOBODY", "--type", "0", "--latest", "7", out}).status, 1);
  EXPECT_TRUE(Refused(
      box_->Run({"pdf", "DEMO-001", "--type", "0", "--from", "2026-02-01", "--to", "2026-01-01", out}),
      "Please make sure your Start date is earlier than End date"));
  EXPECT_EQ(box_->Run({"pdf", "DEMO-001", "--type", "0", "--latest", "7"}).status, 2);
  EXPECT_EQ(box_->Run({"pdf", "DEMO-001", "--type", "10", "--all", "--latest", "7", out}).status, 2);
  EXPECT_EQ(box_->Run({"pdf", "--type", "10", "--latest", "7", out}).status, 2);
  EXPECT_FALSE(std::filesystem::exists(box_->root() + "/r.PDF"));

  EXPECT_TRUE(
      Refused(box_->Run({"pdf", "DEMO-001", "--type", "0", "--latest", "7", box_->root() + "/no/r"}),
              "Please make sure the disk can be written."));
}

}  // namespace
}  // namespace meridane::test
