#pragma once
// The one exception base of the system: every error carries the system's
// fixed message text.

#include <stdexcept>
#include <string>

namespace km {

class Exception : public std::runtime_error {
 public:
  explicit Exception(const std::string& message) : std::runtime_error(message) {}
};

// Malformed or unsupported picture data (bitmap, JPEG, PNG, metafile).
class EInvalidGraphic : public Exception {
 public:
  using Exception::Exception;
};

// A read outside the bytes a reader was given.
class EReadError : public Exception {
 public:
  using Exception::Exception;
};

}  // namespace km
