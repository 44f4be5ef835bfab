// Serial backend: libserialport finds the ports, termios does the I/O (which also works on a
// pseudo-terminal, where libserialport refuses to open).
#include <fcntl.h>
#include <libserialport.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>

#include "meter/transport/serial_backend.h"

namespace meridane {
namespace {

using Clock = std::chrono::steady_clock;
constexpr int kCancelCheckMs = 10;

bool IsGoneErrno(int e) { return e == EIO || e == ENXIO || e == ENODEV || e == EBADF; }

speed_t BaudConstant(std::uint32_t baud) {
  switch (baud) {
    case 300:
      return B300;
    case 600:
      return B600;
    case 1200:
      return B1200;
    case 2400:
      return B2400;
    case 4800:
      return B4800;
    case 9600:
      return B9600;
    case 19200:
      return B19200;
    case 38400:
      return B38400;
    case 57600:
      return B57600;
    case 115200:
      return B115200;
    default:
      return 0;
  }
}

class TermiosPort : public SerialPort {
 public:
  explicit TermiosPort(int fd) : fd_(fd) {}
  ~TermiosPort() override { ::close(fd_); }

  bool Configure(const SerialLine& line) override {
    termios t{};
    if (tcgetattr(fd_, &t) != 0) return false;
    const speed_t speed = BaudConstant(line.baud);
    if (speed == 0) return false;
    cfmakeraw(&t);
    cfsetispeed(&t, speed);
    cfsetospeed(&t, speed);
    t.c_cflag |= CLOCAL | CREAD;
    t.c_cflag &= ~(CSIZE | PARENB | PARODD | CSTOPB | CRTSCTS);
    t.c_cflag |= line.dataBits == 7 ? CS7 : CS8;
    if (line.parity) t.c_cflag |= PARENB;
    if (line.stopBits == 2) t.c_cflag |= CSTOPB;
    if (line.hardwareFlow) t.c_cflag |= CRTSCTS;
    t.c_iflag &= ~(IXON | IXOFF | IXANY);
    if (line.xonXoff) t.c_iflag |= IXON | IXOFF;
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 0;
    if (tcsetattr(fd_, TCSANOW, &t) != 0) return false;
    // A pseudo-terminal has no modem lines and answers ENOTTY/EINVAL; that is not a failure.
    int bits = (line.dtr ? TIOCM_DTR : 0) | (line.rts ? TIOCM_RTS : 0);
    if (bits && ioctl(fd_, TIOCMBIS, &bits) != 0 && errno != ENOTTY && errno != EINVAL)
      return false;
    return true;
  }

  bool SetTimeouts(const SerialTimeouts& t) override {
    timeouts_ = t;
    return true;
  }

  void Purge() override { tcflush(fd_, TCIOFLUSH); }
  void Drain() override { tcdrain(fd_); }

  SerialIo Write(std::span<const std::uint8_t> bytes, int attempts, std::uint32_t waitMs) override {
    SerialIo io{SerialStatus::Ok, 0};
    int waits = 0;
    while (io.bytes < bytes.size()) {
      ssize_t n = ::write(fd_, bytes.data() + io.bytes, bytes.size() - io.bytes);
      if (n > 0) {
        io.bytes += static_cast<std::size_t>(n);
        continue;
      }
      if (n < 0 && errno != EAGAIN && errno != EINTR) {
        io.status = IsGoneErrno(errno) ? SerialStatus::Gone : SerialStatus::Failed;
        return io;
      }
      if (++waits > attempts) return io;  // timed out: fewer bytes, status Ok
      pollfd p{fd_, POLLOUT, 0};
      ::poll(&p, 1, static_cast<int>(waitMs));
    }
    return io;
  }

  SerialIo Read(std::span<std::uint8_t> buffer, const CancelFlag* cancel) override {
    SerialIo io{SerialStatus::Ok, 0};
    const auto start = Clock::now();
    const std::uint64_t totalMs =
        timeouts_.readTotalConstant + std::uint64_t{timeouts_.readTotalMultiplier} * buffer.size();
    auto lastByte = start;
    while (io.bytes < buffer.size()) {
      if (cancel && cancel->load(std::memory_order_relaxed)) {
        io.status = SerialStatus::Cancelled;
        return io;
      }
      const auto now = Clock::now();
      auto since = [&](Clock::time_point t) {
        return static_cast<std::uint64_t>(
            std::chrono::duration_cast<std::chrono::milliseconds>(now - t).count());
      };
      if (totalMs > 0 && since(start) >= totalMs) break;
      if (timeouts_.readInterval > 0 && io.bytes > 0 && since(lastByte) >= timeouts_.readInterval)
        break;
      pollfd p{fd_, POLLIN, 0};
      const int ready = ::poll(&p, 1, kCancelCheckMs);
      if (ready < 0) {
        if (errno == EINTR) continue;
        io.status = SerialStatus::Failed;
        return io;
      }
      if (ready == 0) continue;
      if (p.revents & POLLIN) {
        ssize_t n = ::read(fd_, buffer.data() + io.bytes, buffer.size() - io.bytes);
        if (n > 0) {
          io.bytes += static_cast<std::size_t>(n);
          lastByte = Clock::now();
          continue;
        }
        if (n < 0 && (errno == EAGAIN || errno == EINTR)) continue;
        // End of file or EIO on a tty: the other side is gone.
        io.status = (n == 0 || IsGoneErrno(errno)) ? SerialStatus::Gone : SerialStatus::Failed;
        return io;
      }
      if (p.revents & (POLLHUP | POLLERR | POLLNVAL)) {
        io.status = SerialStatus::Gone;
        return io;
      }
    }
    return io;
  }

 private:
  int fd_;
  SerialTimeouts timeouts_;
};

class SystemSerial : public SerialBackend {
 public:
  std::optional<std::vector<SerialPortInfo>> ListPorts() override {
    sp_port** list = nullptr;
    if (sp_list_ports(&list) != SP_OK) return std::nullopt;
    std::vector<SerialPortInfo> out;
    for (sp_port** p = list; *p; ++p) {
      SerialPortInfo info;
      const char* name = sp_get_port_name(*p);
      const char* desc = sp_get_port_description(*p);
      info.path = name ? name : "";
      info.description = desc ? desc : "";
      int vid = -1, pid = -1;
      if (sp_get_port_transport(*p) == SP_TRANSPORT_USB &&
          sp_get_port_usb_vid_pid(*p, &vid, &pid) == SP_OK) {
        info.usbVendorId = vid;
        info.usbProductId = pid;
      }
      if (!info.path.empty()) out.push_back(std::move(info));
    }
    sp_free_port_list(list);
    return out;
  }

  std::unique_ptr<SerialPort> Open(const std::string& path) override {
    return OpenTermiosPort(path);
  }
};

}  // namespace

std::unique_ptr<SerialPort> OpenTermiosPort(const std::string& path) {
  if (path.empty()) return nullptr;
  int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return nullptr;
  if (!isatty(fd)) {
    ::close(fd);
    return nullptr;
  }
  // Nobody else may open the meter's port while we talk to it.
  ioctl(fd, TIOCEXCL);
  return std::make_unique<TermiosPort>(fd);
}

SerialBackend& SystemSerialBackend() {
  static SystemSerial backend;
  return backend;
}

bool IsCp210xPort(const SerialPortInfo& info) {
  return (info.usbVendorId == kCp210xVendorId && info.usbProductId == kCp210xProductId) ||
         info.description.find("CP210x") != std::string::npos;
}

std::optional<std::string> ComPathFromFriendlyName(const std::string& friendlyName) {
  if (friendlyName.find("Silicon Labs CP210x USB to UART") == std::string::npos)
    return std::nullopt;
  const auto com = friendlyName.find("COM");
  if (com == std::string::npos) return std::nullopt;
  std::string port = friendlyName.substr(com);
  port.pop_back();  // the closing parenthesis of "(COM3)"
  if (port.size() <= 3) return std::nullopt;
  return "\\\\.\\" + port;
}

}  // namespace meridane
