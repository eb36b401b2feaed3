#include "kmClasses3.h"

#include <unicode/uchar.h>
#include <unicode/ustring.h>

#include <algorithm>
#include <cstring>

#include "kmErrors.h"

namespace km {

// --- TkmExtMemStream -------------------------------------------------------

const std::uint8_t* TkmExtMemStream::Take(std::size_t n) {
  auto size = static_cast<std::int64_t>(data_.size());
  std::int64_t left = position_ < size ? size - position_ : 0;
  if (static_cast<std::uint64_t>(left) < n) {
    throw EkmStreamError("Read beyond end of stream: " + std::to_string(n) + " bytes needed at position " +
                         std::to_string(position_) + " of " + std::to_string(size));
  }
  const std::uint8_t* p = data_.data() + position_;
  position_ += static_cast<std::int64_t>(n);
  return p;
}

std::uint8_t TkmExtMemStream::ReadByte() { return *Take(1); }

std::uint16_t TkmExtMemStream::ReadUShort() {
  const std::uint8_t* p = Take(2);
  return static_cast<std::uint16_t>((p[0] << 8) | p[1]);
}

std::int16_t TkmExtMemStream::ReadShort() { return static_cast<std::int16_t>(ReadUShort()); }

std::uint32_t TkmExtMemStream::ReadULong() {
  const std::uint8_t* p = Take(4);
  return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) | p[3];
}

std::int32_t TkmExtMemStream::ReadLong() { return static_cast<std::int32_t>(ReadULong()); }

std::string TkmExtMemStream::ReadString(std::size_t length) {
  const std::uint8_t* p = Take(length);
  return std::string(reinterpret_cast<const char*>(p), length);
}

void TkmExtMemStream::SkipBytes(std::int64_t count) {
  std::int64_t size = GetSize();
  std::int64_t target = 0;
  if (__builtin_add_overflow(position_, count, &target)) target = count < 0 ? 0 : size;
  position_ = std::clamp<std::int64_t>(target, 0, size);
}

void TkmExtMemStream::WriteByte(std::uint8_t value) { WriteBuffer(&value, 1); }

void TkmExtMemStream::WriteByteArray(std::span<const std::uint8_t> bytes) { WriteBuffer(bytes.data(), bytes.size()); }

void TkmExtMemStream::WriteUShort(std::uint16_t value) {
  const std::uint8_t b[2] = {static_cast<std::uint8_t>(value >> 8), static_cast<std::uint8_t>(value)};
  WriteBuffer(b, 2);
}

void TkmExtMemStream::WriteShort(std::int16_t value) { WriteUShort(static_cast<std::uint16_t>(value)); }

void TkmExtMemStream::WriteULong(std::uint32_t value) {
  const std::uint8_t b[4] = {static_cast<std::uint8_t>(value >> 24), static_cast<std::uint8_t>(value >> 16),
                             static_cast<std::uint8_t>(value >> 8), static_cast<std::uint8_t>(value)};
  WriteBuffer(b, 4);
}

void TkmExtMemStream::WriteLong(std::int32_t value) { WriteULong(static_cast<std::uint32_t>(value)); }

void TkmExtMemStream::WriteULongArray(std::span<const std::uint32_t> values) {
  for (auto v : values) WriteULong(v);
}

void TkmExtMemStream::WriteUShortArray(std::span<const std::uint16_t> values) {
  for (auto v : values) WriteUShort(v);
}

void TkmExtMemStream::PadTo4Bytes() {
  Seek(0, TSeekOrigin::soEnd);
  std::int64_t r = GetSize() % 4;
  pad_size_ = r == 0 ? 0 : 4 - r;
  static constexpr std::uint8_t kZeros[3] = {0, 0, 0};
  WriteBuffer(kZeros, static_cast<std::size_t>(pad_size_));
}

// --- TWideStrings ----------------------------------------------------------

namespace {
const std::u16string kEmptyLine;
}  // namespace

int TWideStrings::Add(std::u16string_view s) {
  lines_.emplace_back(s);
  return Count() - 1;
}

void TWideStrings::Insert(int index, std::u16string_view s) {
  if (index < 0 || index > Count()) return;
  lines_.emplace(lines_.begin() + index, s);
}

void TWideStrings::Delete(int index) {
  if (index < 0 || index >= Count()) return;
  lines_.erase(lines_.begin() + index);
}

const std::u16string& TWideStrings::Get(int index) const {
  if (index < 0 || index >= Count()) return kEmptyLine;
  return lines_[static_cast<std::size_t>(index)];
}

void TWideStrings::Put(int index, std::u16string_view s) {
  if (index == Count()) {
    Add(s);
  } else if (index >= 0 && index < Count()) {
    lines_[static_cast<std::size_t>(index)] = s;
  }
}

int TWideStrings::IndexOf(std::u16string_view s) const {
  for (int i = 0; i < Count(); ++i) {
    if (lines_[static_cast<std::size_t>(i)] == s) return i;
  }
  return -1;
}

int TWideStrings::IndexOfIgnoreCase(std::u16string_view s) const {
  for (int i = 0; i < Count(); ++i) {
    const std::u16string& line = lines_[static_cast<std::size_t>(i)];
    UErrorCode status = U_ZERO_ERROR;
    int cmp = u_strCaseCompare(reinterpret_cast<const UChar*>(line.data()), static_cast<int32_t>(line.size()),
                               reinterpret_cast<const UChar*>(s.data()), static_cast<int32_t>(s.size()),
                               U_FOLD_CASE_DEFAULT, &status);
    if (U_SUCCESS(status) && cmp == 0) return i;
  }
  return -1;
}

void TWideStrings::LoadFromFile(const std::filesystem::path& file_name) {
  TFileStream file(file_name, TFileMode::fmOpenRead);
  LoadFromStream(file);
}

void TWideStrings::LoadFromStream(TStream& stream) {
  std::int64_t left = stream.GetSize() - stream.GetPosition();
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(std::max<std::int64_t>(left, 0)));
  bytes.resize(stream.Read(bytes.data(), bytes.size()));
  std::u16string text(bytes.size() / 2, u'\0');
  for (std::size_t i = 0; i < text.size(); ++i) {
    text[i] = static_cast<char16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
  }
  SetTextStr(text);
}

void TWideStrings::SetTextStr(std::u16string_view value) {
  static constexpr TByteSet kLineEnds = {0, 10, 13};
  Clear();
  std::size_t i = 0;
  while (i < value.size() && value[i] != 0) {
    std::size_t start = i;
    while (i < value.size() && !InOpSet(value[i], kLineEnds)) ++i;
    Add(value.substr(start, i - start));
    if (i == value.size() || value[i] == 0) break;
    if (value[i] == 13 && i + 1 < value.size() && value[i + 1] == 10) ++i;
    ++i;
  }
}

}  // namespace km
