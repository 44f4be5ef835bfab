#pragma once
// Reading saved PDF documents back for tests: words with their page and baseline position
// (PDF points from the lower left, as the writers place them) through poppler's pdftotext.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "app/prompter.h"
#include "output/pdf_save.h"

namespace meridane::test {

// A grid of the given cell texts, as the report sets hold them.
inline GridSet GridOf(const std::vector<std::vector<std::string>>& rows) {
  GridSet g;
  for (const auto& cells : rows) {
    GridRow row;
    for (const auto& c : cells) row.push_back(GridCell{c, {}, {}});
    g.rows.push_back(std::move(row));
  }
  return g;
}

struct PdfWord {
  int page = 0;  // 1-based
  double x = 0;
  double y = 0;  // baseline
  std::string text;
};

inline std::string RunCommand(const std::string& cmd) {
  std::string out;
  FILE* p = popen(cmd.c_str(), "r");
  if (!p) return out;
  char buf[4096];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
  pclose(p);
  return out;
}

inline std::vector<PdfWord> ReadWords(const std::string& path) {
  std::vector<PdfWord> words;
  std::string xml = RunCommand("pdftotext -bbox '" + path + "' - 2>/dev/null");
  static const std::regex kPage(R"re(<page width="([0-9.]+)" height="([0-9.]+)")re");
  static const std::regex kWord(
      R"re(<word xMin="([0-9.\-]+)" yMin="([0-9.\-]+)" xMax="([0-9.\-]+)" yMax="([0-9.\-]+)">([^<]*)</word>)re");
  int page = 0;
  double height = 0;
  std::istringstream in(xml);
  for (std::string line; std::getline(in, line);) {
    std::smatch m;
    if (std::regex_search(line, m, kPage)) {
      ++page;
      // pdftotext rounds the page size; A4 is 595.276 x 841.89 points.
      height = std::stod(m[2]) > 700 ? 841.89 : 595.276;
    } else if (std::regex_search(line, m, kWord)) {
      double yMin = std::stod(m[2]), yMax = std::stod(m[4]);
      // Times: descent is 0.217 of the size and the box 0.9 of it.
      double baselineFromTop = yMax - (yMax - yMin) * 0.217 / 0.9;
      words.push_back({page, std::stod(m[1]), height - baselineFromTop, m[5]});
    }
  }
  return words;
}

inline int PageCount(const std::string& path) {
  std::string info = RunCommand("pdfinfo '" + path + "' 2>/dev/null");
  std::smatch m;
  static const std::regex kPages(R"re(Pages:\s+(\d+))re");
  return std::regex_search(info, m, kPages) ? std::stoi(m[1]) : 0;
}

inline std::string PdfText(const std::string& path, const char* mode = "-layout") {
  return RunCommand(std::string("pdftotext ") + mode + " '" + path + "' - 2>/dev/null");
}

// The words in drawing order joined by single spaces; turned text comes a word a line.
inline std::string FlatText(const std::string& path) {
  std::string raw = PdfText(path, "-raw"), flat;
  for (char c : raw) {
    bool space = c == '\n' || c == ' ' || c == '\f';
    if (space && (flat.empty() || flat.back() == ' ')) continue;
    flat += space ? ' ' : c;
  }
  return flat;
}

inline const PdfWord* FindWord(const std::vector<PdfWord>& words, const std::string& text,
                               int page = 0) {
  for (const auto& w : words)
    if (w.text == text && (page == 0 || w.page == page)) return &w;
  return nullptr;
}

// A throw-away folder for the documents of one test.
class PdfFolder {
 public:
  PdfFolder() {
    std::string tmpl = (std::filesystem::temp_directory_path() / "meridane-pdf-XXXXXX").string();
    if (!mkdtemp(tmpl.data())) throw std::runtime_error("mkdtemp failed");
    root_ = tmpl;
  }
  ~PdfFolder() {
    std::error_code ec;
    std::filesystem::remove_all(root_, ec);
  }
  std::string Path(const std::string& name) const { return root_ + "/" + name; }

  // Saves the report under `name` (extension rule applied) and returns the saved path.
  std::string Save(const ReportModel& report, const std::string& name = "report.pdf") const {
    ScriptedPrompter prompter;
    PdfSaveResult r = SavePdfReport(Path(name), report, prompter, nullptr);
    EXPECT_EQ(r.outcome, PdfSaveOutcome::Saved);
    EXPECT_TRUE(prompter.asked().empty());
    return r.path;
  }

 private:
  std::string root_;
};

}  // namespace meridane::test
