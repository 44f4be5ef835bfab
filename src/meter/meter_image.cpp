#include "meter/meter_image.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>

namespace meridane {
namespace {

int Bcd(std::uint8_t b) { return (b >> 4) * 10 + (b & 0x0F); }
std::uint8_t ToBcd(int v) { return static_cast<std::uint8_t>(((v / 10) % 10) << 4 | (v % 10)); }
int Gluco(std::uint8_t b0, std::uint8_t b1) { return b0 * 100 + Bcd(b1); }
bool IsBcd(std::uint8_t b) { return (b >> 4) <= 9 && (b & 0x0F) <= 9; }

}  // namespace

std::uint32_t ImageRecordCount(std::uint8_t byte1, std::uint8_t byte2) {
  return byte1 + (static_cast<std::uint32_t>(byte2 >> 4) << 8);
}

std::uint32_t ImageByteCount(std::uint32_t recordCount) { return 8 * recordCount + 1; }

MeterRecord DecodePersonalRecord(std::span<const std::uint8_t, kRecordSize> r) {
  MeterRecord m;
  m.gluco = Gluco(r[0], r[1]);
  m.year = 2000 + Bcd(r[2]);
  m.month = Bcd(r[3]);
  m.day = Bcd(r[4]);
  m.hour = Bcd(r[5]);
  m.minute = Bcd(r[6]);
  m.mark = (r[7] >> 7) & 1;
  return m;
}

MeterRecord DecodeClinicRecord(std::span<const std::uint8_t, kRecordSize> r) {
  MeterRecord m;
  m.gluco = Gluco(r[0], r[1]);
  m.year = 2000 + (((r[2] & 0x07) << 4) | (r[3] >> 4));
  m.month = r[3] & 0x0F;
  m.day = r[4] >> 3;
  m.hour = ((r[4] & 0x07) << 2) | (r[5] >> 6);
  m.minute = r[5] & 0x3F;
  m.medicalNo = r[6] | ((r[7] & 0x03) << 8);
  m.isVoid = (r[7] & 0x20) != 0;
  m.mark = (r[7] >> 7) & 1;
  return m;
}

bool RecordDigitsOk(std::span<const std::uint8_t, kRecordSize> r, bool clinic) {
  // A clinic record's date fields are plain bits; only its glucose units are decimal.
  return clinic ? IsBcd(r[1]) : std::all_of(r.begin() + 1, r.begin() + 7, IsBcd);
}

std::vector<std::uint8_t> EncodePersonalRecord(const MeterRecord& m) {
  return {static_cast<std::uint8_t>(m.gluco / 100),
          ToBcd(m.gluco % 100),
          ToBcd(m.year - 2000),
          ToBcd(m.month),
          ToBcd(m.day),
          ToBcd(m.hour),
          ToBcd(m.minute),
          static_cast<std::uint8_t>(m.mark ? 0x80 : 0)};
}

std::vector<std::uint8_t> EncodeClinicRecord(const MeterRecord& m) {
  const int y = (m.year - 2000) & 0x7F;
  return {static_cast<std::uint8_t>(m.gluco / 100),
          ToBcd(m.gluco % 100),
          static_cast<std::uint8_t>(y >> 4),
          static_cast<std::uint8_t>(((y & 0x0F) << 4) | (m.month & 0x0F)),
          static_cast<std::uint8_t>(((m.day & 0x1F) << 3) | ((m.hour >> 2) & 0x07)),
          static_cast<std::uint8_t>(((m.hour & 0x03) << 6) | (m.minute & 0x3F)),
          static_cast<std::uint8_t>(m.medicalNo & 0xFF),
          static_cast<std::uint8_t>(((m.medicalNo >> 8) & 0x03) | (m.isVoid ? 0x20 : 0) |
                                    (m.mark ? 0x80 : 0))};
}

std::vector<std::uint8_t> BuildMeterImage(std::uint8_t type,
                                          const std::vector<std::vector<std::uint8_t>>& records) {
  const auto n = static_cast<std::uint32_t>(records.size());
  std::vector<std::uint8_t> image{type, static_cast<std::uint8_t>(n & 0xFF),
                                  static_cast<std::uint8_t>(((n >> 8) & 0x0F) << 4), 0, 0};
  for (const auto& r : records) image.insert(image.end(), r.begin(), r.end());
  image.push_back(0);
  return image;
}

std::uint8_t Checksum8(std::span<const std::uint8_t> bytes) {
  std::uint8_t sum = 0;
  for (auto b : bytes) sum = static_cast<std::uint8_t>(sum + b);
  return static_cast<std::uint8_t>(0x100 - sum);
}

bool SerialChecksumOk(std::span<const std::uint8_t> block, std::uint8_t length) {
  if (block.size() < std::size_t{length} + 1u) return false;
  std::uint8_t sum = length == 11 ? kLongSerialMarker : 0;
  for (std::size_t i = 0; i <= length; ++i) sum = static_cast<std::uint8_t>(sum + block[i]);
  return sum == 0;
}

std::vector<std::uint8_t> BuildSerialBlock(const std::string& serial) {
  std::vector<std::uint8_t> block;
  if (serial.size() != 10) block.push_back(kLongSerialMarker);
  for (std::size_t i = 0; i < (serial.size() == 10 ? 10u : 11u); ++i)
    block.push_back(i < serial.size() ? static_cast<std::uint8_t>(serial[i]) : '0');
  block.push_back(Checksum8(block));
  return block;
}

bool IsAllowedSerialChar(std::uint8_t c) {
  return (c >= 0x30 && c <= 0x39) || (c >= 0x41 && c <= 0x5A) || (c >= 0x61 && c <= 0x7B);
}

std::optional<std::vector<std::uint8_t>> LoadMeterImageFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                  std::istreambuf_iterator<char>());
  if (in.bad() || bytes.size() < kImageHeaderSize) return std::nullopt;
  return bytes;
}

LinkResult TakeSerialBlock(const std::uint8_t* block, std::size_t available,
                           std::span<std::uint8_t> buffer, std::uint8_t length) {
  const std::size_t n = std::size_t{length} + 1;
  if (available < n || buffer.size() < n) return LINK_READ_FAILED;
  std::memcpy(buffer.data(), block, n);
  return SerialChecksumOk(buffer, length) ? LINK_OK : LINK_READ_FAILED;
}

}  // namespace meridane
