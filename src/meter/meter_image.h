#pragma once
// The memory image a meter sends and the two 8-byte record encodings, plus the serial-number
// block. Pure functions: the download decodes with them, the emulator and tests encode.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "meter/link_result.h"

namespace meridane {

// Image layout: [0] type "P"/"M", [1] count bits 7-0, [2] bits 7-4 = count bits 11-8,
// [3..4] unused, then 8 bytes per record, then one trailing byte.
inline constexpr std::size_t kImageHeaderSize = 5;
inline constexpr std::size_t kRecordSize = 8;
inline constexpr std::size_t kImageBufferSize = 8192;  // what callers pass to the reads
// Largest count whose image fits kImageBufferSize in 32-byte blocks; larger counts are
// refused by every link as LINK_READ_FAILED before the body is read.
inline constexpr std::uint32_t kMaxImageRecords = 1023;
inline constexpr std::uint32_t kMaxUartImageRecords = 480;
inline constexpr std::uint8_t kPersonalMeterType = 'P';
inline constexpr std::uint8_t kClinicMeterType = 'M';

// Count from the header bytes 1 and 2 (0..4095); the low nibble of byte 2 is ignored.
std::uint32_t ImageRecordCount(std::uint8_t byte1, std::uint8_t byte2);
// 8 × count + 1: the records and the trailing byte, without the header.
std::uint32_t ImageByteCount(std::uint32_t recordCount);

// One record as decoded, fields taken as the meter wrote them, so a date may be invalid; the
// caller judges validity (and checks RecordDigitsOk first).
struct MeterRecord {
  int gluco = 0;  // mg/dL
  int year = 2000, month = 0, day = 0, hour = 0, minute = 0;
  int mark = 0;         // 1 when the meter mark bit is set
  int medicalNo = 0;    // clinic records only, 0..1023
  bool isVoid = false;  // clinic records only: the reading was not taken
  bool operator==(const MeterRecord&) const = default;
};

MeterRecord DecodePersonalRecord(std::span<const std::uint8_t, kRecordSize> r);
MeterRecord DecodeClinicRecord(std::span<const std::uint8_t, kRecordSize> r);
// True when every decimal (BCD) field of the record holds digits 0..9 only: the personal
// record's glucose units and date-time, the clinic record's glucose units. A damaged record
// fails, and is skipped rather than decoded into a value nobody measured.
bool RecordDigitsOk(std::span<const std::uint8_t, kRecordSize> r, bool clinic);
// Inverses (year 2000..2099 / 2000..2127, glucose 0..2599), for the emulator and tests.
std::vector<std::uint8_t> EncodePersonalRecord(const MeterRecord& m);
std::vector<std::uint8_t> EncodeClinicRecord(const MeterRecord& m);

// A whole image: header with the count of `records` (8 bytes each), records, trailing byte.
std::vector<std::uint8_t> BuildMeterImage(std::uint8_t type,
                                          const std::vector<std::vector<std::uint8_t>>& records);

// Serial-number block: long form 0x0B + 11 characters + checksum, short form 10 characters +
// checksum; bytes + checksum ≡ 0 mod 256 (the 0x0B included for the long form).
inline constexpr std::uint8_t kLongSerialMarker = 0x0B;
// True when the length + 1 bytes at `block` (characters then checksum) sum to zero, counting
// the 0x0B marker for length 11.
bool SerialChecksumOk(std::span<const std::uint8_t> block, std::uint8_t length);
// The block a meter sends for `serial` (10 → short form, otherwise long form of 11 chars).
std::vector<std::uint8_t> BuildSerialBlock(const std::string& serial);
// Characters a VXA meter may use in the first ten places: 0-9, A-Z, a-z and "{".
bool IsAllowedSerialChar(std::uint8_t c);
// Two's complement of the low 8 bits of the sum.
std::uint8_t Checksum8(std::span<const std::uint8_t> bytes);

// Command bytes every family sends, and the pause after a command before its answer is read.
inline constexpr std::uint8_t kCmdImage = 'E';
inline constexpr std::uint8_t kCmdNextBlock = 'a';
inline constexpr std::uint8_t kCmdSerial = 'R';
inline constexpr std::uint8_t kCmdWrite = 'W';
inline constexpr std::uint32_t kCommandPauseMs = 200;

// Copies the serial block (length characters + checksum) starting at `block` into `buffer`
// and checks its sum: LINK_OK or LINK_READ_FAILED. `available` bounds what the answer holds.
LinkResult TakeSerialBlock(const std::uint8_t* block, std::size_t available,
                           std::span<std::uint8_t> buffer, std::uint8_t length);

// Reads a memory image file as written by the CLI (type byte, count, …). nullopt when the
// file cannot be read or is shorter than a header.
std::optional<std::vector<std::uint8_t>> LoadMeterImageFile(const std::string& path);

}  // namespace meridane
