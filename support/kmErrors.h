#pragma once
// The project's exceptions. Every error the system raises derives from
// EkmError, which carries the system's fixed message; callers that only need
// to know "it failed" catch EkmError.

#include <stdexcept>
#include <string>

namespace km {

// Base of every exception of the system. The message is 8-bit text (ASCII or
// UTF-8) and is what Message() returns.
class EkmError : public std::runtime_error {
 public:
  explicit EkmError(const std::string& message) : std::runtime_error(message) {}
  std::string Message() const { return what(); }
};

// A stream could not deliver what was asked: a read past the end, an invalid
// position, or a file that cannot be opened, created, read or written.
class EkmStreamError : public EkmError {
 public:
  using EkmError::EkmError;
};

// Compressed data that cannot be decoded, or a compressor that fails.
class EkmFilterError : public EkmError {
 public:
  using EkmError::EkmError;
};

}  // namespace km
