#include "meter/emulator/pty_meter.h"

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <array>
#include <cerrno>

namespace meridane {

std::unique_ptr<PtyMeter> PtyMeter::Start(std::shared_ptr<MeterEmulator> meter) {
  int master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (master < 0) return nullptr;
  char name[128] = {};
  if (grantpt(master) != 0 || unlockpt(master) != 0 || ptsname_r(master, name, sizeof name) != 0) {
    close(master);
    return nullptr;
  }
  // Raw on the meter's side too, so no byte is translated or echoed.
  termios t{};
  if (tcgetattr(master, &t) == 0) {
    cfmakeraw(&t);
    tcsetattr(master, TCSANOW, &t);
  }
  std::unique_ptr<PtyMeter> pty(new PtyMeter());
  pty->meter_ = std::move(meter);
  pty->master_ = master;
  pty->path_ = name;
  pty->thread_ = std::thread([p = pty.get()] { p->Run(); });
  return pty;
}

PtyMeter::~PtyMeter() {
  stop_ = true;
  if (thread_.joinable()) thread_.join();
  if (master_ >= 0) close(master_);
}

void PtyMeter::Run() {
  std::array<std::uint8_t, 256> buf{};
  while (!stop_) {
    if (unplugged_ && master_ >= 0) {
      close(master_);
      master_ = -1;
    }
    if (master_ < 0) {
      usleep(5000);
      continue;
    }
    pollfd p{master_, POLLIN, 0};
    if (poll(&p, 1, 5) > 0 && (p.revents & POLLIN)) {
      ssize_t n = read(master_, buf.data(), buf.size());
      if (n > 0) meter_->OnSerialWrite(std::span(buf.data(), static_cast<std::size_t>(n)));
    }
    // Hand over whatever the meter has to say; a loss point closes the line.
    for (;;) {
      SerialIo io = meter_->TakeSerialAnswer(buf);
      std::size_t off = 0;
      while (off < io.bytes) {
        ssize_t w = write(master_, buf.data() + off, io.bytes - off);
        if (w > 0) {
          off += static_cast<std::size_t>(w);
        } else if (w < 0 && errno != EAGAIN && errno != EINTR) {
          break;
        }
      }
      if (io.status == SerialStatus::Gone) {
        // Give the port time to read what was sent before the line drops.
        usleep(50000);
        unplugged_ = true;
        break;
      }
      if (io.bytes == 0) break;
    }
  }
}

}  // namespace meridane
