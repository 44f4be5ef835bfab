// HID backend over hidapi (hidraw on Linux).
#include <hidapi/hidapi.h>

#include <algorithm>
#include <mutex>

#include "meter/transport/hid_backend.h"

namespace meridane {
namespace {

// Product strings arrive as wide characters; ASCII stays as is so the byte comparison with
// the family names works, anything else is written as UTF-8.
std::string Narrow(const wchar_t* w) {
  std::string out;
  for (; *w; ++w) {
    auto c = static_cast<std::uint32_t>(*w);
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += static_cast<char>(0xE0 | (c >> 12));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (c >> 18));
      out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

class HidapiDevice : public HidDevice {
 public:
  explicit HidapiDevice(hid_device* d) : d_(d) {}
  ~HidapiDevice() override { hid_close(d_); }

  std::optional<std::string> ProductString() override {
    wchar_t buf[126] = {};  // 250 bytes of UTF-16 text plus a terminator
    if (hid_get_product_string(d_, buf, 125) != 0) return std::nullopt;
    buf[125] = 0;
    return Narrow(buf);
  }

  bool SendOutputReport(std::span<const std::uint8_t> report) override {
    return hid_write(d_, report.data(), report.size()) == static_cast<int>(report.size());
  }

  int GetInputReport(std::span<std::uint8_t> report) override {
    if (report.empty()) return -1;
    int n = hid_get_input_report(d_, report.data(), report.size());
    return n < 0 ? -1 : std::min(n, static_cast<int>(report.size()));
  }

 private:
  hid_device* d_;
};

class HidapiBackend : public HidBackend {
 public:
  HidapiBackend() { ok_ = hid_init() == 0; }
  ~HidapiBackend() override {
    if (ok_) hid_exit();
  }

  std::vector<HidInterfaceInfo> Enumerate() override {
    std::vector<HidInterfaceInfo> out;
    if (!ok_) return out;
    std::lock_guard lock(mu_);
    hid_device_info* list = hid_enumerate(0, 0);
    for (auto* d = list; d; d = d->next) {
      HidInterfaceInfo info;
      info.path = d->path ? d->path : "";
      info.vendorId = d->vendor_id;
      info.productId = d->product_id;
      info.caps.usagePage = d->usage_page;
      info.caps.usage = d->usage;
      out.push_back(std::move(info));
    }
    hid_free_enumeration(list);
    return out;
  }

  std::unique_ptr<HidDevice> Open(const std::string& path) override {
    if (!ok_ || path.empty()) return nullptr;
    hid_device* d = hid_open_path(path.c_str());
    if (!d) return nullptr;
    return std::make_unique<HidapiDevice>(d);
  }

 private:
  bool ok_ = false;
  std::mutex mu_;
};

}  // namespace

HidBackend& SystemHidBackend() {
  static HidapiBackend backend;
  return backend;
}

}  // namespace meridane
