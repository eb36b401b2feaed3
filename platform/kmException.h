#pragma once
// The one exception base of the system: every error carries the system's
// fixed message. It lives in the platform layer, the lowest one, so that the
// platform's own errors and those of every other layer share it.

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

// Malformed or unsupported picture data (bitmap, JPEG, PNG, metafile).
class EInvalidGraphic : public EkmError {
 public:
  using EkmError::EkmError;
};

// A read outside the bytes a reader was given.
class EReadError : public EkmError {
 public:
  using EkmError::EkmError;
};

}  // namespace km
