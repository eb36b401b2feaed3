#pragma once
// Bounds-checked reader of enhanced metafiles ([MS-EMF]). It delivers every
// record (type, size, bytes) in file order, the EMR_HEADER and EMR_EOF
// records included. Every record size is checked (at least 8, a multiple of
// 4, inside the data); at the first damaged record the walk stops cleanly and
// reports where and why. The header's record and byte counts are not trusted:
// real files disagree with them (a record count off by one, a byte count
// smaller than the file), so the walk follows the records themselves.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "kmByteReader.h"
#include "kmCanvas.h"

namespace km {

struct TEmfRecord {
  std::uint32_t Type = 0;
  std::uint32_t Size = 0;
  std::size_t Offset = 0;                // of the record in the data
  std::span<const std::uint8_t> Bytes;   // the whole record, type and size included
  // Checked access to the record's fields by their offset in the record.
  ByteReader Reader() const { return ByteReader(Bytes); }
};

// The fixed part of EMR_HEADER.
struct TEmfHeader {
  TRect Bounds;            // inclusive device-pixel bounds of the drawing
  TRect Frame;             // inclusive picture frame in 0.01 mm
  std::uint32_t Signature = 0;
  std::uint32_t Version = 0;
  std::uint32_t Bytes = 0;     // as claimed by the file
  std::uint32_t Records = 0;   // as claimed by the file
  std::uint16_t Handles = 0;
  TSize Device;            // reference device in pixels
  TSize Millimeters;       // reference device in millimetres
  TSize Micrometers;       // 0 when the header has no such extension
};

enum class TEmfReadStatus {
  rsComplete,     // walked to EMR_EOF
  rsNoEof,        // the data ended cleanly before an EMR_EOF record
  rsDamaged,      // a record size was invalid; the walk stopped there
  rsNotEmf        // the data does not start with a valid EMR_HEADER
};

class TEmfReader {
 public:
  // The reader keeps a view of bytes; they must outlive it.
  explicit TEmfReader(std::span<const std::uint8_t> bytes);

  // The next record, or false at the end (EMR_EOF delivered, end of data or
  // damage). Never reads outside the data.
  bool Next(TEmfRecord& record);

  TEmfReadStatus Status() const { return status_; }
  // Why the walk stopped early; empty after a complete walk.
  const std::string& Error() const { return error_; }
  // Offset of the damaged record, when Status() is rsDamaged or rsNotEmf.
  std::size_t ErrorOffset() const { return error_offset_; }

 private:
  bool Fail(TEmfReadStatus status, std::string message);
  ByteReader data_;
  std::size_t pos_ = 0;
  bool done_ = false;
  TEmfReadStatus status_ = TEmfReadStatus::rsNoEof;
  std::string error_;
  std::size_t error_offset_ = 0;
};

struct TEmfReadResult {
  std::vector<TEmfRecord> Records;
  TEmfReadStatus Status = TEmfReadStatus::rsNotEmf;
  std::string Error;
  bool Complete() const { return Status == TEmfReadStatus::rsComplete; }
};

// Walks all records of the data.
TEmfReadResult ReadEmfRecords(std::span<const std::uint8_t> bytes);

// The header fields of an EMR_HEADER record; throws EReadError when the
// record is shorter than the fixed header.
TEmfHeader ParseEmfHeader(const TEmfRecord& header);

// True when the data starts with a plausible EMR_HEADER (type 1, size at
// least 88, " EMF" signature).
bool LooksLikeEmf(std::span<const std::uint8_t> bytes);

// Readable name of a record type ("EMR_POLYLINE16"), or "EMR_<number>".
std::string EmfRecordName(std::uint32_t type);

}  // namespace km
