#pragma once
// The project's exceptions. Every error the system raises derives from
// EkmError, which carries the system's fixed message; callers that only need
// to know "it failed" catch EkmError.

#include <string>

#include "kmException.h"  // EkmError, shared with the platform layer

namespace km {

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
