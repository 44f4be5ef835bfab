// A 10,000-row log book saved as PDF, against a bare libharu loop that draws the same texts
// and rules on the same pages. Prints the time ratio (goal <= 2) and the peak memory of
// each run (goal < 200 MB), each run in a child process of its own.
#include <hpdf.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>

#include "output/pdf_report.h"
#include "output/pdf_save.h"
#include "bench_report.h"

using namespace meridane;

namespace {

constexpr int kRows = 10000;
const float kX[9] = {25, 100, 160, 220, 280, 340, 400, 460, 520};

ReportModel MakeLogBook() {
  ReportModel r;
  r.ctx.from = {2025, 1, 1};
  r.ctx.to = {2026, 12, 31};
  r.ctx.fullName = "Anna Schmidt";
  r.ctx.medicalNo = "007";
  for (int i = 0; i < kRows; ++i) {
    GridRow row(9);
    char date[40];
    std::snprintf(date, sizeof date, "%02d/%02d/2026  %02d:%02d", 1 + i % 12, 1 + i % 28, i % 24,
                  i % 60);
    row[0].text = date;
    row[1 + i % 7].text = std::to_string(60 + i % 300);
    if (i % 5 == 0) row[8].text = "4.0,Insulin";
    r.logBook.rows.push_back(std::move(row));
  }
  return r;
}

size_t WriterRun(const ReportModel& r) {
  PdfDocument doc;
  WriteReportPdf(doc, r);
  return doc.Serialize().size();
}

void Show(HPDF_Page p, float x, float y, const char* s) {
  HPDF_Page_BeginText(p);
  HPDF_Page_SetRGBFill(p, 0, 0, 0);
  HPDF_Page_MoveTextPos(p, x, y);
  HPDF_Page_ShowText(p, s);
  HPDF_Page_EndText(p);
}

void Stroke(HPDF_Page p, float x, float y, float len) {
  HPDF_Page_SetLineWidth(p, 1);
  HPDF_Page_MoveTo(p, x, y);
  HPDF_Page_LineTo(p, x + len, y);
  HPDF_Page_Stroke(p);
}

// The floor: the same texts and rules straight through libharu, nothing in between.
size_t BareRun(const ReportModel& r) {
  HPDF_Doc doc = HPDF_New(nullptr, nullptr);
  HPDF_SetCompressionMode(doc, HPDF_COMP_ALL);
  HPDF_Font font = HPDF_GetFont(doc, "Times-Roman", "ISO8859-2");
  static const char* kTitles[9] = {"Date",          "Before Breakfast", "After Breakfast",
                                   "Before Lunch",  "After Lunch",      "Before Dinner",
                                   "After Dinner",  "Bedtime Glucose",  "Insulin"};
  HPDF_Page page = nullptr;
  float h = 0, w = 0, y = 0;
  auto head = [&] {
    page = HPDF_AddPage(doc);
    h = HPDF_Page_GetHeight(page);
    w = HPDF_Page_GetWidth(page);
    HPDF_Page_SetFontAndSize(page, font, 12);
    Show(page, 20, h - 40, "Log Book       From 01/01/2025     To     12/31/2026");
    Show(page, 400, h - 40, "Patient Name :Anna Schmidt(007)");
    Show(page, 20, h - 60, "Glucose Value Unit: mg/dL");
    HPDF_Page_SetFontAndSize(page, font, 8);
    for (int i = 0; i < 9; ++i) Show(page, kX[i], h - 80, kTitles[i]);
    Stroke(page, 20, h - 85, w - 60);
    y = h - 95;
  };
  head();
  bool first = true;
  for (const auto& row : r.logBook.rows) {
    if (y < 110 && !first) head();
    first = false;
    for (int i = 0; i < 9; ++i)
      if (!row[i].text.empty()) Show(page, kX[i], y, row[i].text.c_str());
    y -= 6;
    Stroke(page, 20, y, w - 60);
    y -= 10;
  }
  HPDF_SaveToStream(doc);
  size_t size = HPDF_GetStreamSize(doc);
  HPDF_Free(doc);
  return size;
}

// Runs `fn` in a child; returns its seconds (best of `reps`) and its peak resident size.
template <class Fn>
std::pair<double, double> Measure(Fn fn, int reps) {
  int fds[2];
  if (pipe(fds) != 0) return {0, 0};
  pid_t pid = fork();
  if (pid == 0) {
    double best = 1e9;
    for (int i = 0; i < reps; ++i) {
      auto t0 = std::chrono::steady_clock::now();
      fn();
      best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
    }
    if (write(fds[1], &best, sizeof best) != sizeof best) _exit(1);
    _exit(0);
  }
  close(fds[1]);
  double secs = 0;
  if (read(fds[0], &secs, sizeof secs) != sizeof secs) secs = 0;
  close(fds[0]);
  int status = 0;
  struct rusage ru {};
  wait4(pid, &status, 0, &ru);
  return {secs, ru.ru_maxrss / 1024.0};
}

}  // namespace

int main() {
  const ReportModel report = MakeLogBook();
  std::printf("log book of %d rows: writer %zu bytes, bare loop %zu bytes\n", kRows,
              WriterRun(report), BareRun(report));
  auto idle = Measure([] {}, 1);
  auto bare = Measure([&] { BareRun(report); }, 5);
  auto writer = Measure([&] { WriterRun(report); }, 5);
  std::printf("time:   writer %.3f s, bare libharu loop %.3f s, ratio %.2f (goal <= 2)\n",
              writer.first, bare.first, writer.first / bare.first);
  std::printf("memory: writer peak %.1f MB, bare loop peak %.1f MB, process floor %.1f MB, "
              "ratio to bare %.2f (goal < 200 MB)\n",
              writer.second, bare.second, idle.second, writer.second / bare.second);
  bench::ReportRow("PDF log book vs bare libharu loop", writer.first, bare.first, "s", "<= 2");
  return 0;
}
