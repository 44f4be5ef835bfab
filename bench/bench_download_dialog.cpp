// A whole emulated download of 1,023 records with real pauses through the window's progress
// dialog, against the protocol's own pauses slept one by one in the same run (goal: at most
// 1.005). The dialog closes when the worker says it has ended, not at its next 1000 ms
// tick, and its animation and progress text run meanwhile. Takes about two minutes.
#include <QApplication>
#include <QTimer>

#include "gui/download/progress_gif.h"
#include "download_bench_util.h"
#include "gui/widgets/animated_picture.h"

using namespace meridane;
using namespace meridane::bench;

int main(int argc, char** argv) {
  if (qgetenv("QT_QPA_PLATFORM").isEmpty()) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);

  BenchBook book("dialog");
  auto image = Image(1023, 0);
  int expected = 0;
  const double floor = book.PausesOneByOne(image, &expected);

  DownloadFinishedRelay relay;
  RealSleeper real;
  int frames = 0;
  DownloadReport r;
  double whole = Seconds([&] {
    r = book.Run(
        image, real,
        [&](DownloadSession& s) {
          // The picture's frames show the window kept drawing while the worker read.
          QTimer probe;
          QObject::connect(&probe, &QTimer::timeout, [&] {
            if (auto* d = qobject_cast<CProgressGIF*>(QApplication::activeModalWidget()))
              frames = d->picture()->frame();
          });
          probe.start(500);
          WaitInProgressDialog(s, &relay, nullptr);
        },
        [&](DownloadSession& s) { relay.Attach(s); });
  });
  std::printf("whole download through the progress dialog, 1023 records, real pauses: %.2f s; "
              "/pauses one by one = %.4f (goal <= 1.005); inserted %d/%d; picture frames %d\n",
              whole, whole / floor, r.inserted, expected, frames);
  return 0;
}
