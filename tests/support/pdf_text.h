#pragma once
// Reading saved PDF documents back through poppler's tools: words with their page and
// position, the page count, the text and the document information.
#include <string>
#include <vector>

namespace meridane::test {

struct PdfWord {
  int page = 0;  // 1-based
  double x = 0;
  double y = 0;    // baseline, PDF points from the lower left as the writers place them
  double top = 0;  // top of the word's box, points from the top of the page
  std::string text;
};

std::vector<PdfWord> ReadWords(const std::string& path);
// The first word with that text (on that page; 0: any page), or null.
const PdfWord* FindWord(const std::vector<PdfWord>& words, const std::string& text, int page = 0);

int PageCount(const std::string& path);
// One field of the document information ("Title", "Creator" …); "" when missing.
std::string PdfInfoField(const std::string& path, const std::string& field);
// pdfinfo's whole answer.
std::string PdfInfo(const std::string& path);

std::string PdfText(const std::string& path, const char* mode = "-layout");
// The words in drawing order joined by single spaces; turned text comes a word a line.
std::string FlatText(const std::string& path);

}  // namespace meridane::test
