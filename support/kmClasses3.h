#pragma once
// The big-endian memory stream, the list of UTF-16 lines and the byte-set test.

#include <array>
#include <cstdint>
#include <filesystem>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "kmStreams.h"

namespace km {

// A set of the 256 byte values (the component library's "set of byte").
class TByteSet {
 public:
  constexpr TByteSet() = default;
  constexpr TByteSet(std::initializer_list<std::uint8_t> members) {
    for (auto m : members) Include(m);
  }
  constexpr TByteSet& Include(std::uint8_t b) {
    words_[b >> 6] |= std::uint64_t{1} << (b & 63);
    return *this;
  }
  constexpr bool Contains(std::uint8_t b) const { return (words_[b >> 6] >> (b & 63)) & 1; }

 private:
  std::array<std::uint64_t, 4> words_{};
};

// True when the code unit is at most 255 and a member of sets; false for every
// code unit above 255.
constexpr bool InOpSet(char16_t w, const TByteSet& sets) {
  return w <= 0xFF && sets.Contains(static_cast<std::uint8_t>(w));
}

// A memory stream with the big-endian number reads and writes that TrueType
// and PNG data need. Every read checks that the bytes it needs lie between the
// position and the end and throws EkmStreamError otherwise (the position is
// then left where it was): font files come from disk and may be truncated or
// hostile, and their readers treat such a font as unreadable.
class TkmExtMemStream : public TMemoryStream {
 public:
  TkmExtMemStream() = default;

  std::uint8_t ReadByte();
  std::int16_t ReadShort();
  std::uint16_t ReadUShort();
  std::int32_t ReadLong();
  std::uint32_t ReadULong();
  // The next length bytes, unconverted.
  std::string ReadString(std::size_t length);
  // Moves the position by count bytes (negative: back), held within 0 .. Size.
  void SkipBytes(std::int64_t count);

  void WriteByte(std::uint8_t value);
  void WriteByteArray(std::span<const std::uint8_t> bytes);
  void WriteShort(std::int16_t value);
  void WriteUShort(std::uint16_t value);
  void WriteLong(std::int32_t value);
  void WriteULong(std::uint32_t value);
  void WriteULongArray(std::span<const std::uint32_t> values);
  void WriteUShortArray(std::span<const std::uint16_t> values);
  // WriteString (every byte of a byte string) comes from TStream.

  // Moves to the end and appends zero bytes up to a multiple of four; PadSize
  // then tells how many were appended (0 to 3). The position is the new end.
  void PadTo4Bytes();
  std::int64_t GetPadSize() const { return pad_size_; }

 private:
  // The next n bytes, checked against the end; the position moves past them.
  const std::uint8_t* Take(std::size_t n);

  std::int64_t pad_size_ = 0;
};

// An owned list of UTF-16 lines. Index arguments outside their range make an
// operation do nothing (Get returns an empty string); nothing is raised.
class TWideStrings {
 public:
  TWideStrings() = default;

  // Appends a copy of s; returns its index.
  int Add(std::u16string_view s);
  // 0 <= index < Count: s takes that place and later lines move up;
  // index == Count: as Add; otherwise nothing.
  void Insert(int index, std::u16string_view s);
  // 0 <= index < Count: removes the line; otherwise nothing.
  void Delete(int index);
  // The line, or an empty string outside 0 .. Count - 1.
  const std::u16string& Get(int index) const;
  // 0 <= index < Count: replaces the line; index == Count: as Add; otherwise nothing.
  void Put(int index, std::u16string_view s);
  const std::u16string& operator[](int index) const { return Get(index); }

  // First index whose line equals s code unit by code unit; -1 when none.
  int IndexOf(std::u16string_view s) const;
  // First index whose line equals s ignoring case (Unicode case folding); -1 when none.
  int IndexOfIgnoreCase(std::u16string_view s) const;

  int Count() const { return static_cast<int>(lines_.size()); }
  void Clear() { lines_.clear(); }

  // Reads the file's bytes as UTF-16 little-endian text (LoadFromStream).
  // Throws EkmStreamError when the file cannot be opened.
  void LoadFromFile(const std::filesystem::path& file_name);
  // Takes the bytes from the stream's position to its end as UTF-16
  // little-endian code units (an odd final byte is ignored) and sets the text.
  void LoadFromStream(TStream& stream);
  // Replaces the list by the lines of value: CR LF, a lone CR and a lone LF
  // each end a line, NUL ends the text, and a final break adds no empty line.
  void SetTextStr(std::u16string_view value);

 private:
  std::vector<std::u16string> lines_;
};

}  // namespace km
