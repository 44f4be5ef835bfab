#include "support/pdf_text.h"

#include <regex>
#include <sstream>

#include "support/temp_folder.h"

namespace meridane::test {

std::vector<PdfWord> ReadWords(const std::string& path) {
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
      words.push_back({page, std::stod(m[1]), height - baselineFromTop, yMin, m[5]});
    }
  }
  return words;
}

const PdfWord* FindWord(const std::vector<PdfWord>& words, const std::string& text, int page) {
  for (const auto& w : words)
    if (w.text == text && (page == 0 || w.page == page)) return &w;
  return nullptr;
}

std::string PdfInfo(const std::string& path) {
  return RunCommand("pdfinfo '" + path + "' 2>/dev/null");
}

std::string PdfInfoField(const std::string& path, const std::string& field) {
  const std::string info = PdfInfo(path);
  std::smatch m;
  return std::regex_search(info, m, std::regex("(^|\n)" + field + ": *([^\n]*)")) ? m[2].str() : "";
}

int PageCount(const std::string& path) {
  const std::string pages = PdfInfoField(path, "Pages");
  return pages.empty() ? 0 : std::stoi(pages);
}

std::string PdfText(const std::string& path, const char* mode) {
  return RunCommand(std::string("pdftotext ") + mode + " '" + path + "' - 2>/dev/null");
}

std::string FlatText(const std::string& path) {
  std::string raw = PdfText(path, "-raw"), flat;
  for (char c : raw) {
    bool space = c == '\n' || c == ' ' || c == '\f';
    if (space && (flat.empty() || flat.back() == ' ')) continue;
    flat += space ? ' ' : c;
  }
  return flat;
}

}  // namespace meridane::test
