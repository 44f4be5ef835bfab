#pragma once
// An emulated serial meter on the far side of a pseudo-terminal, so the real termios port
// code can be driven without hardware. A thread feeds what the computer writes to the
// emulator and writes its answer back.
#include <atomic>
#include <memory>
#include <string>
#include <thread>

#include "meter/emulator/meter_emulator.h"

namespace meridane {

class PtyMeter {
 public:
  // nullptr when no pseudo-terminal can be made.
  static std::unique_ptr<PtyMeter> Start(std::shared_ptr<MeterEmulator> meter);
  ~PtyMeter();
  // The tty path a port opens (/dev/pts/N).
  const std::string& path() const { return path_; }

 private:
  PtyMeter() = default;
  void Run();

  std::shared_ptr<MeterEmulator> meter_;
  int master_ = -1;
  std::string path_;
  std::atomic<bool> stop_{false};
  std::atomic<bool> unplugged_{false};
  std::thread thread_;
};

}  // namespace meridane
