#pragma once
// Byte streams: the abstract TStream that writers target (a file or a
// caller's stream), the growable TMemoryStream and the TFileStream.
// Positions and sizes are byte counts from the start of the stream.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace km {

enum class TSeekOrigin { soBeginning, soCurrent, soEnd };

class TStream {
 public:
  virtual ~TStream() = default;
  TStream() = default;
  TStream(const TStream&) = delete;
  TStream& operator=(const TStream&) = delete;

  // Reads up to count bytes at the position into buffer and moves on; returns
  // how many arrived (fewer at the end of the stream).
  virtual std::size_t Read(void* buffer, std::size_t count) = 0;
  // Writes count bytes at the position and moves on; returns how many were written.
  virtual std::size_t Write(const void* buffer, std::size_t count) = 0;
  // Moves the position and returns the new one. A resulting position below 0
  // throws EkmStreamError; a position past the end is allowed (a later write
  // fills the gap with zero bytes where the stream supports it).
  virtual std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) = 0;
  virtual std::int64_t GetSize();
  // Truncates or extends (with zero bytes) the stream.
  virtual void SetSize(std::int64_t size) = 0;

  std::int64_t GetPosition() { return Seek(0, TSeekOrigin::soCurrent); }
  void SetPosition(std::int64_t position) { Seek(position, TSeekOrigin::soBeginning); }

  // Read and Write that throw EkmStreamError unless all count bytes move.
  void ReadBuffer(void* buffer, std::size_t count);
  void WriteBuffer(const void* buffer, std::size_t count);
  // Every byte of the text, in order; no length and no terminator.
  void WriteString(std::string_view bytes) { WriteBuffer(bytes.data(), bytes.size()); }

  // Copies count bytes from source's position into this stream; count 0 copies
  // the whole of source from its start. Returns the number of bytes copied;
  // throws EkmStreamError when source ends early.
  std::int64_t CopyFrom(TStream& source, std::int64_t count);
};

// A stream held in memory; the buffer grows as it is written.
class TMemoryStream : public TStream {
 public:
  TMemoryStream() = default;

  std::size_t Read(void* buffer, std::size_t count) override;
  std::size_t Write(const void* buffer, std::size_t count) override;
  std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
  std::int64_t GetSize() override { return static_cast<std::int64_t>(data_.size()); }
  // Also pulls the position back to the new end when it lay beyond it.
  void SetSize(std::int64_t size) override;

  // The bytes of the stream (Size of them); valid until the next write or SetSize.
  std::uint8_t* Memory() { return data_.data(); }
  const std::uint8_t* Memory() const { return data_.data(); }
  // The bytes as a string, for tests and small texts.
  std::string ToString() const { return std::string(data_.begin(), data_.end()); }

  // Empties the stream; position 0.
  void Clear();
  // Replaces the content by the whole of stream (read from its start); position 0.
  void LoadFromStream(TStream& stream);
  // Replaces the content by the file's bytes; position 0. Throws EkmStreamError
  // when the file cannot be read.
  void LoadFromFile(const std::filesystem::path& file_name);
  // Writes the whole content at the position of stream.
  void SaveToStream(TStream& stream) const;
  // Creates (or replaces) the file with the whole content.
  void SaveToFile(const std::filesystem::path& file_name) const;

 protected:
  std::vector<std::uint8_t> data_;
  std::int64_t position_ = 0;
};

enum class TFileMode {
  fmCreate,        // create or truncate, read and write
  fmOpenRead,      // an existing file, read only
  fmOpenWrite,     // an existing file, write only
  fmOpenReadWrite  // an existing file, read and write
};

// A stream on a file of the file system. Opening failures throw
// EkmStreamError with the file name and the system's reason.
class TFileStream : public TStream {
 public:
  TFileStream(const std::filesystem::path& file_name, TFileMode mode);
  ~TFileStream() override;

  std::size_t Read(void* buffer, std::size_t count) override;
  std::size_t Write(const void* buffer, std::size_t count) override;
  std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
  std::int64_t GetSize() override;
  void SetSize(std::int64_t size) override;

  const std::filesystem::path& GetFileName() const { return file_name_; }

 private:
  std::filesystem::path file_name_;
  int fd_ = -1;
};

}  // namespace km
