#pragma once
// The engine's exceptions. Each carries its fixed message.

#include <string>

#include "kmEngineSupport.h"

namespace km {

// Message of EFileCreateError.
inline constexpr const char* kFileCreateErrorMessage =
    "File could not be created!\r\n\r\nPossible cause: It could be in use by some other application";

class EInvalidPageNumber : public EkmError {
 public:
  EInvalidPageNumber() : EkmError("Invalid Page Number") {}
};

class EFileCreateError : public EkmError {
 public:
  EFileCreateError() : EkmError(kFileCreateErrorMessage) {}
};

class EInvalidEngineState : public EkmError {
 public:
  EInvalidEngineState() : EkmError("Not a valid Engine State identifier") {}
};

class EUnsupportedGraphics : public EkmError {
 public:
  EUnsupportedGraphics() : EkmError("Unknown Graphics format") {}
};

class ExInvalidImageFormat : public EkmError {
 public:
  ExInvalidImageFormat() : EkmError("Invalid Image Format") {}
};

}  // namespace km
