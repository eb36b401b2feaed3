#include "kmStreams.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "kmErrors.h"

namespace km {

namespace {

std::string SystemReason(int error) { return std::strerror(error); }

std::int64_t ResolveSeek(std::int64_t offset, TSeekOrigin origin, std::int64_t position,
                         std::int64_t size) {
  std::int64_t base = 0;
  switch (origin) {
    case TSeekOrigin::soBeginning: base = 0; break;
    case TSeekOrigin::soCurrent: base = position; break;
    case TSeekOrigin::soEnd: base = size; break;
  }
  std::int64_t target = 0;
  if (__builtin_add_overflow(base, offset, &target) || target < 0) {
    throw EkmStreamError("Invalid stream position");
  }
  return target;
}

}  // namespace

// --- TStream ---------------------------------------------------------------

std::int64_t TStream::GetSize() {
  std::int64_t position = GetPosition();
  std::int64_t size = Seek(0, TSeekOrigin::soEnd);
  Seek(position, TSeekOrigin::soBeginning);
  return size;
}

void TStream::ReadBuffer(void* buffer, std::size_t count) {
  if (count != 0 && Read(buffer, count) != count) throw EkmStreamError("Stream read error");
}

void TStream::WriteBuffer(const void* buffer, std::size_t count) {
  if (count != 0 && Write(buffer, count) != count) throw EkmStreamError("Stream write error");
}

std::int64_t TStream::CopyFrom(TStream& source, std::int64_t count) {
  if (count == 0) {
    source.SetPosition(0);
    count = source.GetSize();
  }
  std::vector<std::uint8_t> buffer(static_cast<std::size_t>(std::min<std::int64_t>(count, 65536)));
  std::int64_t left = count;
  while (left > 0) {
    auto n = static_cast<std::size_t>(std::min<std::int64_t>(left, static_cast<std::int64_t>(buffer.size())));
    source.ReadBuffer(buffer.data(), n);
    WriteBuffer(buffer.data(), n);
    left -= static_cast<std::int64_t>(n);
  }
  return count;
}

// --- TMemoryStream ---------------------------------------------------------

std::size_t TMemoryStream::Read(void* buffer, std::size_t count) {
  auto size = static_cast<std::int64_t>(data_.size());
  if (position_ >= size || count == 0) return 0;
  std::size_t n = std::min(count, static_cast<std::size_t>(size - position_));
  std::memcpy(buffer, data_.data() + position_, n);
  position_ += static_cast<std::int64_t>(n);
  return n;
}

std::size_t TMemoryStream::Write(const void* buffer, std::size_t count) {
  if (count == 0) return 0;
  std::size_t end = 0;
  if (__builtin_add_overflow(static_cast<std::size_t>(position_), count, &end)) {
    throw EkmStreamError("Stream write error");
  }
  if (end > data_.size()) data_.resize(end);  // a gap after a seek past the end is zero-filled
  std::memcpy(data_.data() + position_, buffer, count);
  position_ = static_cast<std::int64_t>(end);
  return count;
}

std::int64_t TMemoryStream::Seek(std::int64_t offset, TSeekOrigin origin) {
  position_ = ResolveSeek(offset, origin, position_, GetSize());
  return position_;
}

void TMemoryStream::SetSize(std::int64_t size) {
  if (size < 0) throw EkmStreamError("Invalid stream size");
  data_.resize(static_cast<std::size_t>(size));
  position_ = std::min(position_, size);
}

void TMemoryStream::Clear() {
  data_.clear();
  position_ = 0;
}

void TMemoryStream::LoadFromStream(TStream& stream) {
  stream.SetPosition(0);
  std::int64_t size = stream.GetSize();
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
  stream.ReadBuffer(bytes.data(), bytes.size());
  data_ = std::move(bytes);
  position_ = 0;
}

void TMemoryStream::LoadFromFile(const std::filesystem::path& file_name) {
  TFileStream file(file_name, TFileMode::fmOpenRead);
  LoadFromStream(file);
}

void TMemoryStream::SaveToStream(TStream& stream) const { stream.WriteBuffer(data_.data(), data_.size()); }

void TMemoryStream::SaveToFile(const std::filesystem::path& file_name) const {
  TFileStream file(file_name, TFileMode::fmCreate);
  SaveToStream(file);
}

// --- TFileStream -----------------------------------------------------------

TFileStream::TFileStream(const std::filesystem::path& file_name, TFileMode mode) : file_name_(file_name) {
  int flags = O_CLOEXEC;
  switch (mode) {
    case TFileMode::fmCreate: flags |= O_RDWR | O_CREAT | O_TRUNC; break;
    case TFileMode::fmOpenRead: flags |= O_RDONLY; break;
    case TFileMode::fmOpenWrite: flags |= O_WRONLY; break;
    case TFileMode::fmOpenReadWrite: flags |= O_RDWR; break;
  }
  fd_ = ::open(file_name.c_str(), flags, 0666);
  if (fd_ < 0) {
    const char* verb = mode == TFileMode::fmCreate ? "Cannot create file \"" : "Cannot open file \"";
    throw EkmStreamError(verb + file_name.string() + "\". " + SystemReason(errno));
  }
  struct stat info {};
  if (::fstat(fd_, &info) == 0 && S_ISDIR(info.st_mode)) {
    ::close(fd_);
    fd_ = -1;
    throw EkmStreamError("Cannot open file \"" + file_name.string() + "\". " + SystemReason(EISDIR));
  }
}

TFileStream::~TFileStream() {
  if (fd_ >= 0) ::close(fd_);
}

std::size_t TFileStream::Read(void* buffer, std::size_t count) {
  auto* out = static_cast<std::uint8_t*>(buffer);
  std::size_t done = 0;
  while (done < count) {
    ssize_t n = ::read(fd_, out + done, count - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) throw EkmStreamError("Cannot read file \"" + file_name_.string() + "\". " + SystemReason(errno));
    if (n == 0) break;
    done += static_cast<std::size_t>(n);
  }
  return done;
}

std::size_t TFileStream::Write(const void* buffer, std::size_t count) {
  const auto* in = static_cast<const std::uint8_t*>(buffer);
  std::size_t done = 0;
  while (done < count) {
    ssize_t n = ::write(fd_, in + done, count - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) throw EkmStreamError("Cannot write file \"" + file_name_.string() + "\". " + SystemReason(errno));
    done += static_cast<std::size_t>(n);
  }
  return done;
}

std::int64_t TFileStream::Seek(std::int64_t offset, TSeekOrigin origin) {
  int whence = origin == TSeekOrigin::soBeginning ? SEEK_SET : origin == TSeekOrigin::soCurrent ? SEEK_CUR : SEEK_END;
  off_t result = ::lseek(fd_, static_cast<off_t>(offset), whence);
  if (result < 0) throw EkmStreamError("Invalid stream position");
  return result;
}

std::int64_t TFileStream::GetSize() {
  struct stat info {};
  if (::fstat(fd_, &info) != 0) throw EkmStreamError("Cannot read file \"" + file_name_.string() + "\". " + SystemReason(errno));
  return info.st_size;
}

void TFileStream::SetSize(std::int64_t size) {
  if (size < 0 || ::ftruncate(fd_, static_cast<off_t>(size)) != 0) {
    throw EkmStreamError("Cannot resize file \"" + file_name_.string() + "\"");
  }
  if (GetPosition() > size) Seek(size, TSeekOrigin::soBeginning);
}

}  // namespace km
